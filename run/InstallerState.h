#pragma once
// The installation run's process-wide state. Each process has its own; processes share files only.
#include <cstdint>
#include <string>

#include "run/ExitCodes.h"
#include "run/RunLog.h"

namespace run {

// Flags are 16-bit integers: -1 is true, 0 is false.
using Flag = int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

// A plain array, not a std::string: every source that includes this header would construct and
// register the destruction of its own copy at start.
inline constexpr char kAppTitle[] = "Norvane Driver/Utility Installer v1.4";

struct InstallerState {
  std::string PlatformKey;
  std::string MsgInstalledCorrectly;
  std::string MsgInstalledDrvStore;
  std::string MsgInstallFailed;
  // In place of MsgInstalledDrvStore where the adapter kept a better driver it already had.
  std::string MsgKeptBetterDriver = "A newer driver is already installed for your adapter; it was kept.";
  std::string MsgInstallInfo;
  std::string InstallerPath;
  std::string InstallMode;
  Flag ServicePackRequired = kFalse;
  std::string DriverSubfolder;
  Flag IsAdministrator = kFalse;
  Flag ServiceCheckDone = kFalse;
  Flag CheckWirelessService = kFalse;
  std::string MsgWirelessService;
  std::string TempFolder;       // ends with "\"
  std::string InstallFolder;    // TempFolder + ExeName + "_InstallationFolder", no trailing "\"
  std::string SetAsideLogPath;  // where the earlier driver installer log waits to be merged back
  // The code the run ends with (run/ExitCodes.h). A way out that decides none is a failure.
  uint32_t ExitCode = kExitFailed;
  // From the command line's switches: who is at the screen, where the run's log goes (empty:
  // nowhere), and the switches as the relauncher passes them on to its copy (" /quiet ...").
  Presence presence = Presence::Windows;
  std::string LogPath;
  std::string CarriedSwitches;
  // "/uninstall": the run removes what an earlier install left instead of installing, and says
  // so with these texts of the configuration (empty: the program's own).
  bool Uninstall = false;
  // "/force" or the configuration's "ForceInstall:Yes": the driver goes onto the adapter even
  // where the adapter has a driver at least as good.
  bool ForceInstall = false;
  std::string MsgUninstalled;
  std::string MsgUninstallFailed;
};

InstallerState& State();

// Identity of the running program file, asked of the platform every time.
std::string ExeName();      // base name without folder and without ".exe"
std::string ExeFolder();    // without trailing "\"
std::string ProgramFile();  // ExeFolder + "\" + ExeName + ".exe"

// The same, for a given full path; the pure half of the three above.
std::string ExeNameOf(const std::string& programPath);
std::string ExeFolderOf(const std::string& programPath);

std::string LowerCase(std::string text);
std::string UpperCase(std::string text);

// Decimal digits, at least minDigits of them (zeros in front), appended to text.
void AppendDecimal(std::string& text, unsigned long number, unsigned minDigits = 1);
// The number in decimal, "-" in front when negative.
std::string DecimalText(long number);

}  // namespace run
