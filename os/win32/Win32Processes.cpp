#include <windows.h>
#include <shellapi.h>

#include "os/Processes.h"
#include "os/win32/Backends.h"
#include "os/win32/Handles.h"

namespace os::win32 {
namespace {

// SHELLEXECUTEINFOA is 60 bytes in the 32-bit program, as the shell of Windows 2000 expects.
static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60);

// The arguments after the program name: skip the name (quoted or not), then one blank.
std::string ArgumentsOf(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  if (*p == ' ' || *p == '\t') ++p;
  return p;
}

class Win32Processes final : public Processes {
 public:
  std::string CommandLineArguments() override { return ArgumentsOf(GetCommandLineA()); }

  std::string ProgramFilePath() override {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
  }

  ShellAnswer Execute(const ShellRequest& request) override {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | (request.noUi ? SEE_MASK_FLAG_NO_UI : 0);
    info.hwnd = reinterpret_cast<HWND>(request.owner);
    info.lpVerb = request.verb.c_str();
    info.lpFile = request.file.c_str();
    info.lpParameters = request.parameters.c_str();
    info.lpDirectory = request.directory.c_str();
    info.nShow = request.show;
    ShellAnswer answer;
    answer.succeeded = ShellExecuteExA(&info) != 0;
    if (!answer.succeeded) answer.lastError = GetLastError();
    answer.instApp = reinterpret_cast<uintptr_t>(info.hInstApp);
    answer.process = reinterpret_cast<uintptr_t>(info.hProcess);
    return answer;
  }

  uint32_t WaitAndClose(uintptr_t process) override {
    HANDLE handle = reinterpret_cast<HANDLE>(process);
    WaitForSingleObject(handle, INFINITE);
    DWORD code = 0;
    // An unreadable code is no success: ERROR_INSTALL_FAILURE (1603) stands for it.
    if (!GetExitCodeProcess(handle, &code)) code = 1603;
    CloseHandle(handle);
    return code;
  }

  // Never closed: Windows lets go of it when the process ends, however it ends.
  MutexAnswer CreateMachineMutex(const char* name) override {
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    MutexAnswer answer{GetLastError(), false};
    if (mutex && answer.error != ERROR_ALREADY_EXISTS) answer.error = 0;
    answer.adminOwned = answer.error == ERROR_ALREADY_EXISTS && OwnedByAdministrators(mutex, 6);
    return answer;
  }

  // In the system folder, where only administrators may make a file, with an access list that
  // lets no one else open it, and delete-on-close: the kernel deletes it however the process
  // ends. A file left by a power cut is opened again, as only administrators can.
  AdministratorsLock TakeAdministratorsLock(const char* name) override {
    char path[MAX_PATH + 64];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    void* const descriptor = DescriptorFrom(kAdministratorsOnly);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE file = INVALID_HANDLE_VALUE;
    if (descriptor && length && length < MAX_PATH) {  // room left for the short name
      path[length] = '\\';
      while ((path[++length] = *name++)) {
      }
      file = CreateFileA(path, GENERIC_READ | DELETE, 0, &attributes, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    }
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    if (file != INVALID_HANDLE_VALUE) return AdministratorsLock::Taken;
    return error == ERROR_SHARING_VIOLATION ? AdministratorsLock::HeldElsewhere
                                            : AdministratorsLock::Unavailable;
  }

  std::optional<uint32_t> WaitForDeviceInstallations(uint32_t milliseconds) override {
    using WaitFn = DWORD(WINAPI*)(DWORD);
    const HMODULE library = LoadSystemLibrary("cfgmgr32.dll");
    const auto wait = library ? reinterpret_cast<WaitFn>(reinterpret_cast<void*>(
                                    GetProcAddress(library, "CMP_WaitNoPendingInstallEvents")))
                              : nullptr;
    if (!wait) return std::nullopt;
    return wait(milliseconds);
  }

  void EndProcess(int code) override { ExitProcess(static_cast<UINT>(code)); }
};

}  // namespace

Processes& ProcessesBackend() {
  static Win32Processes processes;
  return processes;
}

}  // namespace os::win32
