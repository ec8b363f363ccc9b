#include <windows.h>
// winternl.h needs the types windows.h declares.
#include <winternl.h>

#include <memory>
#include <string>

#include "os/Files.h"
#include "os/win32/Backends.h"
#include "os/win32/Handles.h"

namespace os::win32 {
namespace {

// Owner Administrators; full access for Administrators and SYSTEM only, passed on to files and
// folders made inside ("OICI"); "P" cuts what the user's temporary folder would pass on.
constexpr char kProtectedFolderDescriptor[] = "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

constexpr ULONG kFileCreate = 2;             // FILE_CREATE: fail when the name exists
constexpr ULONG kFileDirectoryFile = 0x1;    // FILE_DIRECTORY_FILE
constexpr ULONG kFileSynchronousIo = 0x20;   // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kObjCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE
constexpr DWORD kSddlRevision = 1;           // SDDL_REVISION_1

using ConvertSddlFn = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using DosPathToNtPathFn = BOOLEAN(NTAPI*)(PCWSTR, PUNICODE_STRING, PWSTR*, PVOID);
using FreeUnicodeStringFn = VOID(NTAPI*)(PUNICODE_STRING);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);

template <typename Fn>
Fn Function(const char* module, const char* name) {
  HMODULE library = GetModuleHandleA(module);
  return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                 : nullptr;
}

class Win32HeldFolder final : public HeldFolder {
 public:
  explicit Win32HeldFolder(HANDLE handle) : handle_(handle) {}

 private:
  UniqueHandle handle_;
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
// The handle shares reading and writing but not deleting, so renaming or removing the folder
// fails with a sharing violation for as long as it is held.
std::unique_ptr<HeldFolder> CreateProtectedFolder(const std::string& path, uint32_t& error) {
  const auto convert = Function<ConvertSddlFn>(
      "advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA");
  const auto create = Function<NtCreateFileFn>("ntdll.dll", "NtCreateFile");
  const auto toNtPath = Function<DosPathToNtPathFn>("ntdll.dll", "RtlDosPathNameToNtPathName_U");
  const auto freeString = Function<FreeUnicodeStringFn>("ntdll.dll", "RtlFreeUnicodeString");
  const auto toError = Function<StatusToErrorFn>("ntdll.dll", "RtlNtStatusToDosError");
  error = ERROR_CALL_NOT_IMPLEMENTED;  // Windows 9x: no descriptors, no NtCreateFile
  if (!convert || !create || !toNtPath || !freeString || !toError) return nullptr;

  LocalMemory descriptor;
  if (!convert(kProtectedFolderDescriptor, kSddlRevision, descriptor.out(), nullptr)) {
    error = GetLastError();
    return nullptr;
  }
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(wideLength > 0 ? wideLength : 1, L'\0');
  if (wideLength <= 0 ||
      !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), wideLength)) {
    error = ERROR_INVALID_NAME;
    return nullptr;
  }
  UNICODE_STRING ntPath = {};
  if (!toNtPath(wide.c_str(), &ntPath, nullptr, nullptr)) {
    error = ERROR_INVALID_NAME;
    return nullptr;
  }
  OBJECT_ATTRIBUTES attributes = {};
  attributes.Length = sizeof attributes;
  attributes.ObjectName = &ntPath;
  attributes.Attributes = kObjCaseInsensitive;
  attributes.SecurityDescriptor = descriptor.get();
  IO_STATUS_BLOCK status = {};
  HANDLE handle = nullptr;
  const NTSTATUS result = create(&handle, FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &status,
                                 nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 kFileCreate, kFileDirectoryFile | kFileSynchronousIo, nullptr, 0);
  freeString(&ntPath);
  if (result < 0) {
    error = toError(result);
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32HeldFolder>(handle);
}

}  // namespace os::win32
