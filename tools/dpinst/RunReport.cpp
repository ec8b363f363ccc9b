#include "tools/dpinst/RunReport.h"

#include <algorithm>

namespace dpinst {

uint32_t ReturnCode(const Tally& tally) {
  uint32_t flags = 0;
  if (tally.failed > 0) flags |= kFlagFailed;
  if (tally.restart) flags |= kFlagRestart;
  auto field = [](unsigned count) { return static_cast<uint32_t>(std::min(count, 255u)); };
  return flags << 24 | field(tally.failed) << 16 | field(tally.storeOnly) << 8 |
         field(tally.installed);
}

std::string HexDigits(uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return digits;
}

std::string ProblemSentence(unsigned problem) {
  static constexpr char kAgain[] = "Run this installer again.";
  static constexpr char kRestart[] = "Restart the computer.";
  static constexpr char kReplug[] = "Unplug the adapter and plug it in again.";
  static constexpr char kVendor[] = "Ask the vendor for a driver that suits this version of Windows.";
  // Device Manager's documented problem codes, in words for the person at the screen.
  static constexpr struct {
    unsigned code;
    const char* meaning;
    const char* remedy;
  } kProblems[] = {
      {1, "the adapter is not configured correctly", kAgain},
      {3, "the driver may be damaged, or Windows is short of memory", kRestart},
      {10, "the adapter cannot start", kReplug},
      {12, "the adapter cannot find enough free resources", kRestart},
      {18, "the driver must be installed again", kAgain},
      {19, "Windows' record of the adapter is incomplete or damaged", kAgain},
      {21, "Windows is removing the adapter", kRestart},
      {22, "the adapter is disabled", "Enable it in Device Manager."},
      {24, "the adapter is not present or does not have all its drivers", kReplug},
      {28, "no driver is installed for the adapter", kAgain},
      {31, "Windows cannot load the driver", kRestart},
      {32, "the driver's service is disabled", kAgain},
      {37, "Windows cannot initialize the driver", kRestart},
      {39, "Windows cannot load the driver; it may be damaged or missing", kAgain},
      {40, "the driver's service entry is missing or wrong", kAgain},
      {43, "Windows stopped the adapter because it reported problems", kReplug},
      {45, "the adapter is not connected", "Plug in the adapter."},
      {48, "Windows blocks this driver because it is known to cause problems", kVendor},
      {52, "Windows cannot verify the driver's signature", kVendor},
  };
  std::string sentence = "code " + std::to_string(problem);
  for (const auto& row : kProblems)
    if (row.code == problem)
      return sentence + ": " + row.meaning + "). " + row.remedy;
  return sentence + "). Device Manager tells what the code means.";
}

std::string RefusalSentence(uint32_t error, const std::string& uncovered) {
  if (error == 0xE000024B)  // ERROR_FILE_HASH_NOT_IN_CATALOG
    return "its catalog does not cover " + (uncovered.empty() ? "one of its files" : uncovered) +
           ".";
  // The setup API's codes (0xE000....), the trust provider's (0x800B...., 0x8009....) and the
  // kernel's blocked driver.
  static constexpr struct {
    uint32_t error;
    const char* reason;
  } kRefusals[] = {
      {0xE000022F, "it has no catalog that signs it."},
      {0xE0000234, "it is not made for this processor."},
      {0xE000023F, "its catalog carries no publisher's signature."},
      {0xE0000240, "its publisher's certificate is not allowed on this computer."},
      {0xE0000242, "Windows could not establish trust in its publisher."},
      {0xE0000243, "its publisher is not trusted on this computer."},
      {0xE0000244, "its catalog is not signed for this version of Windows."},
      {0xE0000245, "this kind of driver needs Microsoft's signature, which it lacks."},
      {0xE0000247, "the driver store could not take it."},
      {0xE0000248, "a policy of this computer blocks installing this device."},
      {0xE0000249, "a policy of this computer blocks installing this driver."},
      {0x800B0100, "it is not signed."},
      {0x800B0101, "its signing certificate has expired."},
      {0x800B0109, "its signature leads to a root certificate this computer does not trust."},
      {0x800B0004, "its publisher is not trusted."},
      {0x800B0111, "its signing certificate is explicitly distrusted."},
      {0x80096010, "one of its files was changed after it was signed."},
      {1275, "the driver is blocked from loading on this computer."},  // ERROR_DRIVER_BLOCKED
  };
  for (const auto& row : kRefusals)
    if (row.error == error) return row.reason;
  return {};
}

std::string LogLine(Level level, std::string_view message) {
  static constexpr const char* kTags[] = {"INFO:   ", "SUCCESS:", "WARNING:", "ERROR:  "};
  std::string line = kTags[static_cast<int>(level)];
  for (const char c : message) line.push_back(c == '\r' || c == '\n' ? ' ' : c);
  return line + "\r\n";
}

std::string FolderLine(std::string_view folder) {
  return LogLine(Level::kInfo, "Current working directory: '" + std::string(folder) + "'");
}

std::string ReturnCodeLine(uint32_t code) {
  return LogLine(Level::kInfo, "Returning with code 0x" + HexDigits(code));
}

std::string EncodeForLog(const std::string& text, std::string_view existingLogStart) {
  if (existingLogStart.size() < 2 || static_cast<unsigned char>(existingLogStart[0]) != 0xFF ||
      static_cast<unsigned char>(existingLogStart[1]) != 0xFE)
    return text;
  std::string wide;
  wide.reserve(text.size() * 2);
  for (const char c : text) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  return wide;
}

}  // namespace dpinst
