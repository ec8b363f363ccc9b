#pragma once
// The embedded configuration text "config.txt": per edition whether it is supported, how the
// driver installer runs, its driver folder and service-pack need; the texts shown afterwards.
#include <string_view>

namespace platform {

inline constexpr std::string_view kConfigurationError = "Error reading configuration settings.";

// Reads State().TempFolder + "config.txt" for State().PlatformKey. A missing file or a line of
// this edition without "=" tells the user and ends the run through the final clean-up.
void ReadConfiguration();

// Edition, service-pack and driver-folder lines. False when the line belongs to the current
// edition but has no "=" to take a value from; lines of other editions need none.
bool ReadConfigLine(std::string_view line);
bool ReadDriverFolderLine(std::string_view line);

// An "X:X" line: one of the after-setup texts, or the wireless-service switch.
void ReadAfterSetupLine(std::string_view line);

}  // namespace platform
