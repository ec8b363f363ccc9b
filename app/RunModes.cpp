#include "app/RunModes.h"

#include "app/AnsiPaths.h"
#include "app/CloseDown.h"
#include "app/ExtractionWorker.h"
#include "app/InstallerState.h"
#include "app/ManifestCopy.h"
#include "app/Relaunch.h"
#include "app/Windows.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Shell.h"
#include "platform/Admission.h"

namespace app {
namespace {
// What the relauncher and the installation run take from the platform; the workers run only after
// the installation run has checked these.
constexpr auto kRunFolders = {PlatformFolder::Program, PlatformFolder::Temp,
                              PlatformFolder::Windows};
std::string WorkerPrefix(const std::string& exeName) {
  return "/ExTracT " + exeName;
}
}  // namespace

std::string ManifestCommandLine(const std::string& exeName) {
  return "/Add" + LowerCase(exeName) + "/Manifest";
}

RunMode SelectRunMode(const std::string& commandLine, const std::string& exeName) {
  if (commandLine == "/GiveName") return RunMode::NameDisplay;
  if (commandLine == ManifestCommandLine(exeName)) return RunMode::ManifestCopy;
  if (LowerCase(commandLine) == "debug" || commandLine.empty()) return RunMode::Relaunch;
  if (commandLine == "temp") return RunMode::InstallationRun;
  if (commandLine.compare(0, WorkerPrefix(exeName).size(), WorkerPrefix(exeName)) == 0)
    return RunMode::ExtractionWorker;
  return RunMode::None;
}

std::optional<std::string> WorkerArgument(const std::string& commandLine,
                                          const std::string& exeName) {
  const size_t cut = WorkerPrefix(exeName).size() + 1;
  if (commandLine.size() < cut) return std::nullopt;
  return commandLine.substr(cut);
}

bool Main() {
  os::Processes& processes = *os::Os().processes;
  const std::string commandLine = processes.CommandLineArguments();
  const std::string exeName = ExeName();
  switch (SelectRunMode(commandLine, exeName)) {
    case RunMode::NameDisplay:
      os::Os().shell->ShowMessage(0, ManifestCommandLine(exeName), kAppTitle, os::kMbOk);
      os::EndProcess(0);
    case RunMode::ManifestCopy:
      if (FoldersUsable({PlatformFolder::Program})) RunManifestCopy();
      os::EndProcess(0);
    case RunMode::Relaunch:
      if (!FoldersUsable(kRunFolders)) os::EndProcess(static_cast<int>(kExitFailed));
      if (const auto exitCode = RunRelaunch()) os::EndProcess(static_cast<int>(*exitCode));
      [[fallthrough]];  // the relaunch could not make its copy: install from here
    case RunMode::InstallationRun:
      // Started by the relauncher, which has checked them in the same environment; started
      // alone (or after a relaunch that could not copy), nothing has checked them yet.
      if (!FoldersUsable(kRunFolders)) os::EndProcess(static_cast<int>(kExitFailed));
      if (State().InstallerPath.empty()) State().InstallerPath = ProgramFile();
      // Every road to an installation passes here before anything is extracted, and the refusal
      // ends through the same clean-up and exit code as the edition refusals.
      platform::CheckMachineSupported();
      ShowWaitWindow();
      // Without the window no timer ever drives the run, and the message loop would wait for
      // ever, and with it the relauncher: end through the clean-up instead.
      if (!Ui().IsWaitLoaded()) UnloadWait();
      return true;
    case RunMode::ExtractionWorker:
      if (const auto argument = WorkerArgument(commandLine, exeName))
        RunExtractionWorker(*argument);
      os::EndProcess(0);
    case RunMode::None:
      break;
  }
  os::EndProcess(0);
}

}  // namespace app
