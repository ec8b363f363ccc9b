#include <windows.h>

#include <algorithm>
#include <cstring>

#include "os/Files.h"
#include "os/win32/Backends.h"
#include "os/win32/Handles.h"

namespace os::win32 {
namespace {

class Win32WritableFile final : public WritableFile {
 public:
  explicit Win32WritableFile(HANDLE handle) : handle_(handle) {}
  bool Write(std::string_view bytes) override {
    DWORD written = 0;
    return WriteFile(handle_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) != 0;
  }
  bool Flush() override { return FlushFileBuffers(handle_.get()) != 0; }

 private:
  UniqueHandle handle_;
};

class Win32HeldFile final : public HeldFile {
 public:
  explicit Win32HeldFile(HANDLE handle) : handle_(handle) {}
  bool IsRunningProgram() override { return IsRunningImage(handle_.get()); }
  bool CopyToNew(const std::string& path) override;
  std::unique_ptr<HeldFile> CopyToRunOnce(const std::string& path) override;
  bool MoveTo(const std::string& path) override { return RenameByHandle(handle_.get(), path); }

 private:
  UniqueHandle handle_;
};

std::string WithoutTrailingBackslash(std::string path) {
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

bool WriteWhole(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// An existing file opened with `access` and `share`, its pointer moved to `offset` from `from`;
// invalid when either step fails.
UniqueHandle OpenAt(const std::string& path, DWORD access, DWORD share, uint64_t offset,
                    DWORD from) {
  UniqueHandle file(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LONG high = static_cast<LONG>(offset >> 32);
  if (file.valid() &&
      SetFilePointer(file.get(), static_cast<LONG>(offset), &high, from) ==
          INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    return {};
  return file;
}

bool Win32HeldFile::CopyToNew(const std::string& path) {
  UniqueHandle copy(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!copy.valid() || SetFilePointer(handle_.get(), 0, nullptr, FILE_BEGIN) != 0) return false;
  std::string piece(65536, '\0');
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle_.get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
      return false;
    if (got == 0) return true;
    if (!WriteWhole(copy.get(), std::string_view(piece.data(), got))) return false;
  }
}

// Both files from their start, piece by piece.
bool SameBytes(HANDLE one, HANDLE other) {
  // The relaunch compares once per process; a buffer of the image's own costs no code.
  static char pieces[2][65536];
  char* const a = pieces[0];
  char* const b = pieces[1];
  SetFilePointer(one, 0, nullptr, FILE_BEGIN);
  SetFilePointer(other, 0, nullptr, FILE_BEGIN);
  for (;;) {
    DWORD gotA = 0;
    DWORD gotB = 0;
    if (!ReadFile(one, a, 65536, &gotA, nullptr) || !ReadFile(other, b, 65536, &gotB, nullptr) ||
        gotA != gotB || std::memcmp(a, b, gotA) != 0)
      return false;
    if (gotA == 0) return true;
  }
}

// Between the copy's close and the hold, any program of the user could have put its own file at
// the name: only a hold on these very bytes may be run with this program's rights. Running asks
// for reading only, which the hold shares; writing and deleting it does not share.
std::unique_ptr<HeldFile> Win32HeldFile::CopyToRunOnce(const std::string& path) {
  if (!CopyToNew(path)) return nullptr;
  auto copy = std::make_unique<Win32HeldFile>(
      CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                  FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!copy->handle_.valid() || !SameBytes(handle_.get(), copy->handle_.get())) return nullptr;
  return copy;
}

class Win32Files final : public Files {
 public:
  uint32_t TempPath(char* buffer, uint32_t size) override { return GetTempPathA(size, buffer); }

  // GetTempFileNameA left to find a free number tries one after the other: where another
  // account has taken many of them that takes minutes, and where it has taken all it fails. The
  // numbers are drawn here instead, a name that is taken is never used, and after many taken
  // ones the name gets four more digits than its pattern has. A name whose derived names are
  // taken counts as taken.
  std::string TempFileName(const std::string& folder, const std::string& prefix,
                           std::initializer_list<const char*> alsoFree) override {
    std::string buffer(folder.size() + 256, '\0');
    SYSTEMTIME now;
    GetLocalTime(&now);
    uint32_t seed = GetCurrentThreadId() << 16 ^ now.wMilliseconds ^ now.wSecond << 10;
    for (int attempt = 0; attempt < 128; ++attempt) {
      seed = seed * 1664525u + 1013904223u;
      const UINT unique = (seed >> 16) ? (seed >> 16) : 1;  // 0 would let it search again
      if (GetTempFileNameA(folder.c_str(), prefix.c_str(), unique, buffer.data()) == 0) return {};
      std::string path = buffer.substr(0, buffer.find('\0'));
      if (attempt >= 64) {
        for (int digit = 0; digit < 4; ++digit)
          path.insert(path.size() - 4, 1, "0123456789ABCDEF"[(seed >> (4 * digit)) & 0xF]);
      }
      const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        bool free = true;
        for (const char* suffix : alsoFree)
          free &= GetFileAttributesA((path + suffix).c_str()) == INVALID_FILE_ATTRIBUTES;
        if (free) return path;
        DeleteFileA(path.c_str());
      } else if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
        return {};
      }
    }
    return {};
  }

  std::optional<uint32_t> Attributes(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
  }

  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    return SetFileAttributesA(path.c_str(), attributes) != 0;
  }

  std::vector<FolderEntry> List(const std::string& pattern) override {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(pattern.c_str(), &data));
    if (!find.valid()) return entries;
    do {
      entries.push_back({data.cFileName, data.dwFileAttributes});
    } while (FindNextFileA(find.get(), &data));
    return entries;
  }

