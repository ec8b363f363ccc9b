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
