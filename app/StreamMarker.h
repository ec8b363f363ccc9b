#pragma once
// mod_ADS: the named data stream "DATA" of a program copy.
#include <string>

namespace app {

// Always true: on file systems without named streams the probe has nothing to find, and the
// relaunch must go ahead all the same.
bool StreamExists(const std::string& path);
bool DeleteStream(const std::string& path);

}  // namespace app
