#pragma once
// The package installer's result: its return code and the lines it appends to DPINST.LOG.
#include <cstdint>
#include <string>
#include <string_view>

namespace dpinst {

inline constexpr uint32_t kFlagRestart = 0x40;
inline constexpr uint32_t kFlagFailed = 0x80;

struct Tally {
  unsigned installed = 0;  // packages installed on at least one device
  unsigned storeOnly = 0;  // packages in the driver store with no device to install on
  unsigned failed = 0;     // packages that failed
  bool restart = false;
};

// 0xWWXXYYZZ: WW flags (0x80 a package failed, 0x40 a restart is needed), XX failed,
// YY in the store only, ZZ installed. Counts above 255 stay 255 rather than spill into the
// next field.
uint32_t ReturnCode(const Tally& tally);

// Upper-case hexadecimal digits without leading zeros ("0" for zero).
std::string HexDigits(uint32_t value);

// What a log line says between a package's name and the published INF's path; the installer
// reads it back to know what to remove later.
inline constexpr char kPublishedAs[] = "' is in the driver store as '";

// The beginnings of the sentences the installer shows as they stand when a run failed for one of
// these reasons. Each stands on a line of its own, after the level tag, and ends with the line.
inline constexpr char kRefused[] = "Windows refused the driver: ";
inline constexpr char kDoesNotWork[] = "Windows installed the driver, but the adapter does not work (";
// What a line says when a device keeps a driver that is better than the package's: the device's
// instance id comes before it, the two drivers after it.
inline constexpr char kKeepsBetterDriver[] = "' keeps its better driver: ";

// Device Manager's problem code as a sentence that starts after kDoesNotWork: the code and what
// it means, then what the person can do.
std::string ProblemSentence(unsigned problem);

// Why Windows refused a package, for the setup API's codes of catalogs, signatures, trust, blocked
// drivers and the driver store, as a sentence that starts after kRefused; empty for other codes.
// `uncovered` names the file a catalog does not cover, when that is known.
std::string RefusalSentence(uint32_t error, const std::string& uncovered);

enum class Level { kInfo, kSuccess, kWarning, kError };

// One log line: an 8-character level tag, the message, CR LF. Line breaks inside the message
// become spaces so that one message is always one line.
std::string LogLine(Level level, std::string_view message);

// "INFO:   Current working directory: '<folder>'": the folder starts at character 37.
std::string FolderLine(std::string_view folder);
// "INFO:   Returning with code 0x<digits>": the digits start at character 31.
std::string ReturnCodeLine(uint32_t code);

// The run's text as it goes into an existing log: UTF-16LE when that log starts with the
// byte-order mark FF FE (a log of another installer), otherwise unchanged single-byte text.
std::string EncodeForLog(const std::string& text, std::string_view existingLogStart);

}  // namespace dpinst
