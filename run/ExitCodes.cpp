#include "run/ExitCodes.h"

namespace run {

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

}  // namespace run
