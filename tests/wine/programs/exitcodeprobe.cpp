// exitcodeprobe PROGRAM [FOLDER [ARGUMENTS]]: starts PROGRAM (with FOLDER as its working folder
// unless it is empty, and ARGUMENTS after its name), waits, and prints its whole 32-bit exit code
// in hexadecimal; a shell sees only the low byte.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string command = std::string("\"") + argv[1] + "\"";
  if (argc > 3) command += std::string(" ") + argv[3];
  const char* folder = argc > 2 && argv[2][0] ? argv[2] : nullptr;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                      &startup, &process)) {
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
