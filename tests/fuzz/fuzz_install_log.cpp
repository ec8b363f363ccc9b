// The installer-log analysis over any log: single-byte as it is, or (first byte odd) the same
// bytes behind a UTF-16 byte-order mark. Whatever it decides, the finish window shows one of the
// outcome captions or nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "run/InstallerState.h"
#include "platform/InstallLog.h"
#include "tests/fuzz/FuzzPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::Platform platform;
  std::string log(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) log.insert(0, "\xFF\xFE");
  platform.files.WriteAll("C:\\Windows\\DPINST.LOG", log);
  run::InstallerState& state = run::State();
  state.MsgInstalledCorrectly = "%1 installed";
  state.MsgInstalledDrvStore = "%1 in the store";
  state.MsgInstallFailed = "%1 failed";
  platform::AnalyseInstallLog("C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\Driver\\Vista 64bit\\");
  const fuzz::RememberingWindows& shown = platform.windows;
  if (shown.shown && shown.caption != "Finished" && shown.caption != "Failed") std::abort();
  if (platform.shell.messages > 1 || (platform.shell.messages == 1 && !shown.shown)) std::abort();
  // The analysis never touches the log itself.
  if (platform.files.ReadAll("C:\\Windows\\DPINST.LOG") != log) std::abort();
  return 0;
}
