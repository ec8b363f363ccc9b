#include "app/RunModes.h"

#include "run/AnsiPaths.h"
#include "run/CloseDown.h"
#include "app/ExtractionWorker.h"
#include "app/InstallationSequence.h"
#include "run/InstallerState.h"
#include "run/RunSteps.h"
#include "app/ManifestCopy.h"
#include "app/Relaunch.h"
#include "run/Windows.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Shell.h"
#include "platform/Admission.h"
#include "platform/InstallLog.h"

namespace app {
namespace {
// What the relauncher and the installation run take from the platform; the workers run only after
// the installation run has checked these.
constexpr auto kRunFolders = {run::PlatformFolder::Program, run::PlatformFolder::Temp,
                              run::PlatformFolder::Windows};
std::string WorkerPrefix(const std::string& exeName) {
  return "/ExTracT " + exeName;
}
}  // namespace

std::string ManifestCommandLine(const std::string& exeName) {
  return "/Add" + run::LowerCase(exeName) + "/Manifest";
}

RunMode SelectRunMode(const std::string& commandLine, const std::string& exeName) {
  if (commandLine == "/GiveName") return RunMode::NameDisplay;
  if (commandLine == ManifestCommandLine(exeName)) return RunMode::ManifestCopy;
  if (run::LowerCase(commandLine) == "debug" || commandLine.empty()) return RunMode::Relaunch;
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

void HandOverRunSteps() {
  run::Steps() = {ExtractPayloads, RunInstallation, [] { platform::PreserveInstallLog(2); }};
}

bool Main() {
  os::Processes& processes = *os::Os().processes;
  const std::string commandLine = processes.CommandLineArguments();
  const std::string exeName = run::ExeName();
  switch (SelectRunMode(commandLine, exeName)) {
    case RunMode::NameDisplay:
      os::Os().shell->ShowMessage(0, ManifestCommandLine(exeName), run::kAppTitle, os::kMbOk);
      os::EndProcess(0);
    case RunMode::ManifestCopy:
      if (run::FoldersUsable({run::PlatformFolder::Program})) RunManifestCopy();
      os::EndProcess(0);
    case RunMode::Relaunch:
      if (!run::FoldersUsable(kRunFolders)) os::EndProcess(static_cast<int>(run::kExitFailed));
      if (const auto exitCode = RunRelaunch()) os::EndProcess(static_cast<int>(*exitCode));
      [[fallthrough]];  // the relaunch could not make its copy: install from here
    case RunMode::InstallationRun:
      // Started by the relauncher, which has checked them in the same environment; started
      // alone (or after a relaunch that could not copy), nothing has checked them yet.
      if (!run::FoldersUsable(kRunFolders)) os::EndProcess(static_cast<int>(run::kExitFailed));
      if (run::State().InstallerPath.empty()) run::State().InstallerPath = run::ProgramFile();
      HandOverRunSteps();
      // Every road to an installation passes here before anything is extracted, and the refusal
      // ends through the same clean-up and exit code as the edition refusals.
      platform::CheckMachineSupported();
      run::ShowWaitWindow();
      // Without the window no timer ever drives the run, and the message loop would wait for
      // ever, and with it the relauncher: end through the clean-up instead.
      if (!run::Ui().IsWaitLoaded()) run::UnloadWait();
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
