#include "app/InstallationSequence.h"

#include "app/CloseDown.h"

namespace app {

// Filled in with the installation run; until then the run ends through the final clean-up.
void RunInstallation() { UnloadWait(); }
void StartDriverSetup() {}

}  // namespace app
