#include "app/Registration.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Registry.h"
#include "os/Resources.h"
#include "os/Shell.h"
#include "platform/InstallLog.h"
#include "run/ExitCodes.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"
#include "run/WorkFolders.h"
#include "tools/dpinst/RunReport.h"

namespace app {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr int kProgramFilesId = 0x26;  // CSIDL_PROGRAM_FILES
constexpr char kKeptName[] = "\\Uninstall.exe";
constexpr uint32_t kAlreadyExists = 183;  // ERROR_ALREADY_EXISTS

// Under Program Files, named after the product; empty when either is missing.
std::string KeptFolder() {
  const auto programFiles = os::Os().shell->SpecialFolder(kProgramFilesId);
  const std::string name = ProductName();
  return programFiles && !name.empty() ? *programFiles + "\\" + name : std::string();
}

// The entry is named as the kept folder: one name, read once, for both.
std::string EntryKey(const std::string& folder) {
  return kUninstallKey + folder.substr(folder.rfind('\\') + 1);
}

// YYYYMMDD, as Apps & Features reads InstallDate.
std::string DateText(const os::LocalTime& now) {
  std::string text(8, '0');
  for (int at = 7, date = now.year * 10000 + now.month * 100 + now.day; at >= 0; --at, date /= 10)
    text[at] = static_cast<char>('0' + date % 10);
  return text;
}

// A folder the removal makes new (never through a link) before it starts the kept copy's
// remover, and the remover removes once it is loaded. It stands in the folder the relauncher made
// for its copy, where only administrators can write and which it deletes when its copy has ended;
// empty when this program runs from anywhere else.
std::string LoadingMark() {
  const std::string folder = run::ExeFolder();
  return folder.ends_with(run::kCopyFolderSuffix) ? folder + "\\loading" : std::string();
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
  if (!names.empty()) names += '\0';
  return names;
}

std::string MergedInfLists(std::string_view earlier, std::string_view now) {
  std::string merged;
  std::vector<std::string> seen;
  for (const std::string_view list : {earlier, now})
    for (size_t at = 0, end; at < list.size() && list[at]; at = end + 1) {
      end = std::min(list.find('\0', at), list.size());
      const std::string name(list.substr(at, end - at));
      if (std::find(seen.begin(), seen.end(), run::UpperCase(name)) != seen.end()) continue;
      seen.push_back(run::UpperCase(name));
      merged += name + '\0';
    }
  if (!merged.empty()) merged += '\0';
  return merged;
}

std::string ProductName() {
  const auto version = os::Os().resources->Find(os::NumberedType(16), 1);
  std::string name = version ? VersionText(*version, "ProductName") : "";
  for (char& c : name)
    if (std::strchr("\\/:*?\"<>|", c)) c = '_';
  // Windows drops a name's trailing dots and blanks: "." and ".." (dots and blanks alone) would
  // name the Program Files folder itself or the folder above it.
  return name.find_first_not_of(". ") == std::string::npos ? std::string() : name;
}

void RegisterProduct(uint32_t returnCode) {
  // Installed or in the driver store only, with or without a restart: the flags the run's exit
  // code comes from say so, and something was counted.
  if (run::ExitCodeOfInstallerFlags(static_cast<int>(returnCode >> 24)) == run::kExitFailed ||
      returnCode % 0x10000 == 0)
    return;
  os::Platform& os = os::Os();
  const std::string folder = KeptFolder();
  const auto version = os.resources->Find(os::NumberedType(16), 1);
  if (folder.empty() || !version) return;
  const std::string kept = folder + kKeptName;
  const std::string key = EntryKey(folder);
  // The next removal runs the program the entry names, from the kept folder, with administrator
  // rights: an entry or a folder that another account made, or may change, could have that
  // program replaced. A new folder lets only Administrators and SYSTEM write, whatever Program
  // Files passes on.
  uint32_t error = 0;
  std::unique_ptr<os::HeldFolder> made;
  const std::string* loose = nullptr;
  if (!os.registry->KeyKeptByAdministratorsAlone(key).value_or(true)) {
    loose = &key;
  } else if (!(made = os.files->CreateProtectedFolder(folder, error)) && error != kAlreadyExists) {
    os.files->CreateFolder(folder);  // Windows 9x: no access lists to give
  } else if (!made && (!os.files->KeptByAdministratorsAlone(folder).value_or(true) ||
                       os.files->Attributes(folder).value_or(0) & os::kAttrReparsePoint)) {
    loose = &folder;
  }
  if (loose) {
    run::Log("not registered: %s%s may be changed by an account without administrator rights",
             loose == &key ? "HKLM\\" : "", loose->c_str());
    return;
  }
  // Written under a name no one had before and renamed into place: a copy over the kept name
  // would write through whatever stands there now (a link to another program's file).
  const std::string fresh = os.files->TempFileName(folder, "Uni");
  // The driver cabinet gives way to one NUL byte, which no extraction takes for a cabinet: Wine
  // reads the file's resources back over a deletion and refuses an empty resource. The removal
  // needs cabinet 386 only.
  if (fresh.empty() || !os.files->Copy(run::State().InstallerPath, fresh) ||
      !os.resources->WriteResource(fresh, "CAB", 1, 0, {"", 1}) || !os.files->Move(fresh, kept)) {
    if (!fresh.empty()) os.files->RemoveFile(fresh);
    run::Log("not registered: no copy at %s", kept.c_str());
    return;
  }
  // The published names are in this run's log alone: an earlier log was set aside before.
  const auto log =
      os.files->ReadAll(platform::InstallLogPath(platform::FindSystemFolder(os::kWindowsFolderId)));
  const std::string command = "\"" + kept + "\" /uninstall";
  // An update publishes its package beside the earlier release's: the entry keeps both, so that
  // the removal finds every package of the product.
  bool missing = false;
  const std::string earlier = RecordedDriverPackages(missing).value_or("");
  const std::string texts[] = {
      VersionText(*version, "ProductName"),
      VersionText(*version, "ProductVersion"),
      VersionText(*version, "CompanyName"),
      kept,
      DateText(os.shell->Now()),
      command,
      command + " /quiet",
      MergedInfLists(earlier, PublishedInfs(platform::LogAsSingleByteText(log.value_or(""))))};
  const uint32_t numbers[] = {static_cast<uint32_t>(os.files->Length(kept).value_or(0) >> 10), 1,
                              1};
  // Names and kinds of the entry's values, in the order of texts, then numbers.
  static constexpr struct {
    const char* name;
    uint32_t type;
  } kValues[] = {
      {"DisplayName", os::kRegText},
      {"DisplayVersion", os::kRegText},
      {"Publisher", os::kRegText},
      {"DisplayIcon", os::kRegText},
      {"InstallDate", os::kRegText},
      {"UninstallString", os::kRegText},
      {"QuietUninstallString", os::kRegText},
      {"DriverPackages", os::kRegTextList},
      {"EstimatedSize", os::kRegNumber},
      {"NoModify", os::kRegNumber},
      {"NoRepair", os::kRegNumber},
  };
  for (size_t at = 0; at < std::size(kValues); ++at) {
    const std::string_view bytes =
        at < std::size(texts)
            ? std::string_view(texts[at])
            : std::string_view(reinterpret_cast<const char*>(&numbers[at - std::size(texts)]), 4);
    if (!os.registry->SetValue(key, kValues[at].name, kValues[at].type, bytes)) {
      run::Log("not registered: %s cannot be written", key.c_str());
      return;
    }
  }
  run::Log("registered: HKLM\\%s, kept copy %s", key.c_str(), kept.c_str());
}

std::optional<std::string> RecordedDriverPackages(bool& missing) {
  missing = false;
  const std::string folder = KeptFolder();
  if (folder.empty()) return std::nullopt;
  return os::Os().registry->Value(EntryKey(folder), "DriverPackages", &missing);
}

bool ForgetProduct() {
  const std::string folder = KeptFolder();
  if (folder.empty() || !os::Os().registry->DeleteKey(EntryKey(folder))) return false;
  // The kept copy may be the very program that started this run and waits for its end: only a
  // process that outlives both can delete it. It starts from this program's folder, where only
  // administrators can write, and Windows looks for its libraries there while loading it; the
  // relauncher deletes the folder once this run has ended, so this run waits until then.
  os::Files& files = *os::Os().files;
  const std::string mark = LoadingMark();
  const bool waits = !mark.empty() && files.CreateFolder(mark) == 0;
  const os::ShellRequest remover{0, "open", run::ProgramFile(), "/RemoveKeptCopy", "", 0, true};
  if (os::Os().processes->Execute(remover).succeeded)
    for (int attempt = 0; waits && attempt < 100 && files.Attributes(mark); ++attempt)
      os::Os().shell->Sleep(100);
  if (waits) files.RemoveFolder(mark);
  return true;
}

void RemoveKeptCopy() {
  os::Files& files = *os::Os().files;
  // Windows has loaded this program: the run that started it may end, and the folder go.
  if (const std::string mark = LoadingMark(); !mark.empty()) files.RemoveFolder(mark);
  const std::string folder = KeptFolder();
  if (folder.empty()) return;
  // Installed again in the meantime (or the entry cannot be read), the product keeps its way out.
  bool missing = false;
  os::Os().registry->Value(EntryKey(folder), "DisplayName", &missing);
  if (!missing) return;
  const std::string kept = folder + kKeptName;
  // The program that ran the removal from the kept copy ends right after it.
  for (int attempt = 0; attempt < 300 && !files.RemoveFile(kept) && run::FileExists(kept);
       ++attempt)
    os::Os().shell->Sleep(100);
  files.RemoveFolder(folder);
}

}  // namespace app
