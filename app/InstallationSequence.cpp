#include "app/InstallationSequence.h"

#include "run/CloseDown.h"
#include "app/DriverLaunch.h"
#include "run/ExitCodes.h"
#include "run/InstallerState.h"
#include "run/Windows.h"
#include "run/WorkFolders.h"
#include "cab/ExtractFilesFromCab.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Shell.h"
#include "platform/Admission.h"
#include "platform/Configuration.h"
#include "platform/Edition.h"
#include "os/Version.h"
#include "run/RunLog.h"
#include "ui/WirelessServiceStep.h"

namespace app {
namespace {

bool HasBytes(const std::string& path) {
  return run::FileExists(path) && os::Os().files->Length(path).value_or(0) != 0;
}

// The edition's key ends in "64".
bool IsWideEdition() {
  const std::string& key = run::State().PlatformKey;
  return key.size() >= 2 && key.compare(key.size() - 2, 2, "64") == 0;
}

// From the administrator question on: admission, then the driver installer.
void AdmitAndInstall() {
  run::InstallerState& state = run::State();
  state.IsAdministrator = platform::HasAdministratorRights();
  run::Log("administrator: %d", state.IsAdministrator);
  if (state.IsAdministrator != run::kTrue) {
    const int answer = run::Tell(
        0,
        "You do not seem to have administrator rights. The installation might fail. Do you want "
        "to continue?",
        "Critical Error", os::kMbYesNo);
    if (answer == os::kIdNo) {
      state.ExitCode = run::kExitUserDeclined;
      run::UnloadWait();
    }
  }
  platform::CheckEditionSupported();
  platform::CheckServicePack();
  run::Log("admission: admitted");

  run::ProgressWindow& wait = run::Ui().Wait();
  wait.SetStatusText("Files extracted. Loading Setup...");
  wait.StopTimer();
  wait.SetProgress(90);
  StartDriverSetup();
}

}  // namespace

void RunInstallation() {
  run::InstallerState& state = run::State();
  os::Shell& shell = *os::Os().shell;

  // The driver cabinet: missing is passed over, empty means the worker could not write it.
  const std::string driverCabinet = state.InstallFolder + "\\1.cab";
  if (run::FileExists(driverCabinet)) {
    if (HasBytes(driverCabinet)) {
      cab::ExtractFilesFromCab(driverCabinet, DriverTree());
      run::Log("extracted: %s", driverCabinet.c_str());
    } else {
      run::Tell(0, "Error extracting files", run::kAppTitle, os::kMbOk);
      run::UnloadWait();
    }
  }
  shell.Sleep(5);
  const std::string installerCabinet = state.InstallFolder + "\\386.cab";
  if (HasBytes(installerCabinet)) {
    cab::ExtractFilesFromCab(installerCabinet, StagingFolder());
    run::Log("extracted: %s", installerCabinet.c_str());
  }
  shell.Sleep(10);

  state.PlatformKey = platform::DetectPlatformKey();
  os::VersionRecord version;
  os::Os().version->Query(version);
  run::Log("windows: %u.%u.%u %s, edition %s", version.major, version.minor, version.build,
           version.servicePack, state.PlatformKey.c_str());
  platform::ReadConfiguration();
  run::Log("configuration: %s %s, service pack required %d, check service %d",
           state.InstallMode.c_str(), state.DriverSubfolder.c_str(), state.ServicePackRequired,
           state.CheckWirelessService);
  if (state.Uninstall) {
    // A removal has nothing to admit and no service to look after.
    state.CheckWirelessService = run::kFalse;
    RemoveDriverPackages(IsWideEdition());
  } else {
    AdmitAndInstall();
  }

  // Nobody waits for a finish window: the run ends once the outcome is known and the wireless
  // step has run, as the finish window would end it.
  if (run::Unattended()) {
    if (run::Ui().IsFinishLoaded()) ui::RunWirelessServiceStep(0);
    run::CloseDown();
  }
  // A finish window on screen leads the run to its end from here.
  if (run::Ui().IsFinishLoaded() && run::Ui().Finish().IsVisibleAndEnabled()) return;
  run::UnloadWait();
}

void StartDriverSetup() {
  int16_t processorWidth = IsWideEdition() ? 2 : 1;
  LaunchDriverInstaller(processorWidth, run::State().DriverSubfolder);
}

}  // namespace app
