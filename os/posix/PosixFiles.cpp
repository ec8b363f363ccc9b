#include "os/posix/PosixFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "os/Guard.h"

namespace os::posix {
namespace fs = std::filesystem;
namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

class PosixWritableFile final : public WritableFile {
 public:
  explicit PosixWritableFile(std::FILE* file) : file_(file) {}
  ~PosixWritableFile() override { std::fclose(file_); }
  bool Write(std::string_view bytes) override {
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }
  bool Flush() override { return std::fflush(file_) == 0; }

 private:
  std::FILE* file_;
};

std::pair<uint64_t, uint64_t> Identity(const struct stat& status) {
  return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

// Removes everything below the open folder `folder` through names relative to it, never
// following a symbolic link: a link goes as the link.
bool EmptyAt(int folder) {
  const int listed = dup(folder);
  DIR* dir = listed >= 0 ? fdopendir(listed) : nullptr;
  if (!dir) return false;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir))
    if (std::string_view(entry->d_name) != "." && std::string_view(entry->d_name) != "..")
      names.push_back(entry->d_name);
  closedir(dir);
  bool all = true;
  for (const std::string& name : names) {
    struct stat status;
    if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(status.st_mode)) {
      const int child = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      all = child >= 0 && EmptyAt(child) && all;
      if (child >= 0) close(child);
    }
    all = unlinkat(folder, name.c_str(), S_ISDIR(status.st_mode) ? AT_REMOVEDIR : 0) == 0 && all;
  }
  return all;
}

class PosixHeldFolder final : public HeldFolder {
 public:
  PosixHeldFolder(std::multiset<fs::path>& held, fs::path host)
      : held_(held),
        entry_(held.insert(host)),
        host_(std::move(host)),
        fd_(open(host_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW)) {}
  ~PosixHeldFolder() override {
    if (fd_ >= 0) close(fd_);
    held_.erase(entry_);
  }
  // The host removes a folder only by its name; the name is safe here, as a held folder cannot
  // be renamed while held.
  bool DeleteTree() override {
    const bool emptied = fd_ >= 0 && EmptyAt(fd_);
    return rmdir(host_.c_str()) == 0 && emptied;
  }

 private:
  std::multiset<fs::path>& held_;
  std::multiset<fs::path>::iterator entry_;
  fs::path host_;
  int fd_;
};

}  // namespace

class PosixHeldFile final : public HeldFile {
 public:
  PosixHeldFile(PosixFiles& files, const std::string& path, int fd, bool deleteOnClose = false)
      : files_(files),
        entry_(files.held_.insert(files.HostPath(path))),
        fd_(fd),
        deleteOnClose_(deleteOnClose) {}
  ~PosixHeldFile() override {
    close(fd_);
    if (deleteOnClose_) unlink(entry_->c_str());
    files_.held_.erase(entry_);
  }
  bool IsRunningProgram() override {
    struct stat status;
    return fstat(fd_, &status) == 0 && Identity(status) == files_.runningImage_;
  }
  // O_EXCL fails on anything at the name, a dangling link included, as CREATE_NEW does.
  bool CopyToNew(const std::string& path) override {
    if (files_.Held(path)) return false;
    const fs::path host = files_.HostPath(path);
    const int copy = open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (copy < 0) return false;
    char piece[65536];
    off_t at = 0;
    bool whole = true;
    for (ssize_t got; (got = pread(fd_, piece, sizeof piece, at)) != 0; at += got) {
      if (got < 0 || write(copy, piece, static_cast<size_t>(got)) != got) {
        whole = false;
        break;
      }
    }
    close(copy);
    if (!whole) unlink(host.c_str());
    return whole;
  }
  // Runs are not simulated: the hold ends with the copy's deletion.
  std::unique_ptr<HeldFile> CopyToRunOnce(const std::string& path) override {
    if (!CopyToNew(path)) return nullptr;
    const int fd = open(files_.HostPath(path).c_str(), O_RDONLY | O_NOFOLLOW);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixHeldFile>(files_, path, fd, true);
  }
  bool MoveTo(const std::string& path) override {
    const fs::path host = files_.HostPath(path);
    if (rename(entry_->c_str(), host.c_str()) != 0) return false;
    files_.held_.erase(entry_);
    entry_ = files_.held_.insert(host);
    return true;
  }

 private:
  PosixFiles& files_;
  std::multiset<fs::path>::iterator entry_;
  int fd_;
  bool deleteOnClose_;
};

PosixFiles::PosixFiles(fs::path root) : root_(std::move(root)) {
  fs::create_directories(root_ / "C" / "Temp");
}

// Each component is matched without regard to letter case against what exists; components that
// do not exist yet are kept as written.
fs::path PosixFiles::HostPath(const std::string& windowsPath) const {
  std::string path = windowsPath;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.size() >= 2 && path[1] == ':') path = std::string(1, path[0]) + path.substr(2);
  fs::path host = root_;
  std::stringstream parts(path);
  std::string part;
  while (std::getline(parts, part, '/')) {
    if (part.empty()) continue;
    fs::path next = host / part;
    std::error_code error;
    if (!fs::exists(next, error) && fs::is_directory(host, error)) {
      for (const auto& entry : fs::directory_iterator(host, error)) {
        if (Lower(entry.path().filename().string()) == Lower(part)) {
          next = entry.path();
          break;
        }
      }
    }
    host = next;
  }
  return host;
}

