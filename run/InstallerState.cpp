#include "run/InstallerState.h"

#include <algorithm>
#include <limits>

#include "os/Platform.h"
#include "os/Processes.h"
#include "run/AnsiPaths.h"

namespace run {

InstallerState& State() {
  static InstallerState state;
  return state;
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string UpperCase(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

void AppendDecimal(std::string& text, unsigned long number, unsigned minDigits) {
  char digits[std::numeric_limits<unsigned long>::digits10 + 1];
  unsigned at = sizeof digits;
  do {
    digits[--at] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  const unsigned count = sizeof digits - at;
  if (minDigits > count) text.append(minDigits - count, '0');
  text.append(digits + at, count);
}

std::string DecimalText(long number) {
  std::string text = number < 0 ? "-" : "";
  AppendDecimal(text, number < 0 ? 0ul - static_cast<unsigned long>(number) : number);
  return text;
}

std::string ExeNameOf(const std::string& programPath) {
  const auto slash = programPath.find_last_of("\\/");
  std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
  if (name.size() > 4 && LowerCase(name.substr(name.size() - 4)) == ".exe")
    name.resize(name.size() - 4);
  return name;
}

std::string ExeFolderOf(const std::string& programPath) {
  const auto slash = programPath.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : programPath.substr(0, slash);
}

namespace {
// In its short form where the ANSI code page lacks letters of the long one (a folder named in
// Cyrillic is all "?" to the A functions on a Western system): the relauncher copies this file.
std::string ProgramFilePath() {
  const std::string ansi = os::Os().processes->ProgramFilePath();
  return UsableAnsiPath(ansi, WideProgramFilePath()).value_or(ansi);
}
}  // namespace

std::string ExeName() {
  return ExeNameOf(ProgramFilePath());
}
std::string ExeFolder() {
  return ExeFolderOf(ProgramFilePath());
}
std::string ProgramFile() {
  return ExeFolder() + "\\" + ExeName() + ".exe";
}

}  // namespace run
