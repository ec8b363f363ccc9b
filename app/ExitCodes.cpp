#include "app/ExitCodes.h"

namespace app {

uint32_t ExitCodeOfInstallerFlags(int flags) {
  switch (flags) {
    case 0:
      return kExitInstalled;
    case 0x40:
      return kExitRestartNeeded;
    default:
      return kExitFailed;
  }
}

uint32_t ExitCodeOfSetupProgram(uint32_t code) {
  return code == kExitInstalled || code == kExitRestartNeeded ? code : kExitFailed;
}

}  // namespace app
