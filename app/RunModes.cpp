#include "app/RunModes.h"

#include <algorithm>

#include "app/ExtractionWorker.h"
#include "app/InstallationSequence.h"
#include "app/ManifestCopy.h"
#include "app/Registration.h"
#include "app/Relaunch.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Shell.h"
#include "platform/Admission.h"
#include "platform/InstallLog.h"
#include "run/AnsiPaths.h"
#include "run/CloseDown.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"
#include "run/RunSteps.h"
#include "run/Windows.h"

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

std::optional<Switches> ParseSwitches(std::string_view text) {
  static constexpr std::string_view kWords[] = {"/quiet",     "/passive", "/norestart",
                                                 "/log=",      "/uninstall", "/force"};
  // The words compare in lower case; the log's path keeps its own letters.
  const std::string lower = run::LowerCase(std::string(text));
  Switches switches;
  unsigned seen = 0;
  for (size_t at = 0; (at = lower.find_first_not_of(' ', at)) != std::string::npos;) {
    size_t end = std::min(lower.find(' ', at), lower.size());
    const std::string_view word = std::string_view(lower).substr(at, end - at);
    unsigned index = 0;
    while (index < 6 && word.substr(0, index == 3 ? 5 : word.size()) != kWords[index]) ++index;
    if (index == 6 || (seen & (1u << index))) return std::nullopt;
    seen |= 1u << index;
    if (index == 3) {
      at += 5;
      // A path in double quotes may hold blanks; its closing quote must end the word.
      if (at < text.size() && text[at] == '"') {
        end = text.find('"', ++at);
        if (end == std::string_view::npos || (end + 1 < text.size() && text[end + 1] != ' '))
          return std::nullopt;
      }
      switches.logPath = text.substr(at, end - at);
      if (switches.logPath.empty()) return std::nullopt;
      ++end;
    }
    at = end;
  }
  if ((seen & 3u) == 3u || (seen == 0 && !text.empty())) return std::nullopt;
  switches.presence = seen & 1u   ? run::Presence::Quiet
                      : seen & 2u ? run::Presence::Passive
                                  : run::Presence::Windows;
  switches.noRestart = seen & 4u;
  switches.uninstall = seen & 16u;
  switches.force = seen & 32u;
  return switches;
}

