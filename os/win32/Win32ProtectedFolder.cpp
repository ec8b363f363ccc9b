#include <windows.h>
// winternl.h needs the types windows.h declares.
#include <winternl.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "os/Files.h"
#include "os/Guard.h"
#include "os/win32/Backends.h"
#include "os/win32/Handles.h"

namespace os::win32 {
namespace {

constexpr ULONG kFileCreate = 2;                   // FILE_CREATE: fail when the name exists
constexpr ULONG kFileDirectoryFile = 0x1;          // FILE_DIRECTORY_FILE
constexpr ULONG kFileSynchronousIo = 0x20;         // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kFileOpenReparsePoint = 0x200000;  // FILE_OPEN_REPARSE_POINT
constexpr ULONG kObjCaseInsensitive = 0x40;        // OBJ_CASE_INSENSITIVE
constexpr int kFileDirectoryInformation = 1;
constexpr int kFileBasicInformation = 4;
constexpr int kFileDispositionInformation = 13;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kSddlRevision = 1;  // SDDL_REVISION_1

using ConvertSddlFn = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtOpenFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                      ULONG, ULONG);
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK,
                                                PVOID, ULONG, int, BOOLEAN, PUNICODE_STRING,
                                                BOOLEAN);
using NtSetInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int);
using AreMappedFilesTheSameFn = NTSTATUS(NTAPI*)(PVOID, PVOID);
using DosPathToNtPathFn = BOOLEAN(NTAPI*)(PCWSTR, PUNICODE_STRING, PWSTR*, PVOID);
using FreeUnicodeStringFn = VOID(NTAPI*)(PUNICODE_STRING);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);

template <typename Fn>
Fn Function(const char* module, const char* name) {
  HMODULE library = GetModuleHandleA(module);
  return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                 : nullptr;
}

// FILE_DIRECTORY_INFORMATION, as far as it is read here.
struct DirectoryEntry {
  ULONG next;
  ULONG index;
  LARGE_INTEGER times[4];
  LARGE_INTEGER sizes[2];
  ULONG attributes;
  ULONG nameBytes;
  WCHAR name[1];
};

struct BasicInformation {  // FILE_BASIC_INFORMATION; zero times stay as they are
  LARGE_INTEGER times[4];
  ULONG attributes;
};

bool DeleteByHandle(HANDLE handle) {
  const auto set = Function<NtSetInformationFileFn>("ntdll.dll", "NtSetInformationFile");
  IO_STATUS_BLOCK status = {};
  BOOLEAN deleteFile = TRUE;
  return set &&
         set(handle, &status, &deleteFile, sizeof deleteFile, kFileDispositionInformation) >= 0;
}

// Empties the folder behind `folder`: every entry is opened relative to it without following a
// link, a folder that is not a link emptied the same way, and each deleted through its handle.
// The listing starts over after each pass, as deleting under a running listing may skip names.
bool EmptyHeldFolder(HANDLE folder, int depth) {
  const auto open = Function<NtOpenFileFn>("ntdll.dll", "NtOpenFile");
  const auto list = Function<NtQueryDirectoryFileFn>("ntdll.dll", "NtQueryDirectoryFile");
  const auto set = Function<NtSetInformationFileFn>("ntdll.dll", "NtSetInformationFile");
  if (!open || !list || !set || depth > 64) return false;
  alignas(8) char buffer[4096];
  for (;;) {
    IO_STATUS_BLOCK status = {};
    const NTSTATUS listed = list(folder, nullptr, nullptr, nullptr, &status, buffer, sizeof buffer,
                                 kFileDirectoryInformation, FALSE, nullptr, TRUE);
    if (listed < 0) return listed == static_cast<NTSTATUS>(0x80000006);  // STATUS_NO_MORE_FILES
    // A pass that deletes nothing ends the work: empty (only "." and ".." left) or stuck.
    int left = 0;
    bool deleted = false;
    for (ULONG at = 0;;) {
      const auto* entry = reinterpret_cast<const DirectoryEntry*>(buffer + at);
      const std::wstring_view name(entry->name, entry->nameBytes / sizeof(WCHAR));
      if (name != L"." && name != L"..") {
        ++left;
        UNICODE_STRING childName = {static_cast<USHORT>(entry->nameBytes),
                                    static_cast<USHORT>(entry->nameBytes),
                                    const_cast<PWSTR>(entry->name)};
        OBJECT_ATTRIBUTES attributes = {};
        attributes.Length = sizeof attributes;
        attributes.RootDirectory = folder;
        attributes.ObjectName = &childName;
        attributes.Attributes = kObjCaseInsensitive;
        HANDLE opened = nullptr;
        if (open(&opened, DELETE | FILE_LIST_DIRECTORY | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                 &attributes, &status, kShareAll,
                 kFileOpenReparsePoint | kFileSynchronousIo) >= 0) {
          UniqueHandle child(opened);
          const ULONG kind = entry->attributes;
          if ((kind & FILE_ATTRIBUTE_DIRECTORY) && !(kind & FILE_ATTRIBUTE_REPARSE_POINT))
            EmptyHeldFolder(child.get(), depth + 1);
          if (kind & FILE_ATTRIBUTE_READONLY) {
            BasicInformation basic = {{}, FILE_ATTRIBUTE_NORMAL};
            set(child.get(), &status, &basic, sizeof basic, kFileBasicInformation);
          }
          deleted |= DeleteByHandle(child.get());
        }
      }
      if (!entry->next) break;
      at += entry->next;
    }
    if (!deleted) return left == 0;
  }
}