  uint32_t CreateFolder(const std::string& path) override {
    if (CreateDirectoryA(path.c_str(), nullptr)) return 0;
    return GetLastError();
  }

  std::unique_ptr<HeldFolder> CreateProtectedFolder(const std::string& path,
                                                    uint32_t& error) override {
    return win32::CreateProtectedFolder(path, error);
  }

  std::optional<bool> KeptByAdministratorsAlone(const std::string& path) override {
    return win32::KeptByAdministratorsAlone(path);
  }

  bool RemoveFolder(const std::string& path) override {
    return RemoveDirectoryA(WithoutTrailingBackslash(path).c_str()) != 0;
  }

  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

  bool Copy(const std::string& from, const std::string& to) override {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
  }

  bool Move(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  }

  std::optional<uint64_t> Length(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  // A read that fails half-way is a failure, not the end of the file.
  std::optional<std::string> ReadAll(const std::string& path) override {
    std::string bytes;
    for (;;) {
      const auto piece = ReadPiece(path, bytes.size(), 65536);
      if (!piece) return std::nullopt;
      if (piece->empty()) return bytes;
      bytes += *piece;
    }
  }

  std::optional<std::string> ReadPiece(const std::string& path, uint64_t offset,
                                       uint32_t size) override {
    const UniqueHandle file =
        OpenAt(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, offset, FILE_BEGIN);
    if (!file.valid()) return std::nullopt;
    std::string bytes(size, '\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), size, &got, nullptr)) return std::nullopt;
    bytes.resize(got);
    return bytes;
  }

  bool WriteAll(const std::string& path, std::string_view bytes) override {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && WriteWhole(file.get(), bytes);
  }

  bool Append(const std::string& path, std::string_view bytes) override {
    const UniqueHandle file = OpenAt(path, GENERIC_WRITE, 0, 0, FILE_END);
    return file.valid() && WriteWhole(file.get(), bytes);
  }

  bool Truncate(const std::string& path, uint64_t length) override {
    const UniqueHandle file = OpenAt(path, GENERIC_WRITE, 0, length, FILE_BEGIN);
    return file.valid() && SetEndOfFile(file.get());
  }

  std::unique_ptr<WritableFile> CreateExclusive(const std::string& path) override {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32WritableFile>(handle);
  }

  // Not OPEN_ALWAYS: through a link whose target is missing it creates the target (Wine 8
  // follows links even with FILE_FLAG_OPEN_REPARSE_POINT), where CREATE_NEW fails at the link.
  // A second round opens a file that another run made between the two calls.
  std::unique_ptr<WritableFile> OpenLog(const std::string& path, bool administrators,
                                        LogFacts& facts) override {
    void* const descriptor = administrators ? DescriptorFrom("O:BA") : nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    DWORD disposition = OPEN_EXISTING;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int round = 0; round < 3; ++round) {
      // Shared for writing with the relauncher, which keeps the log its copy writes too.
      file = CreateFileA(path.c_str(), FILE_APPEND_DATA | READ_CONTROL,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, disposition,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
      if (file != INVALID_HANDLE_VALUE ||
          GetLastError() !=
              (disposition == OPEN_EXISTING ? ERROR_FILE_NOT_FOUND : ERROR_FILE_EXISTS))
        break;
      disposition = disposition == OPEN_EXISTING ? CREATE_NEW : OPEN_EXISTING;
    }
    LocalFree(descriptor);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    auto log = std::make_unique<Win32WritableFile>(file);
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information)) return nullptr;
    facts.created = disposition == CREATE_NEW;
    facts.link = information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    facts.names = information.nNumberOfLinks;
    facts.adminOwned = OwnedByAdministrators(file, 1);
    using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    const auto finalPath = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    char where[MAX_PATH + 8];
    const DWORD whereLength = finalPath ? finalPath(file, where, sizeof where, 0) : 0;
    if (whereLength == 0 || whereLength >= sizeof where) return log;  // before Vista: unknown
    // With long names, as the final path has them; GetLongPathNameA may write where it reads.
    char asked[MAX_PATH];
    const DWORD fullLength = GetFullPathNameA(path.c_str(), MAX_PATH, asked, nullptr);
    const DWORD longLength = fullLength ? GetLongPathNameA(asked, asked, MAX_PATH) : 0;
    facts.elsewhere = longLength == 0 || longLength >= MAX_PATH || fullLength >= MAX_PATH ||
                      !SameFinalPath(where, asked);
    return log;
  }

  std::unique_ptr<HeldFile> HoldUnchanged(const std::string& path) override {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32HeldFile>(handle);
  }

  bool OpenFileExists(const std::string& path) override {
    OFSTRUCT record = {};
    return OpenFile(path.c_str(), &record, OF_EXIST) != HFILE_ERROR;
  }
};

}  // namespace

Files& FilesBackend() {
  static Win32Files files;
  return files;
}

}  // namespace os::win32