RunMode SelectRunMode(const std::string& commandLine, const std::string& exeName) {
  if (commandLine == "/GiveName") return RunMode::NameDisplay;
  if (commandLine == "/RemoveKeptCopy") return RunMode::KeptCopyRemoval;
  if (commandLine == ManifestCommandLine(exeName)) return RunMode::ManifestCopy;
  if (run::LowerCase(commandLine) == "debug" || commandLine.empty()) return RunMode::Relaunch;
  if (commandLine == "temp") return RunMode::InstallationRun;
  const std::string workerPrefix = WorkerPrefix(exeName);
  if (commandLine.compare(0, workerPrefix.size(), workerPrefix) == 0)
    return RunMode::ExtractionWorker;
  if (ParseSwitches(commandLine)) return RunMode::Relaunch;
  if (commandLine.size() > 5 && commandLine.compare(0, 5, "temp ") == 0 &&
      ParseSwitches(std::string_view(commandLine).substr(5)))
    return RunMode::InstallationRun;
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

namespace {

// Takes the switches of a relaunch or an installation run into the state; opens the log.
void TakeSwitches(const std::string& commandLine) {
  std::string_view text = commandLine;
  if (run::LowerCase(commandLine) == "debug") text = {};
  const bool copy = text.substr(0, 4) == "temp";
  if (copy) text.remove_prefix(std::min<size_t>(5, text.size()));
  const auto switches = ParseSwitches(text);
  if (text.empty() || !switches) return;  // the plain start, "debug", "temp": nothing to take
  run::InstallerState& state = run::State();
  state.presence = switches->presence;
  state.Uninstall = switches->uninstall;
  state.ForceInstall = switches->force;
  state.LogPath = switches->logPath;
  state.CarriedSwitches = " " + std::string(text);
  if (run::Unattended())
    run::SetUi(&run::UnattendedWindows(run::Ui(), state.presence == run::Presence::Quiet));
  // Nothing is changed yet: a log the administrator asked for and cannot have ends it here.
  // The relauncher's copy reopens the file its relauncher checked and holds (so that it cannot
  // be deleted nor renamed): not its owner again, which Windows does not keep where the volume
  // has no owners (FAT) and Wine does not keep at all.
  if (const char* why = run::OpenRunLog(!copy)) {
    run::Tell(0, "The log " + state.LogPath + " cannot be written" + why + ".", run::kAppTitle,
              os::kMbOk);
    os::EndProcess(static_cast<int>(run::kExitFailed));
  }
  run::Log("command line: %s", commandLine.c_str());
  run::Log("program: %s 1.04.0930", os::Os().processes->ProgramFilePath().c_str());
  if (switches->noRestart) run::Log("/norestart: this installer never restarts Windows");
}

// One run at a time on the whole machine, by two locks. The mutex "Global\NorvaneDriverInstaller"
// is the one earlier releases take; any account may make an object of that name first (an event
// of that name makes CreateMutexA fail), so it counts as another run only with an owner that
// only an administrator can give. Every run then takes the file NorvaneDriverInstaller in the
// system folder, without sharing: from Windows 2000 on, NTFS lets only administrators make a
// file there (and Power Users on 2000 and XP, whom Windows does not keep from becoming one), its
// own access list lets no one else open it, and delete-on-close removes it however the run ends.
// A squat of the mutex's name is logged and can neither stop a run nor let two through.
bool MachineLockTaken(os::Processes& processes) {
  static constexpr char kName[] = "Global\\NorvaneDriverInstaller";
  const os::MutexAnswer mutex = processes.CreateMachineMutex(kName);
  const bool madeBefore = mutex.error == 183 || mutex.error == 5;
  if (madeBefore && mutex.adminOwned) return false;
  const os::AdministratorsLock lock = processes.TakeAdministratorsLock(kName + 7);
  if (lock == os::AdministratorsLock::Taken && (madeBefore || mutex.error == 6))
    run::Log("lock squatted: error %u", mutex.error);
  // Without administrator rights (no lock file) this run cannot tell a squat from a run, nor
  // install.
  return lock == os::AdministratorsLock::Taken ||
         (lock == os::AdministratorsLock::Unavailable && !madeBefore);
}

[[noreturn]] void End(uint32_t exitCode) {
  run::Log("exit code: %u", exitCode);
  os::EndProcess(static_cast<int>(exitCode));
}

}  // namespace

bool Main() {
  os::Processes& processes = *os::Os().processes;
  const std::string commandLine = processes.CommandLineArguments();
  const std::string exeName = run::ExeName();
  const RunMode mode = SelectRunMode(commandLine, exeName);
  if (mode == RunMode::Relaunch || mode == RunMode::InstallationRun) TakeSwitches(commandLine);
  switch (mode) {
    case RunMode::NameDisplay:
      os::Os().shell->ShowMessage(0, ManifestCommandLine(exeName), run::kAppTitle, os::kMbOk);
      os::EndProcess(0);
    case RunMode::ManifestCopy:
      if (run::FoldersUsable({run::PlatformFolder::Program})) RunManifestCopy();
      os::EndProcess(0);
    case RunMode::Relaunch:
      if (!run::FoldersUsable(kRunFolders)) End(run::kExitFailed);
      if (const auto exitCode = RunRelaunch()) End(*exitCode);
      [[fallthrough]];  // the relaunch could not make its copy: install from here
    case RunMode::InstallationRun:
      // One run at a time on the whole machine: Windows' device installation does not expect
      // two driver installers side by side. Nothing of the other run's may be cleaned up here.
      if (!MachineLockTaken(processes)) {
        run::Tell(0, "The installer is already running. Try again when it has finished.",
                  run::kAppTitle, os::kMbOk);
        End(run::kExitAlreadyRunning);
      }
      // Started by the relauncher, which has checked them in the same environment; started
      // alone (or after a relaunch that could not copy), nothing has checked them yet.
      if (!run::FoldersUsable(kRunFolders)) End(run::kExitFailed);
      if (run::State().InstallerPath.empty()) run::State().InstallerPath = run::ProgramFile();
      HandOverRunSteps();
      // Every road to an installation passes here before anything is extracted, and the refusal
      // ends through the same clean-up and exit code as the edition refusals.
      platform::CheckMachineSupported();
      if (run::State().presence == run::Presence::Quiet) {
        // No window, so no timer: the run's two steps, one after the other.
        int16_t counter = 45;
        ExtractPayloads(counter);
        RunInstallation();
      }
      run::ShowWaitWindow();
      // Without the window no timer ever drives the run, and the message loop would wait for
      // ever, and with it the relauncher: end through the clean-up instead.
      if (!run::Ui().IsWaitLoaded()) run::UnloadWait();
      return true;
    case RunMode::ExtractionWorker:
      if (const auto argument = WorkerArgument(commandLine, exeName))
        RunExtractionWorker(*argument);
      os::EndProcess(0);
    case RunMode::KeptCopyRemoval:
      RemoveKeptCopy();
      os::EndProcess(0);
    case RunMode::None:
      break;
  }
  // Nothing was installed: a deployment tool must not read this as success.
  os::EndProcess(static_cast<int>(run::kExitBadCommandLine));
}

}  // namespace app