class Win32HeldFolder final : public HeldFolder {
 public:
  explicit Win32HeldFolder(HANDLE handle) : handle_(handle) {}
  bool DeleteTree() override {
    const bool emptied = EmptyHeldFolder(handle_.get(), 0);
    return DeleteByHandle(handle_.get()) && emptied;
  }

 private:
  UniqueHandle handle_;
};

// A path as the native calls take it ("\??\C:\..."); false when it cannot be made.
class NtPath {
 public:
  explicit NtPath(const std::string& path) {
    const auto toNtPath = Function<DosPathToNtPathFn>("ntdll.dll", "RtlDosPathNameToNtPathName_U");
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (!toNtPath || wideLength <= 0) return;
    std::wstring wide(wideLength, L'\0');
    made_ = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), wideLength) &&
            toNtPath(wide.c_str(), &path_, nullptr, nullptr);
  }
  NtPath(const NtPath&) = delete;
  NtPath& operator=(const NtPath&) = delete;
  ~NtPath() {
    const auto freeString = Function<FreeUnicodeStringFn>("ntdll.dll", "RtlFreeUnicodeString");
    if (made_ && freeString) freeString(&path_);
  }
  explicit operator bool() const { return made_; }
  UNICODE_STRING* get() { return &path_; }

 private:
  UNICODE_STRING path_ = {};
  bool made_ = false;
};

class LocalMemory {
 public:
  LocalMemory() = default;
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
  ~LocalMemory() {
    if (memory_) LocalFree(memory_);
  }
  void** out() { return &memory_; }
  void* get() const { return memory_; }

 private:
  void* memory_ = nullptr;
};

}  // namespace

