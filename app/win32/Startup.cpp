// The program's entry point, in place of the C runtime's start-up code (the build links with
// -nostartfiles). That code prepares what this program never uses: argc/argv and the environment,
// stdio modes, thread-local storage callbacks, run-time relocation of imported data, signal and
// floating-point exception handlers; it costs about 9 KB of the download. The C runtime itself
// (msvcrt.dll) initialises itself when it is loaded, so malloc and the string functions need none
// of it. What the program does need is here: the constructors of its static objects, the call of
// WinMain, and the end of the process with its result.
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
  // The program reads its command line through Processes::CommandLineArguments and picks the
  // show mode of each window itself; WinMain looks at neither of these two parameters.
  char noArguments[] = "";
  const int result = WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT);
  for (; exitHandlers; exitHandlers = exitHandlers->next) exitHandlers->function();
  ExitProcess(static_cast<UINT>(result));
}
