#pragma once
// The driver installer's log: finding the section of this run, judging its return code, and
// keeping the log's earlier content aside while the installer writes a fresh one.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "run/InstallerState.h"

namespace platform {

// The shell's special folder (os::kWindowsFolderId is the Windows folder), spaces trimmed, in its
// short form where the ANSI code page lacks letters of its name; empty when none.
std::string FindSystemFolder(int folderId);

// The driver package installer's log in the Windows folder given: "<folder>\DPINST.LOG".
std::string InstallLogPath(const std::string& windowsFolder);

// Hexadecimal digits, optionally after "&H"; other characters count as 0. More than 23 digits
// give 0. A double keeps the magnitude of long texts instead of wrapping around.
double HexToNumber(std::string_view text);

// The log as single-byte text: a UTF-16LE log (byte-order mark FF FE) is converted to the ANSI
// code page through the platform, other logs come back unchanged.
std::string LogAsSingleByteText(const std::string& bytes);

// The name the earlier log is set aside under: "DPINST." + the first two characters of the date
// text + the first of the time text, each character a file name may not hold made "_".
std::string SavedLogName(const std::string& dateText, const std::string& timeText);

// What the finish window shows for one run; decided without touching any window.
struct LogOutcome {
  bool show = false;
  std::string label;
  std::string caption;
  std::string message;  // empty: no message box
};

// What the driver installer's log says of the run of one driver folder.
struct RunSection {
  std::optional<std::string> code;  // the return-code text; nullopt when the log holds none
  // Our package installer's own sentences for the person: why Windows refused the driver or why
  // the adapter does not work (the first of them), and whether a device kept a better driver.
  // Logs of other driver installers hold neither.
  std::string failure;
  bool keptBetterDriver = false;
};

// The section of the run of driverFolder in the driver installer's log: its first folder line
// that names driverFolder up to the first return-code line after it.
RunSection ReadRunSection(const std::string& driverFolder);

// Splits the code into its four fields, replaces the placeholders of the three messages in the
// state (as the run keeps them afterwards), sets the run's exit code and decides the outcome.
// Codes of 0 or more than 8 digits decide nothing and leave the messages and exit code alone.
LogOutcome DecideOutcome(const RunSection& run, run::InstallerState& state);

// Reads the log of the run in driverFolder and fills and shows the finish window.
void AnalyseInstallLog(const std::string& driverFolder);

// Mode 1 sets an existing log aside before the driver installer runs, mode 2 merges it back
// in front of the new run's log.
void PreserveInstallLog(int mode);

// Appends all bytes of source to target in the target's encoding (UTF-16LE or single-byte),
// piece by piece; answers target's former length, nullopt when a read or a write failed (a
// write is tried again for a moment while another program holds the target).
std::optional<uint64_t> AppendFileBytes(const std::string& source, const std::string& target);

}  // namespace platform
