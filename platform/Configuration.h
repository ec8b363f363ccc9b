#pragma once
// The embedded configuration text "config.txt": per edition whether it is supported, how the
// driver installer runs, its driver folder and service-pack need; the texts shown afterwards.
#include <string_view>

namespace platform {

inline constexpr std::string_view kConfigurationError = "Error reading configuration settings.";

inline constexpr std::string_view kConfigurationPathError =
    "The configuration names a path outside the driver folder: ";

// The install modes that stage and run the driver package installer; any other text names a
// program of the driver folder. Compared exactly, letter case included.
inline constexpr std::string_view kSilentMode = "->DRIVER_SILENT";  // and reads its log
inline constexpr std::string_view kDriverMode = "->DRIVER";
inline bool RunsDriverInstaller(std::string_view mode) {
  return mode == kSilentMode || mode == kDriverMode;
}

struct NameAndKey {
  std::string_view name;
  std::string_view platformKey;
};

// The file names the 9x editions differently from their keys, and nothing maps to "95".
inline constexpr NameAndKey kEditionNames[] = {
    {"Win98SE", "98"},        {"WinME", "ME"},        {"Win2K", "Win2K"},
    {"WinXP", "WinXP"},       {"WinXP64", "WinXP64"}, {"Win2K3", "Win2K3"},
    {"Win2K364", "Win2K364"}, {"Vista", "Vista"},     {"Vista64", "Vista64"},
};

inline constexpr NameAndKey kServicePackNames[] = {
    {"Win2KSP4Required", "Win2K"},
    {"WinXPSP2Required", "WinXP"},
    {"VistaSP1Required", "Vista"},
};

// Reads the configuration for State().PlatformKey from the program's own resource (the bytes
// that config.txt was written from). A missing resource, a line of this edition without "=", or a
// driver folder or program of this edition that leads out of the driver folder tells the user
// and ends the run through the final clean-up.
void ReadConfiguration();

// No "..", no drive or other ":", no leading "\" or "/".
bool StaysInsideDriverFolder(std::string_view path);

// Edition, service-pack and driver-folder lines. False when the line belongs to the current
// edition but has no "=" to take a value from; lines of other editions need none.
bool ReadConfigLine(std::string_view line);
bool ReadDriverFolderLine(std::string_view line);

// An "X:X" line: one of the after-setup texts, or the wireless-service switch.
void ReadAfterSetupLine(std::string_view line);

}  // namespace platform
