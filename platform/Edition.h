#pragma once
// The Windows edition as one short key, and the service-pack and administrator questions.
#include <string>

#include "app/InstallerState.h"

namespace platform {

// On NT 5.1, 5.2 and 6.x writes the base key ("WinXP", "Win2K3", "Vista") into
// State().PlatformKey before the 64-bit test reads it; the caller stores the returned key.
std::string DetectPlatformKey();
app::Flag IsWow64Platform();
app::Flag HasAdministratorRights();
app::Flag IsWindows2000();
app::Flag IsWindowsXP();
app::Flag IsWindowsVista();
app::Flag HasWindows2000SP4();
app::Flag HasWindowsXPSP2();
app::Flag HasWindowsVistaSP1();

}  // namespace platform
