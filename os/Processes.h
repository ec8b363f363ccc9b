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

  // Takes the named lock (a mutex) for the rest of the process. False when another process,
  // in any session, holds it. Where no such lock exists, every run goes ahead.
  virtual bool TakeMachineLock(const char*) { return true; }
  // CMP_WaitNoPendingInstallEvents: 0 when Windows has no device installation in progress (any
  // more), 258 when the time ran out; nullopt where the platform lacks the call.
  virtual std::optional<uint32_t> WaitForDeviceInstallations(uint32_t) { return std::nullopt; }

  // Ends the process at once; windows still loaded go without further events.
  [[noreturn]] virtual void EndProcess(int code) = 0;
};

// Ends the process through the installed platform.
[[noreturn]] void EndProcess(int code);

}  // namespace os
