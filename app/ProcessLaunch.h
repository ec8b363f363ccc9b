#pragma once
// The one way the installer starts another program: through the shell, then wait for its end.
#include <cstdint>
#include <string>

namespace app {

// Starts the program and blocks until it has ended, without time-out. A launch with a visible
// window (show not 0) hides a visible progress window first. Answers hInstApp when the shell
// took the request, else the error code; when no process came of it nothing is waited for.
// exitCode, when given, receives the exit code of the process waited for and is left alone
// when there was none.
uint32_t ShellRunAndWait(uintptr_t owner, const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory, int show,
                         uint32_t* exitCode = nullptr);

}  // namespace app
