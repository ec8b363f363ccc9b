#include "app/Registration.h"

#include <cstring>

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Registry.h"
#include "os/Resources.h"
#include "os/Shell.h"
#include "platform/InstallLog.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"
#include "tools/dpinst/RunReport.h"

namespace app {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr int kProgramFilesId = 0x26;  // CSIDL_PROGRAM_FILES

std::string Number(uint32_t value) {
  return std::string(reinterpret_cast<const char*>(&value), 4);
}

// YYYYMMDD, as Apps & Features reads InstallDate.
std::string DateText(const os::LocalTime& now) {
  std::string text(8, '0');
  for (int at = 7, date = now.year * 10000 + now.month * 100 + now.day; at >= 0; --at, date /= 10)
    text[at] = static_cast<char>('0' + date % 10);
  return text;
}

}  // namespace

std::string VersionText(std::string_view resource, std::string_view key) {
  std::string wide;
  for (const char c : key) wide += {c, '\0'};
  wide.append(2, '\0');
  size_t at = resource.find(wide);
  if (at == std::string_view::npos) return {};
  // The value starts on the next 32-bit boundary after the key's closing NUL.
  at = (at + wide.size() + 3) & ~size_t{3};
  std::string text;
  for (; at + 1 < resource.size() && (resource[at] || resource[at + 1]); at += 2)
    text += resource[at + 1] || resource[at] < 0 ? '?' : resource[at];
  return text;
}

std::string PublishedInfs(std::string_view logText) {
  std::string names;
  for (size_t at = 0; (at = logText.find(dpinst::kPublishedAs, at)) != std::string_view::npos;) {
    at += std::strlen(dpinst::kPublishedAs);
    const size_t end = logText.find('\'', at);
    if (end == std::string_view::npos) break;
    const std::string_view path = logText.substr(at, end - at);
    names += path.substr(path.rfind('\\') + 1);
    names += '\0';
  }
  return names.empty() ? names : names + '\0';
}

std::string ProductName() {
  const auto version = os::Os().resources->Find(os::NumberedType(16), 1);
  std::string name = version ? VersionText(*version, "ProductName") : "";
  for (char& c : name)
    if (std::strchr("\\/:*?\"<>|", c)) c = '_';
  return name;
}

void RegisterProduct(const std::string& driverFolder) {
  os::Platform& os = os::Os();
  // Before the outcome is shown: a finish window may close down the run from under its box.
  const auto logBytes =
      os.files->ReadAll(platform::FindSystemFolder(os::kWindowsFolderId) + "\\DPInst.LOG");
  const std::string logText = platform::LogAsSingleByteText(logBytes.value_or(""));
  const auto returnCode = platform::FindReturnCode(logText, driverFolder);
  const double code = returnCode ? platform::HexToNumber(*returnCode) : 0;
  // Installed or in the driver store only, with or without a restart, and nothing failed.
  if (code < 1 || code >= 0x80000000 || static_cast<uint32_t>(code) % 0x10000 == 0) return;
  const std::string name = ProductName();
  const auto programFiles = os.shell->SpecialFolder(kProgramFilesId);
  if (name.empty() || !programFiles) return;
  const std::string folder = *programFiles + "\\" + name;
  const std::string kept = folder + "\\Uninstall.exe";
  os.files->CreateFolder(folder);
  // The driver cabinet is left out as an empty resource: Wine's resource update keeps a
  // resource it is told to delete, and the removal needs cabinet 386 only.
  const auto version = os.resources->Find(os::NumberedType(16), 1);
  if (!version || !os.files->Copy(run::State().InstallerPath, kept) ||
      !os.resources->WriteResource(kept, "CAB", 1, 0, "")) {
    run::Log("not registered: no copy at %s", kept.c_str());
    return;
  }
  const std::string command = "\"" + kept + "\" /uninstall";
  const struct {
    const char* name;
    uint32_t type;
    std::string bytes;
  } values[] = {
      {"DisplayName", os::kRegText, VersionText(*version, "ProductName")},
      {"DisplayVersion", os::kRegText, VersionText(*version, "ProductVersion")},
      {"Publisher", os::kRegText, VersionText(*version, "CompanyName")},
      {"DisplayIcon", os::kRegText, kept},
      {"InstallDate", os::kRegText, DateText(os.shell->Now())},
      {"UninstallString", os::kRegText, command},
      {"QuietUninstallString", os::kRegText, command + " /quiet"},
      {"EstimatedSize", os::kRegNumber,
       Number(static_cast<uint32_t>(os.files->Length(kept).value_or(0) >> 10))},
      {"NoModify", os::kRegNumber, Number(1)},
      {"NoRepair", os::kRegNumber, Number(1)},
      {"DriverPackages", os::kRegTextList, PublishedInfs(logText)},
  };
  const std::string key = kUninstallKey + name;
  for (const auto& value : values) {
    if (!os.registry->SetValue(key, value.name, value.type, value.bytes)) {
      run::Log("not registered: %s cannot be written", key.c_str());
      return;
    }
  }
  run::Log("registered: HKLM\\%s, kept copy %s", key.c_str(), kept.c_str());
}

}  // namespace app