// The folder is made and opened in one NtCreateFile call: made with CreateDirectoryA and opened
// afterwards, the user's own processes could rename it away in between (they may delete and
// rename in their temporary folder whatever is in it) and put a folder of theirs in its place.
// The handle shares reading and writing but not deleting (its own DELETE right is for the
// clean-up, which deletes the folder through it), so renaming or removing the folder
// fails with a sharing violation for as long as it is held.
namespace {

// A SID is 8 bytes and 4 for each sub-authority, whose count is its second byte.
std::string_view SidBytes(const void* sid) {
  return sid ? std::string_view(static_cast<const char*>(sid),
                                8 + 4 * static_cast<const BYTE*>(sid)[1])
             : std::string_view();
}

// The account of this process's token, in `user` (TOKEN_USER: the SID's address and
// attributes, then here the SID itself).
std::string_view RunningAccount(void* user, DWORD size) {
  using OpenTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
  using TokenInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD, PDWORD);
  const auto open = Function<OpenTokenFn>("advapi32.dll", "OpenProcessToken");
  const auto information = Function<TokenInformationFn>("advapi32.dll", "GetTokenInformation");
  HANDLE token = nullptr;
  if (!open || !information || !open(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const UniqueHandle held(token);
  constexpr int kTokenUser = 1;
  if (!information(token, kTokenUser, user, size, &size)) return {};
  return SidBytes(static_cast<const TOKEN_USER*>(user)->User.Sid);
}

// GetSecurityInfo: Windows 9x lacks it.
using GetSecurityInfoFn = DWORD(WINAPI*)(HANDLE, int, SECURITY_INFORMATION, PSID*, PSID*, PACL*,
                                         PACL*, PSECURITY_DESCRIPTOR*);
GetSecurityInfoFn SecurityReader() {
  return Function<GetSecurityInfoFn>("advapi32.dll", "GetSecurityInfo");
}

}  // namespace

void* DescriptorFrom(const char* sddl) {
  const auto convert = Function<ConvertSddlFn>(
      "advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  return convert && convert(sddl, kSddlRevision, &descriptor, nullptr) ? descriptor : nullptr;
}

bool OwnedByAdministrators(void* handle, int objectType) {
  const auto get = SecurityReader();
  PSID owner = nullptr;
  LocalMemory descriptor;
  return handle && get &&
         get(handle, objectType, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
             descriptor.out()) == ERROR_SUCCESS &&
         os::AdministratorsOrSystem(SidBytes(owner));
}

std::optional<bool> SecuredForAdministrators(void* handle, int objectType) {
  const auto get = SecurityReader();
  if (!get) return std::nullopt;
  // What an administrator cannot open or read (its list denies them) is refused.
  Guard guard;
  PSID owner = nullptr;
  PACL acl = nullptr;
  LocalMemory descriptor;
  if (!handle || get(handle, objectType, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                     &owner, nullptr, &acl, nullptr, descriptor.out()) != ERROR_SUCCESS)
    return false;
  alignas(void*) char user[128];
  guard.owner = SidBytes(owner);
  guard.self = RunningAccount(user, sizeof user);
  if (acl) guard.acl.emplace(reinterpret_cast<const char*>(acl), acl->AclSize);
  return os::KeptByAdministratorsAlone(guard);
}

std::optional<bool> KeptByAdministratorsAlone(const std::string& path) {
  const UniqueHandle folder(CreateFileA(path.c_str(), READ_CONTROL, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  constexpr int kFileObject = 1;  // SE_FILE_OBJECT
  return SecuredForAdministrators(folder.valid() ? folder.get() : nullptr, kFileObject);
}

std::unique_ptr<HeldFolder> CreateProtectedFolder(const std::string& path, uint32_t& error) {
  const auto create = Function<NtCreateFileFn>("ntdll.dll", "NtCreateFile");
  const auto toError = Function<StatusToErrorFn>("ntdll.dll", "RtlNtStatusToDosError");
  error = ERROR_CALL_NOT_IMPLEMENTED;  // Windows 9x: no descriptors, no NtCreateFile
  if (!create || !toError) return nullptr;

  LocalMemory descriptor;
  *descriptor.out() = DescriptorFrom(kAdministratorsOnly);
  if (!descriptor.get()) {
    error = GetLastError();
    return nullptr;
  }
  NtPath ntPath(path);
  if (!ntPath) {
    error = ERROR_INVALID_NAME;
    return nullptr;
  }
  OBJECT_ATTRIBUTES attributes = {};
  attributes.Length = sizeof attributes;
  attributes.ObjectName = ntPath.get();
  attributes.Attributes = kObjCaseInsensitive;
  attributes.SecurityDescriptor = descriptor.get();
  IO_STATUS_BLOCK status = {};
  HANDLE handle = nullptr;
  const NTSTATUS result =
      create(&handle, DELETE | FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &status, nullptr,
             FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, kFileCreate,
             kFileDirectoryFile | kFileSynchronousIo, nullptr, 0);
  if (result < 0) {
    error = toError(result);
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32HeldFolder>(handle);
}

bool RenameByHandle(void* file, const std::string& path) {
  const auto set = Function<NtSetInformationFileFn>("ntdll.dll", "NtSetInformationFile");
  NtPath target(path);
  if (!set || !target) return false;
  // FILE_RENAME_INFORMATION: replace or not, the folder a relative name starts from (none), the
  // name's length in bytes and the name.
  struct RenameInformation {
    BOOLEAN replace;
    HANDLE root;
    ULONG nameBytes;
    WCHAR name[1];
  };
  alignas(RenameInformation) char buffer[sizeof(RenameInformation) + 1024];
  const USHORT nameBytes = target.get()->Length;
  if (nameBytes > 1024) return false;
  auto* const rename = reinterpret_cast<RenameInformation*>(buffer);
  *rename = {TRUE, nullptr, nameBytes, {}};
  std::memcpy(rename->name, target.get()->Buffer, nameBytes);
  IO_STATUS_BLOCK status = {};
  constexpr int kFileRenameInformation = 10;
  return set(file, &status, rename, sizeof buffer, kFileRenameInformation) >= 0;
}

}  // namespace os::win32

namespace os::win32 {

// The held file is mapped as an image beside this process's own; the kernel answers whether both
// views come from one file. Names play no part: a file renamed into the program's place is a
// different file however alike its name or its bytes.
bool IsRunningImage(void* file) {
  const auto same = Function<AreMappedFilesTheSameFn>("ntdll.dll", "NtAreMappedFilesTheSame");
  // Every Windows that splits an administrator's rights has the call; an older one without it
  // keeps installing as before rather than refusing every administrator.
  if (!same) return true;
  UniqueHandle mapping(CreateFileMappingA(file, nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
  if (!mapping.valid()) return false;
  void* const view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (!view) return false;
  const bool isSame = same(GetModuleHandleA(nullptr), view) >= 0;
  UnmapViewOfFile(view);
  return isSame;
}

}  // namespace os::win32
