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

  bool TakeMachineLock(const char* name) override {
    // Never closed: Windows lets go of it when the process ends, however it ends.
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    // Denied: a run of another account made it. Any other failure (a Windows without the
    // session namespaces) must not keep the installer from running.
    if (!mutex) return GetLastError() != ERROR_ACCESS_DENIED;
    return GetLastError() != ERROR_ALREADY_EXISTS;
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
