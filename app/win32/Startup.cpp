// The program's entry point, in place of the C runtime's start-up code (the build links with
// -nostartfiles). That code prepares what this program never uses: argc/argv and the environment,
// stdio modes, thread-local storage callbacks, run-time relocation of imported data, signal and
// floating-point exception handlers; it costs about 9 KB of the download. The C runtime itself
// (msvcrt.dll) initialises itself when it is loaded, so malloc and the string functions need none
// of it. What the program does need is here: the constructors of its static objects, WinMain's
// arguments, and the end of the process with WinMain's result.
#include <windows.h>

#include <cstdlib>

extern "C" void __main();  // libmingw32's: runs the static constructors once

namespace {

// Functions registered by atexit: the destructors of static objects.
struct ExitHandler {
  void (*function)();
  ExitHandler* next;
};
ExitHandler* exitHandlers = nullptr;

// The command line after the program's name, as WinMain receives it.
LPSTR ArgumentsOf(LPSTR line) {
  if (*line == '"') {
    ++line;
    while (*line && *line != '"') ++line;
    if (*line == '"') ++line;
  } else {
    while (*line && *line != ' ' && *line != '\t') ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

}  // namespace

// The runtime's own atexit belongs to its start-up code. As with its exit(), the handlers run
// when WinMain returns, the last registered first; EndProcess ends the process without them.
extern "C" int atexit(void (*function)()) {
  auto* handler = static_cast<ExitHandler*>(std::malloc(sizeof(ExitHandler)));
  if (!handler) return -1;
  *handler = ExitHandler{function, exitHandlers};
  exitHandlers = handler;
  return 0;
}

extern "C" void WinMainCRTStartup() {
  __main();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : SW_SHOWDEFAULT;
  const int result =
      WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsOf(GetCommandLineA()), show);
  for (; exitHandlers; exitHandlers = exitHandlers->next) exitHandlers->function();
  ExitProcess(static_cast<UINT>(result));
}
