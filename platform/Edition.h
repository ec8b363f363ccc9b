#pragma once
// The Windows edition as one short key, and the service-pack and administrator questions.
#include <optional>
#include <string>
#include <string_view>

#include "run/InstallerState.h"
#include "os/Version.h"

namespace platform {

// On NT 5.1, 5.2 and 6.x writes the base key ("WinXP", "Win2K3", "Vista") into
// State().PlatformKey before the 64-bit test reads it; the caller stores the returned key.
std::string DetectPlatformKey();
run::Flag IsWow64Platform();
run::Flag HasAdministratorRights();
run::Flag IsWindows2000();
run::Flag IsWindowsXP();
run::Flag IsWindowsVista();
run::Flag HasWindows2000SP4();
run::Flag HasWindowsXPSP2();
run::Flag HasWindowsVistaSP1();

// NT 6.1 and later as the program sees them (7, and 8 and up without a supportedOS manifest):
// they share the Vista key but already carry everything Vista's service packs brought.
run::Flag IsWindowsAfterVista();

// The decisions without the platform: `record` is empty when GetVersionExA did not return 1.
// The key without its processor width: "WinXP" also on 64-bit XP.
std::string BaseEditionKey(const std::optional<os::VersionRecord>& record);
// Whether an edition with this base key can be 64-bit, and so is asked about it.
bool AsksWow64(std::string_view baseKey);
// The edition key for a record and the 64-bit answer (looked at only where AsksWow64).
std::string ClassifyEdition(const std::optional<os::VersionRecord>& record, bool wow64);
// Whether the administrator answer of the shell decides for this key; the 9x editions and
// unknown ones have no such notion and count as administrator.
bool AsksAdministratorTest(std::string_view platformKey);
// Whether the driver folders can serve the machine Windows runs on: x86 and x64 can. Without an
// answer (kMachineUnknown: before Windows 10 1709) the machine is one of them, as it always was.
bool HasDriverForMachine(uint16_t nativeMachine);
// Searches all 128 characters of the service-pack text, NUL and what follows it included.
bool ServicePackTextContains(const os::VersionRecord& record, std::string_view text);

}  // namespace platform
