// exitcodeprobe PROGRAM [FOLDER]: starts PROGRAM (with FOLDER as its working folder when given),
// waits, and prints its whole 32-bit exit code in hexadecimal; a shell sees only the low byte.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string command = std::string("\"") + argv[1] + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      argc > 2 ? argv[2] : nullptr, &startup, &process)) {
    std::printf("not started %lu\n", GetLastError());
    return 1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("%lX\n", code);
  return 0;
}
