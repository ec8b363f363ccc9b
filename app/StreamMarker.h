#pragma once
// mod_ADS: the named data stream "DATA" of the program file. The relaunch's copy is written
// from the program's bytes alone and carries no named stream to remove.
#include <string>

namespace app {

// Always true: on file systems without named streams the probe has nothing to find, and the
// relaunch must go ahead all the same.
bool StreamExists(const std::string& path);

}  // namespace app
