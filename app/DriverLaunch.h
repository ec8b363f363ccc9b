#pragma once
// Staging the driver package installer beside the edition's driver and running it.
#include <cstdint>
#include <string>

namespace app {

// ProcessorWidth: 1 for 32-bit editions, 2 for 64-bit ones. DriverSubfolder comes in as the
// edition's subfolder ("Vista 64bit\") and goes out as the full driver folder.
void LaunchDriverInstaller(int16_t& ProcessorWidth, std::string& DriverSubfolder);

}  // namespace app
