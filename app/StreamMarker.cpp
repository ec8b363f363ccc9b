#include "app/StreamMarker.h"

#include "os/Files.h"
#include "os/Platform.h"

namespace app {

bool StreamExists(const std::string& path) {
  os::Os().files->OpenFileExists(path);
  return true;
}

}  // namespace app
