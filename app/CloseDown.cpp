#include "app/CloseDown.h"

#include "app/InstallerState.h"
#include "app/Windows.h"
#include "app/WorkFolders.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"

namespace app {

void CloseOpenFiles() {}

void CloseDown() {
  CloseOpenFiles();
  if (Ui().IsFinishLoaded()) Ui().Finish().Unload();
  UnloadWait();
}

void UnloadWait() {
  InstallerState& state = State();
  if (Ui().IsWaitLoaded()) Ui().Wait().StopTimer();
  if (FolderExists(state.InstallFolder)) DeleteFolderTree(state.InstallFolder);
  if (FileExists(state.TempFolder + "config.txt"))
    os::Os().files->RemoveFile(state.TempFolder + "config.txt");
  state.IsAdministrator = kFalse;
  state.InstallMode.clear();
  state.ServicePackRequired = kFalse;
  state.DriverSubfolder.clear();
  state.PlatformKey.clear();
  state.TempFolder.clear();
  state.InstallFolder.clear();
  os::EndProcess(0);
}

}  // namespace app
