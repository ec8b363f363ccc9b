#pragma once
// Staging the driver package installer beside the edition's driver and running it.
#include <cstdint>
#include <string>

namespace app {

// The work folder's driver tree, where cabinet 1 puts the edition folders ("...\driver\"), and
// the folder cabinet 386 puts the driver package installers and launchers in, inside it.
std::string DriverTree();
std::string StagingFolder();

// ProcessorWidth: 1 for 32-bit editions, 2 for 64-bit ones. DriverSubfolder comes in as the
// edition's subfolder ("Vista 64bit\") and goes out as the full driver folder.
void LaunchDriverInstaller(int16_t& ProcessorWidth, std::string& DriverSubfolder);

// The removal: the driver installer of the Windows width (64-bit when wide) takes each package the
// product's entry records out of the devices and the driver store; the entry and the kept copy go
// once every package is gone. Sets the run's exit code and shows the outcome.
void RemoveDriverPackages(bool wide);

}  // namespace app
