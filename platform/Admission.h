#pragma once
// Whether the installer may run on this Windows edition. A refusal tells the user and ends the
// run through the final clean-up; nothing after it runs.
#include <string>

namespace platform {

// The web site named in the service-pack messages.
inline constexpr const char* kMakerWebSite = "http://www.microsoft.com";

// Refuses a machine the driver folders have no driver for. Windows on ARM runs this program
// through emulation and calls itself 64-bit, but an x64 driver cannot load there.
void CheckMachineSupported();
// Refuses an edition whose configuration line is missing or empty.
void CheckEditionSupported();
// The edition's name for people; empty for "95" and unknown keys.
std::string PlatformDisplayName();
// Refuses Windows 2000, XP and Vista without the service pack the configuration requires.
void CheckServicePack();

}  // namespace platform
