#include "app/StreamMarker.h"

#include "os/Files.h"
#include "os/Platform.h"

namespace app {

bool StreamExists(const std::string& path) {
  os::Os().files->OpenFileExists(path);
  return true;
}

bool DeleteStream(const std::string& path) {
  if (!StreamExists(path)) return false;
  // On NTFS this removes only the stream; elsewhere "file:DATA" names nothing and nothing goes.
  os::Os().files->RemoveFile(path);
  return true;
}

}  // namespace app
