#pragma once
// Files, folders and temporary names, as the ANSI file functions of Windows see them.
// Paths are Windows paths ("C:\dir\file"); the posix backend maps them onto the host.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace os {

inline constexpr uint32_t kAttrReadOnly = 0x1;
inline constexpr uint32_t kAttrHidden = 0x2;
inline constexpr uint32_t kAttrSystem = 0x4;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrNormal = 0x80;
// Junctions, symbolic links and mount points: the entry is a link, not what it points at.
inline constexpr uint32_t kAttrReparsePoint = 0x400;

struct FolderEntry {
  std::string name;
  uint32_t attributes = 0;
};

// A file opened for writing; closing happens when the object goes.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual bool Write(std::string_view bytes) = 0;  // one WriteFile call
  virtual bool Flush() = 0;
};

// A folder held open: while the object lives nobody can rename or remove the folder.
class HeldFolder {
 public:
  virtual ~HeldFolder() = default;
  // Deletes what is inside and then the folder itself, never by a path: each entry is opened
  // relative to the held folder above it, a link as the link (never what it points at), and
  // deleted through its own handle. False when anything stays.
  virtual bool DeleteTree() = 0;
};

// A file held open for reading: while the object lives nobody can write, rename or remove it,
// though it can still be read and run.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  // True when the held file is the very file this process runs from, by the file system's own
  // identity: a file merely put under the program's name answers false.
  virtual bool IsRunningProgram() = 0;
  // Writes the held bytes, piece by piece, into a file created new at `path`: false when
  // anything stands at that name already.
  virtual bool CopyToNew(const std::string& path) = 0;
  // The copy of CopyToNew, then held for running: while held nobody may write, rename or
  // delete it, and it goes once the hold and every program started from it have ended. Null
  // when the copy fails or what is then held at `path` is not, byte for byte, the held file.
  virtual std::unique_ptr<HeldFile> CopyToRunOnce(const std::string& path) = 0;
  // Renames the held file through the hold, replacing what stands at `path` (on the same
  // volume); the hold stays on the file, and a run-once hold deletes it under its new name. A
  // running program's file can be renamed, though not deleted.
  virtual bool MoveTo(const std::string& path) = 0;
};

// The run's log as the handle that writes it sees it.
struct LogFacts {
  bool created = false;     // nothing stood at the name: this open made the file
  bool link = false;        // the name itself is a link (a reparse point), opened as the link
  bool adminOwned = false;  // owner Administrators or SYSTEM, which only they can give
  bool elsewhere = false;   // the handle's final path (Vista on) is not the one asked for
  uint32_t names = 1;       // hard links: the file's names
};

// Whether GetFinalPathNameByHandleA's answer ("\\?\C:\..." or "\\?\UNC\server\...") names
// `asked`, a full path with long names; names compare as Windows compares them, letters in any
// case.
inline bool SameFinalPath(const char* finalPath, const char* asked) {
  // "\\?\" before a drive; "\\?\UNC" before the "\server\..." of "\\server\...".
  const char* const prefix = "\\\\?\\UNC";
  const char* const prefixEnd = prefix + (*asked == '\\' ? 7 : 4);
  if (*asked == '\\') ++asked;
  for (const char* at = prefix; at < prefixEnd; ++at, ++finalPath)
    if (*finalPath != *at) return false;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c | 0x20 : c; };
  for (; lower(*finalPath) == lower(*asked); ++finalPath, ++asked)
    if (!*asked) return true;
  return false;
}

class Files {
 public:
  virtual ~Files() = default;

  // GetTempPathA: with a buffer too small (size 0 included) the answer is the size needed,
  // terminating NUL counted; otherwise the number of characters copied.
  virtual uint32_t TempPath(char* buffer, uint32_t size) = 0;
  // A new, empty file named as GetTempFileNameA names one, where nothing stands at the name with
  // any of `alsoFree` after it either (names the caller derives from it). Empty text on failure.
  virtual std::string TempFileName(const std::string& folder, const std::string& prefix,
                                   std::initializer_list<const char*> alsoFree = {}) = 0;

  // Of the entry itself: a link answers with kAttrReparsePoint, not with its target's attributes.
  virtual std::optional<uint32_t> Attributes(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  // Every entry matched by the pattern ("folder\*.*"), "." and ".." and hidden, system and
  // folder entries included. Empty when nothing matches or the folder cannot be listed.
  virtual std::vector<FolderEntry> List(const std::string& pattern) = 0;

  // 0 on success, else the Windows error code (183 already exists, 3 path not found, ...).
  virtual uint32_t CreateFolder(const std::string& path) = 0;
  // Creates a folder that must not exist yet, with a descriptor that lets only Administrators
  // and SYSTEM write (owner Administrators, passed on to everything made inside, nothing
  // inherited from the parent), and holds it open from the moment it exists. Null with the
  // Windows error code in `error` when it cannot.
  virtual std::unique_ptr<HeldFolder> CreateProtectedFolder(const std::string& path,
                                                            uint32_t& error) = 0;
  // KeptByAdministratorsAlone for the owner and access list of what stands at `path`; nullopt
  // where Windows keeps none (Windows 9x).
  virtual std::optional<bool> KeptByAdministratorsAlone(const std::string&) { return std::nullopt; }
  // RemoveDirectoryA: an empty folder, or a link to a folder (the link itself goes).
  virtual bool RemoveFolder(const std::string& path) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool Copy(const std::string& from, const std::string& to) = 0;  // replaces `to`
  // MoveFileExA(MOVEFILE_REPLACE_EXISTING): on one volume a rename, whatever the file's length.
  // False where the platform cannot (another volume; Windows 9x lacks the function).
  virtual bool Move(const std::string& from, const std::string& to) = 0;

  virtual std::optional<uint64_t> Length(const std::string& path) = 0;
  virtual std::optional<std::string> ReadAll(const std::string& path) = 0;
  // Up to `size` bytes from `offset` (fewer only at the end of the file); nullopt when the file
  // cannot be opened or read.
  virtual std::optional<std::string> ReadPiece(const std::string& path, uint64_t offset,
                                               uint32_t size) = 0;
  // Creates or replaces the file with exactly these bytes.
  virtual bool WriteAll(const std::string& path, std::string_view bytes) = 0;
  // Opens an existing file and writes the bytes after its last byte.
  virtual bool Append(const std::string& path, std::string_view bytes) = 0;
  // SetEndOfFile at `length`: cuts an existing file back to its first `length` bytes.
  virtual bool Truncate(const std::string& path, uint64_t length) = 0;
  // CreateFileA(GENERIC_READ | GENERIC_WRITE, share 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL).
  virtual std::unique_ptr<WritableFile> CreateExclusive(const std::string& path) = 0;
  // CreateFileA(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING). Null when the file is missing or
  // someone has it open for writing or removal.
  virtual std::unique_ptr<HeldFile> HoldUnchanged(const std::string& path) = 0;
  // The run's log, opened once and kept: an existing file opened, a missing one created (owner
  // Administrators when `administrators`), neither truncated; a link at the name is opened as
  // the link, never followed; every write lands at the end. Null when it cannot be opened.
  virtual std::unique_ptr<WritableFile> OpenLog(const std::string& path, bool administrators,
                                                LogFacts& facts) = 0;
  // OpenFile(path, OF_EXIST): true when the path could be opened.
  virtual bool OpenFileExists(const std::string& path) = 0;
};

}  // namespace os
