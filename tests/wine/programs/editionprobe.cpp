// Asks the real version backend what the edition is, for the Wine tests. Prints one line:
//   KEY SP4 SP2 SP1 ADMIN MACHINE
// the edition key, then the flags (-1/0) of HasWindows2000SP4, HasWindowsXPSP2,
// HasWindowsVistaSP1 and HasAdministratorRights for that key, then the native machine in hex
// (0 where IsWow64Process2 is missing).
#include <cstdio>

#include "run/InstallerState.h"
#include "os/Version.h"
#include "os/win32/Backends.h"
#include "platform/Edition.h"

int main() {
  os::Platform windows;
  windows.version = &os::win32::VersionBackend();
  os::SetOs(windows);
  run::State().PlatformKey = platform::DetectPlatformKey();
  std::printf("%s %d %d %d %d %x\n", run::State().PlatformKey.c_str(),
              platform::HasWindows2000SP4(), platform::HasWindowsXPSP2(),
              platform::HasWindowsVistaSP1(), platform::HasAdministratorRights(),
              os::Os().version->NativeMachine());
  return 0;
}
