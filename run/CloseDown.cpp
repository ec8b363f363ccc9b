#include "run/CloseDown.h"

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "run/InstallerState.h"
#include "run/RunSteps.h"
#include "run/Windows.h"
#include "run/RunLog.h"
#include "run/WorkFolders.h"

namespace run {

// Every file the run opens is closed by its owner when it goes out of use, so nothing is left
// open by the time the run closes down; the set-aside driver installer log is merged back by the
// final clean-up, on this way out and on every other.
void CloseDown() {
  if (Ui().IsFinishLoaded()) Ui().Finish().Unload();
  UnloadWait();
}

void UnloadWait() {
  InstallerState& state = State();
  if (Ui().IsWaitLoaded()) Ui().Wait().StopTimer();
  // Closed before the extraction set the paths: they are the same for this program file, and
  // an empty InstallFolder would name the root of the current drive.
  if (state.InstallFolder.empty() || state.TempFolder.empty()) InitWorkPaths();
  // Also on the ways out without the finish window.
  if (Steps().MergeBackInstallLog) Steps().MergeBackInstallLog();
  Log("clean-up: %s", state.InstallFolder.c_str());
  DeleteWorkFolder();
  state.IsAdministrator = kFalse;
  state.InstallMode.clear();
  state.ServicePackRequired = kFalse;
  state.DriverSubfolder.clear();
  state.PlatformKey.clear();
  state.TempFolder.clear();
  state.InstallFolder.clear();
  Log("exit code: %u", state.ExitCode);
  os::EndProcess(static_cast<int>(state.ExitCode));
}

}  // namespace run