uint32_t PosixFiles::TempPath(char* buffer, uint32_t size) {
  static const std::string temp = "C:\\Temp\\";
  if (size < temp.size() + 1) return static_cast<uint32_t>(temp.size() + 1);
  temp.copy(buffer, temp.size());
  buffer[temp.size()] = '\0';
  return static_cast<uint32_t>(temp.size());
}

std::string PosixFiles::TempFileName(const std::string& folder, const std::string& prefix,
                                     std::initializer_list<const char*> alsoFree) {
  // As GetTempFileNameA, with or without the folder's closing backslash.
  const std::string separator = folder.empty() || folder.back() == '\\' ? "" : "\\";
  for (int attempt = 0; attempt < 128; ++attempt) {
    char number[16];
    std::snprintf(number, sizeof number, "%X", nextTempNumber_++);
    const std::string name = folder + separator + prefix.substr(0, 3) + number + ".tmp";
    bool free = !Attributes(name);
    for (const char* suffix : alsoFree) free &= !Attributes(name + suffix);
    if (free) return WriteAll(name, "") ? name : std::string();
  }
  return {};
}

// A symbolic link answers for itself, as a reparse point of the kind of its target.
std::optional<uint32_t> PosixFiles::Attributes(const std::string& path) {
  std::error_code error;
  const fs::path host = HostPath(path);
  const auto own = fs::symlink_status(host, error);
  if (error || !fs::exists(own)) return std::nullopt;
  const auto status = fs::is_symlink(own) ? fs::status(host, error) : own;
  uint32_t attributes = fs::is_directory(status) ? kAttrDirectory : kAttrNormal;
  if (fs::is_symlink(own)) attributes |= kAttrReparsePoint;
  if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
    attributes |= kAttrReadOnly;
  return attributes;
}

bool PosixFiles::SetAttributes(const std::string& path, uint32_t attributes) {
  std::error_code error;
  fs::permissions(HostPath(path), fs::perms::owner_write,
                  attributes & kAttrReadOnly ? fs::perm_options::remove : fs::perm_options::add,
                  error);
  return !error;
}

// Only the "folder\*.*" patterns that the installer uses.
std::vector<FolderEntry> PosixFiles::List(const std::string& pattern) {
  std::vector<FolderEntry> entries;
  const auto slash = pattern.find_last_of('\\');
  if (slash == std::string::npos || pattern.substr(slash + 1) != "*.*") return entries;
  std::error_code error;
  const fs::path folder = HostPath(pattern.substr(0, slash));
  if (!fs::is_directory(folder, error)) return entries;
  entries.push_back({".", kAttrDirectory});
  entries.push_back({"..", kAttrDirectory});
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    entries.push_back({name, *Attributes(pattern.substr(0, slash + 1) + name)});
  }
  return entries;
}

uint32_t PosixFiles::CreateFolder(const std::string& path) {
  const fs::path host = HostPath(path);
  std::error_code error;
  if (fs::exists(host, error)) return 183;                     // ERROR_ALREADY_EXISTS
  if (!fs::is_directory(host.parent_path(), error)) return 3;  // ERROR_PATH_NOT_FOUND
  return fs::create_directory(host, error) ? 0 : 5;
}

// Owner-only permissions stand for "only Administrators and SYSTEM".
std::unique_ptr<HeldFolder> PosixFiles::CreateProtectedFolder(const std::string& path,
                                                              uint32_t& error) {
  error = CreateFolder(path);
  if (error != 0) return nullptr;
  std::error_code failed;
  fs::permissions(HostPath(path), fs::perms::owner_all, fs::perm_options::replace, failed);
  return std::make_unique<PosixHeldFolder>(held_, HostPath(path));
}

std::optional<bool> PosixFiles::KeptByAdministratorsAlone(const std::string& path) {
  struct stat entry;
  if (lstat(HostPath(path).c_str(), &entry) != 0) return std::nullopt;
  // S-1-5-32-544 (Administrators) and S-1-5-32-545 (Users).
  const std::string administrators("\x01\x02\0\0\0\0\0\x05\x20\0\0\0\x20\x02\0\0", 16);
  std::string users = administrators;
  users[12] = 0x21;
  // One entry: full access for its account.
  const auto full = [](const std::string& sid) {
    return std::string("\0\0", 2) + static_cast<char>(8 + sid.size()) + '\0' +
           std::string("\xff\x01\x1f\0", 4) + sid;
  };
  const bool othersWrite = entry.st_mode & (S_IWGRP | S_IWOTH);
  const std::string entries = full(administrators) + (othersWrite ? full(users) : "");
  const std::string acl =
      std::string{
          2, 0, static_cast<char>(8 + entries.size()), 0, static_cast<char>(othersWrite ? 2 : 1), 0,
          0, 0} +
      entries;
  return os::KeptByAdministratorsAlone(
      {entry.st_uid == geteuid() ? administrators : users, acl, {}});
}

