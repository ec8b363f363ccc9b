#include "app/Relaunch.h"

#include "os/Platform.h"
#include "os/Processes.h"

namespace app {

// Filled in with the installation run; until then a plain start ends without a window.
bool RunRelaunch() { return true; }

}  // namespace app
