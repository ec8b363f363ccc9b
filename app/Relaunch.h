#pragma once
// The first start: run the installation from a fresh temporary copy of the program.

namespace app {

// True when the copy ran and is gone (the caller ends the process); false when the installation
// is to run in this process instead.
bool RunRelaunch();

}  // namespace app