bool PosixFiles::RemoveFolder(const std::string& path) {
  if (Held(path)) return false;
  std::error_code error;
  const fs::path host = HostPath(path);
  return fs::is_directory(host, error) && fs::remove(host, error);
}

bool PosixFiles::Held(const std::string& path) const {
  return held_.count(HostPath(path)) > 0;
}

std::unique_ptr<HeldFile> PosixFiles::HoldUnchanged(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(HostPath(path), error)) return nullptr;
  const int fd = open(HostPath(path).c_str(), O_RDONLY);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixHeldFile>(*this, path, fd);
}

void PosixFiles::RunsFrom(const std::string& path) {
  struct stat status;
  runningImage_ = stat(HostPath(path).c_str(), &status) == 0 ? Identity(status)
                                                             : std::pair<uint64_t, uint64_t>{};
}

bool PosixFiles::RemoveFile(const std::string& path) {
  if (Held(path)) return false;
  std::error_code error;
  const fs::path host = HostPath(path);
  if (!fs::is_regular_file(host, error)) return false;
  if (Attributes(path).value_or(0) & kAttrReadOnly) return false;  // as DeleteFileA
  // Windows refuses to delete the image a process runs from (ERROR_ACCESS_DENIED).
  struct stat status;
  if (stat(host.c_str(), &status) == 0 && Identity(status) == runningImage_) return false;
  return fs::remove(host, error);
}

bool PosixFiles::Copy(const std::string& from, const std::string& to) {
  std::error_code error;
  if (Held(to) ||
      !fs::copy_file(HostPath(from), HostPath(to), fs::copy_options::overwrite_existing, error))
    return false;
  return true;
}

bool PosixFiles::Move(const std::string& from, const std::string& to) {
  std::error_code error;
  if (refuseMoves || Held(from) || Held(to) || !fs::is_regular_file(HostPath(from), error))
    return false;
  if (Attributes(to).value_or(0) & kAttrReadOnly) return false;  // as MoveFileExA
  fs::rename(HostPath(from), HostPath(to), error);
  return !error;
}

std::optional<uint64_t> PosixFiles::Length(const std::string& path) {
  std::error_code error;
  const auto size = fs::file_size(HostPath(path), error);
  if (error) return std::nullopt;
  return size;
}

std::optional<std::string> PosixFiles::ReadAll(const std::string& path) {
  std::ifstream in(HostPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::optional<std::string> PosixFiles::ReadPiece(const std::string& path, uint64_t offset,
                                                 uint32_t size) {
  std::ifstream in(HostPath(path), std::ios::binary);
  if (!in || !in.seekg(static_cast<std::streamoff>(offset))) return std::nullopt;
  std::string bytes(size, '\0');
  in.read(bytes.data(), size);
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

bool PosixFiles::WriteAll(const std::string& path, std::string_view bytes) {
  if (Held(path)) return false;
  std::ofstream out(HostPath(path), std::ios::binary | std::ios::trunc);
  return out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PosixFiles::Append(const std::string& path, std::string_view bytes) {
  std::error_code error;
  if (Held(path) || !fs::is_regular_file(HostPath(path), error)) return false;
  std::ofstream out(HostPath(path), std::ios::binary | std::ios::app);
  return out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PosixFiles::Truncate(const std::string& path, uint64_t length) {
  std::error_code error;
  if (Held(path) || !fs::is_regular_file(HostPath(path), error)) return false;
  fs::resize_file(HostPath(path), length, error);
  return !error;
}

std::unique_ptr<WritableFile> PosixFiles::CreateExclusive(const std::string& path) {
  if (Held(path)) return nullptr;
  std::FILE* file = std::fopen(HostPath(path).c_str(), "wb");
  if (!file) return nullptr;
  return std::make_unique<PosixWritableFile>(file);
}

// Unbuffered, as WriteFile is: a line is in the file once written. The host's own account
// stands for Administrators, the owner of the files a test makes.
std::unique_ptr<WritableFile> PosixFiles::OpenLog(const std::string& path, bool, LogFacts& facts) {
  const fs::path host = HostPath(path);
  struct stat entry;
  const bool found = lstat(host.c_str(), &entry) == 0;
  facts.link = found && S_ISLNK(entry.st_mode);
  facts.created = !found;
  if (facts.link || Held(path)) return nullptr;
  std::FILE* file = std::fopen(host.c_str(), "ab");
  if (!file) return nullptr;
  std::setvbuf(file, nullptr, _IONBF, 0);
  fstat(fileno(file), &entry);
  facts.names = static_cast<uint32_t>(entry.st_nlink);
  facts.adminOwned = entry.st_uid == geteuid();
  return std::make_unique<PosixWritableFile>(file);
}

}  // namespace os::posix
