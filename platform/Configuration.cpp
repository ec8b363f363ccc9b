#include "platform/Configuration.h"

#include <optional>
#include <string>

#include "os/Platform.h"
#include "os/Resources.h"
#include "os/Shell.h"
#include "run/CloseDown.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"

namespace platform {
namespace {

// Names are compared exactly: another letter case, or a space before the "=", names nothing.
template <size_t N>
bool AppliesHere(const NameAndKey (&table)[N], std::string_view name) {
  for (const NameAndKey& row : table)
    if (row.name == name) return row.platformKey == run::State().PlatformKey;
  return false;
}

// The name is what stands before the first "=", the value what stands between the first and the
// second (or the end). No "=" at all leaves no value.
struct Cut {
  std::string_view name;
  std::optional<std::string_view> value;
};

Cut CutAtEquals(std::string_view line) {
  const auto first = line.find('=');
  if (first == std::string_view::npos) return {line, std::nullopt};
  std::string_view rest = line.substr(first + 1);
  return {line.substr(0, first), rest.substr(0, rest.find('='))};
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

void ReadConfiguration() {
  // The run's own copy of the bytes, not config.txt: any process of the user may change that
  // file in the temporary folder between its writing and this reading.
  const std::optional<std::string_view> bytes = os::Os().resources->Find("CONFIG", 7);
  bool readable = bytes.has_value();
  if (readable) {
    // Only CR LF ends a line: a lone CR or LF stays inside the line it stands in.
    std::string_view rest = *bytes;
    while (!rest.empty()) {
      const auto end = rest.find("\r\n");
      const std::string_view line = rest.substr(0, end);
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
      if (StartsWith(line, "X:X")) ReadAfterSetupLine(line);
      if (!ReadConfigLine(line)) {
        readable = false;
        break;
      }
    }
  }
  std::string message(kConfigurationError);
  if (readable) {
    const run::InstallerState& state = run::State();
    const bool runsProgram =
        !state.InstallMode.empty() && !RunsDriverInstaller(state.InstallMode);
    // Pointed at, not bound by reference: a conditional with a temporary in it copies the text.
    const std::string* outside =
        !StaysInsideDriverFolder(state.DriverSubfolder)              ? &state.DriverSubfolder
        : runsProgram && !StaysInsideDriverFolder(state.InstallMode) ? &state.InstallMode
                                                                     : nullptr;
    if (!outside) return;
    message = kConfigurationPathError;
    message += *outside;
  }
  run::Tell(0, message, run::kAppTitle, os::kMbOk);
  run::UnloadWait();
}

// Joined to the driver folder, the path must name something inside it.
bool StaysInsideDriverFolder(std::string_view path) {
  return path.find("..") == std::string_view::npos && path.find(':') == std::string_view::npos &&
         (path.empty() || (path[0] != '\\' && path[0] != '/'));
}

bool ReadConfigLine(std::string_view line) {
  if (line.empty() || line[0] == ' ' || line[0] == '[' || StartsWith(line, "X:X")) return true;
  if (line[0] == '$') return ReadDriverFolderLine(line);
  const Cut cut = CutAtEquals(line);
  run::InstallerState& state = run::State();
  if (AppliesHere(kEditionNames, cut.name)) {
    if (!cut.value) return false;
    state.InstallMode = *cut.value;
  } else if (AppliesHere(kServicePackNames, cut.name)) {
    if (!cut.value) return false;
    // Only ever raised: a later "False" does not undo an earlier "True".
    if (run::UpperCase(std::string(*cut.value)) == "TRUE") state.ServicePackRequired = run::kTrue;
  }
  return true;
}

bool ReadDriverFolderLine(std::string_view line) {
  if (StartsWith(line, "$")) line.remove_prefix(1);
  const Cut cut = CutAtEquals(line);
  if (!AppliesHere(kEditionNames, cut.name)) return true;
  if (!cut.value) return false;
  run::State().DriverSubfolder = *cut.value;
  return true;
}

void ReadAfterSetupLine(std::string_view line) {
  run::InstallerState& state = run::State();
  const struct {
    std::string_view prefix;
    std::string* text;
  } texts[] = {
      {"X:X  INSTALLEDCORRECTLY=", &state.MsgInstalledCorrectly},
      {"X:X  INSTALLEDDRVSTORE=", &state.MsgInstalledDrvStore},
      {"X:X  INSTALLFAILED=", &state.MsgInstallFailed},
      {"X:X  KEPTBETTERDRIVER=", &state.MsgKeptBetterDriver},
      {"X:X  INSTALLINFO=", &state.MsgInstallInfo},
      {"X:X  UNINSTALLED=", &state.MsgUninstalled},
      {"X:X  UNINSTALLFAILED=", &state.MsgUninstallFailed},
  };
  // Only the head is compared, so only the head is upper-cased; the text keeps its own case.
  const std::string head = run::UpperCase(std::string(line.substr(0, 24)));
  for (const auto& row : texts) {
    if (StartsWith(head, row.prefix)) {
      *row.text = line.substr(row.prefix.size());
      return;
    }
  }
  if (line == "X:X  CheckSvc:Yes") {
    state.CheckWirelessService = run::kTrue;
    return;
  }
  if (line == "X:X  ForceInstall:Yes") {
    state.ForceInstall = true;
    return;
  }
  constexpr std::string_view kWirelessMessage = "X:X  INSTALLWZCMSG=";
  if (StartsWith(head, kWirelessMessage))
    state.MsgWirelessService = line.substr(kWirelessMessage.size());
}

}  // namespace platform
