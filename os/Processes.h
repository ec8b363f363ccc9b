#pragma once
// This process and the programs it starts.
#include <cstdint>
#include <string>
#include <optional>

namespace os {

// What ShellExecuteExA is asked: SEE_MASK_NOCLOSEPROCESS, no other mask bits.
struct ShellRequest {
  uintptr_t owner = 0;
  std::string verb;
  std::string file;
  std::string parameters;
  std::string directory;
  int show = 0;
  bool noUi = false;  // SEE_MASK_FLAG_NO_UI as well: no error box of the shell's own
};

struct ShellAnswer {
  bool succeeded = false;
  uintptr_t instApp = 0;
  uint32_t lastError = 0;  // GetLastError right after a failed call
  uintptr_t process = 0;   // 0 when the shell gave no process handle
};

struct MutexAnswer {
  // GetLastError after CreateMutexA: 0 made here, 183 (ERROR_ALREADY_EXISTS) made before,
  // 5 (ERROR_ACCESS_DENIED) made before and closed to this account, whose owner is not read,
  // 6 (ERROR_INVALID_HANDLE) the name is another kind of object; anything else: Windows has no
  // such name space.
  uint32_t error = 0;
  bool adminOwned = false;  // made before, with owner Administrators or SYSTEM
};

enum class AdministratorsLock : uint8_t {
  Taken,
  HeldElsewhere,  // ERROR_SHARING_VIOLATION (32): another run holds it
  Unavailable,    // this account may not make or open it (no administrator rights), or Windows 9x
};

class Processes {
 public:
  virtual ~Processes() = default;
  // The argument text after the program name, the separating blank not included.
  virtual std::string CommandLineArguments() = 0;
  // Full path of the running program file.
  virtual std::string ProgramFilePath() = 0;

  virtual ShellAnswer Execute(const ShellRequest& request) = 0;
  // Waits without time-out, then closes the handle; answers the process's exit code.
  virtual uint32_t WaitAndClose(uintptr_t process) = 0;

  // CreateMutexA on the name, kept for the rest of the process. Any account may make an object
  // of any name under "Global\", so what answers is only a claim: the caller weighs the owner.
  virtual MutexAnswer CreateMachineMutex(const char*) { return {}; }
  // A file of that name that only Administrators and SYSTEM may open, in the system folder that
  // only they may write to, held without sharing for the rest of the process.
  virtual AdministratorsLock TakeAdministratorsLock(const char*) {
    return AdministratorsLock::Unavailable;
  }
  // CMP_WaitNoPendingInstallEvents: 0 when Windows has no device installation in progress (any
  // more), 258 when the time ran out; nullopt where the platform lacks the call.
  virtual std::optional<uint32_t> WaitForDeviceInstallations(uint32_t) { return std::nullopt; }

  // Ends the process at once; windows still loaded go without further events.
  [[noreturn]] virtual void EndProcess(int code) = 0;
};

// Ends the process through the installed platform.
[[noreturn]] void EndProcess(int code);

}  // namespace os
