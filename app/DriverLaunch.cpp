#include "app/DriverLaunch.h"

#include <algorithm>
#include <initializer_list>

#include "app/ProcessLaunch.h"
#include "app/Registration.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "platform/Configuration.h"
#include "platform/InstallLog.h"
#include "run/ExitCodes.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"
#include "run/Windows.h"
#include "run/WorkFolders.h"

namespace app {
namespace {

constexpr int kShowNormal = 1;
constexpr uint32_t kDeviceWaitMs = 60000;
constexpr uint32_t kNotStarted = 0x80000000u;  // the failure flag, nothing counted

// The name of the first candidate that exists in the staging folder; null when none does.
const char* FirstStaged(std::initializer_list<const char*> candidates) {
  for (const char* candidate : candidates)
    if (run::FileExists(StagingFolder() + candidate)) return candidate;
  return nullptr;
}

// The driver package installer of a width under the name it runs by in the driver folder.
const char* InstallerName(bool wide) {
  return wide ? "DPInstX64.exe" : "DPInstX86.exe";
}

// The staged driver package installer of a width, for installing and removing alike: the Vista
// build where the payload carries one, else the older one.
const char* FirstStagedInstaller(bool wide) {
  return wide ? FirstStaged({"DPInstX64Vista.exe", "DPInstX64.exe"})
              : FirstStaged({"DPInstX86Vista.exe", "DPInstX86.exe"});
}

// Copies a staged file (none: nothing) into the driver folder, under target or its own name.
void Stage(const std::string& driverFolder, const char* staged, const char* target = nullptr) {
  if (staged) os::Os().files->Copy(StagingFolder() + staged, driverFolder + (target ? target : staged));
}

// Windows' device installation does not expect a driver installer beside its own work: let what
// it has in progress end first, for a bounded time.
void WaitForDeviceInstallations() {
  const auto answer = os::Os().processes->WaitForDeviceInstallations(kDeviceWaitMs);
  run::Log("device installations: %s", !answer   ? "no wait on this Windows"
                                       : *answer ? "still pending after 60 s"
                                                 : "none");
}

// Starts the driver installer or the setup program and waits; the log has both sides of it.
uint32_t RunAndLog(uintptr_t owner, const std::string& program, uint32_t exitCode,
                   const std::string& parameters = {}) {
  run::Log("start: %s %s", program.c_str(), parameters.c_str());
  ShellRunAndWait(owner, "open", program, parameters, "", kShowNormal, &exitCode);
  run::Log("ended: %u", exitCode);
  return exitCode;
}

}  // namespace

std::string DriverTree() {
  return run::State().InstallFolder + "\\Driver\\";
}

std::string StagingFolder() {
  return DriverTree() + "DPInst\\";
}

void LaunchDriverInstaller(int16_t& ProcessorWidth, std::string& DriverSubfolder) {
  run::InstallerState& state = run::State();
  const std::string driverFolder = DriverTree() + DriverSubfolder;
  DriverSubfolder = driverFolder;
  run::Log("driver folder: %s", driverFolder.c_str());
  WaitForDeviceInstallations();
  run::ProgressWindow& wait = run::Ui().Wait();
  const std::string& mode = state.InstallMode;

  if (!platform::RunsDriverInstaller(mode)) {
    // Another program of the driver folder does the installation its own way.
    wait.SetVisible(false);
    run::State().ExitCode = run::ExitCodeOfSetupProgram(
        RunAndLog(wait.Handle(), driverFolder + mode, run::kExitFailed));
    return;
  }
  const bool silent = mode == platform::kSilentMode;

  Stage(driverFolder, FirstStaged({"DPInst.xml"}));
  Stage(driverFolder, FirstStaged({"NorvaneNet.ico", "NorvaneCon.ico", "NorvaneInt.ico",
                                   "NorvaneEnt.ico", "NorvaneTrv.ico", "Norvane.ico"}));
  Stage(driverFolder, FirstStaged({"EULA.txt"}));
  Stage(driverFolder, FirstStaged({"Norvane.bmp"}));
  const auto launchers = {"RunAddOn.exe", "prjRunWait.exe", "RunDPInst.exe", "Run.exe"};

  if (ProcessorWidth == 1 || ProcessorWidth == 2) {
    const bool wide = ProcessorWidth == 2;
    const char* installer = InstallerName(wide);
    const char* launcher = wide ? "RunDPInstX64.exe" : "RunDPInstX86.exe";
    Stage(driverFolder, FirstStagedInstaller(wide), installer);
    Stage(driverFolder, FirstStaged(launchers), launcher);
    run::DeleteFolderTree(StagingFolder());
    wait.SetVisible(false);
    platform::PreserveInstallLog(1);
    std::string program = driverFolder + launcher;
    if (!run::FileExists(program)) program = driverFolder + installer;
    // Without the log analysis the launcher's exit code, which is the driver installer's return
    // code, tells how it went.
    // Not started: the failure flag, nothing counted.
    // The driver installer's own switch: "/f" installs over a driver at least as good.
    const uint32_t returnCode =
        RunAndLog(wait.Handle(), program, kNotStarted, state.ForceInstall ? "/f" : "");
    if (!silent) state.ExitCode = run::ExitCodeOfInstallerFlags(static_cast<int>(returnCode >> 24));
    if (wide) wait.SetVisible(true);
    RegisterProduct(returnCode);
  }

  if (silent) platform::AnalyseInstallLog(driverFolder);
}

void RemoveDriverPackages(bool wide) {
  run::InstallerState& state = run::State();
  run::ProgressWindow& wait = run::Ui().Wait();
  wait.StopTimer();
  bool missing = false;
  const auto packages = RecordedDriverPackages(missing);
  std::string label = "The driver is not installed on this computer.";
  const char* caption = "Finished";
  state.ExitCode = run::kExitNotInstalled;
  // An entry that cannot be read names nothing to remove, and the removal failed.
  uint32_t flags = kNotStarted >> 24;
  if (packages) {
    wait.SetStatusText("Removing the driver...");
    const char* staged = FirstStagedInstaller(wide);
    const std::string program = StagingFolder() + (staged ? staged : InstallerName(wide));
    platform::PreserveInstallLog(1);
    flags = 0;
    const std::string_view list = *packages;
    for (size_t at = 0, end; at < list.size() && list[at]; at = end + 1) {
      end = std::min(list.find('\0', at), list.size());
      // Quoted, so that a name in a changed entry cannot add switches; a name a quote could end
      // early is not passed on, and counts as not removed.
      const std::string name(list.substr(at, end - at));
      flags |= name.find('"') != std::string::npos
                   ? kNotStarted >> 24
                   : RunAndLog(wait.Handle(), program, kNotStarted, "/u \"" + name + "\" /q") >> 24;
    }
  }
  if (!missing) {
    state.ExitCode = run::ExitCodeOfInstallerFlags(static_cast<int>(flags));
    // What could not be removed stays recorded, so that the next removal finds it.
    if (state.ExitCode == run::kExitFailed || !ForgetProduct()) {
      state.ExitCode = run::kExitFailed;
      label = state.MsgUninstallFailed;
      if (label.empty())
        label =
            "The driver could not be removed completely. Start the removal again to remove "
            "what is left.";
      caption = "Failed";
    } else {
      label = state.MsgUninstalled;
      if (label.empty()) label = "The driver was removed from this computer.";
      if (state.ExitCode == run::kExitRestartNeeded)
        label += "\r\n\r\nPlease restart your computer to complete the removal.";
    }
  }
  run::Log("outcome: %s %s", caption, label.c_str());
  wait.SetVisible(false);
  run::FinishWindow& finish = run::Ui().Finish();
  finish.SetOutcome(label, caption);
  finish.ShowAndFocus();
}

}  // namespace app
