#pragma once
// Windows paths onto a folder of the host: "C:\a\b" is <root>/C/a/b, found without regard to
// letter case as Windows would. Lets the native tests run the file logic on real folders.
#include <filesystem>
#include <set>

#include "os/Files.h"

namespace os::posix {

class PosixFiles : public Files {
 public:
  // Creates <root>/C/Temp, which TempPath answers as "C:\Temp\".
  explicit PosixFiles(std::filesystem::path root);

  std::filesystem::path HostPath(const std::string& windowsPath) const;

  uint32_t TempPath(char* buffer, uint32_t size) override;
  std::string TempFileName(const std::string& folder, const std::string& prefix,
                           std::initializer_list<const char*> alsoFree = {}) override;
  std::optional<uint32_t> Attributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  std::vector<FolderEntry> List(const std::string& pattern) override;
  uint32_t CreateFolder(const std::string& path) override;
  std::unique_ptr<HeldFolder> CreateProtectedFolder(const std::string& path,
                                                    uint32_t& error) override;
  // The host's own account stands for Administrators; a group or other write bit for an entry
  // that lets Users change it.
  std::optional<bool> KeptByAdministratorsAlone(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to) override;
  bool Move(const std::string& from, const std::string& to) override;
  // Answers every Move with false, as a platform without renames across the two paths.
  bool refuseMoves = false;
  std::optional<uint64_t> Length(const std::string& path) override;
  std::optional<std::string> ReadAll(const std::string& path) override;
  std::optional<std::string> ReadPiece(const std::string& path, uint64_t offset,
                                       uint32_t size) override;
  bool WriteAll(const std::string& path, std::string_view bytes) override;
  bool Append(const std::string& path, std::string_view bytes) override;
  bool Truncate(const std::string& path, uint64_t length) override;
  std::unique_ptr<WritableFile> CreateExclusive(const std::string& path) override;
  // Until the held file goes, writing, replacing, renaming or removing it fails, as a sharing
  // violation would.
  std::unique_ptr<HeldFile> HoldUnchanged(const std::string& path) override;
  std::unique_ptr<WritableFile> OpenLog(const std::string& path, bool administrators,
                                        LogFacts& facts) override;
  bool OpenFileExists(const std::string& path) override { return Attributes(path).has_value(); }
  // The file this process runs from, by the host's own identity (device and inode) of what is
  // at `path` now: a file put under that name later is another file.
  void RunsFrom(const std::string& path);
  // True while a held file or folder keeps the path from being written, renamed or removed, as
  // a sharing violation would: for a same-user program of a test that plays by the rules.
  bool Held(const std::string& path) const;

 private:
  friend class PosixHeldFile;

  std::filesystem::path root_;
  std::multiset<std::filesystem::path> held_;
  unsigned nextTempNumber_ = 0x1A2B;
  std::pair<uint64_t, uint64_t> runningImage_{};
};

}  // namespace os::posix
