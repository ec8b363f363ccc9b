// The configuration reader over any configuration text, for each edition key: it either fills the
// state or tells the user and ends the run, and never reads outside the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "run/InstallerState.h"
#include "platform/Configuration.h"
#include "tests/fuzz/FuzzPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kKeys[] = {"",        "95",     "98",       "ME",    "Win2K",  "WinXP",
                                      "WinXP64", "Win2K3", "Win2K364", "Vista", "Vista64"};
  if (size == 0) return 0;
  fuzz::Platform platform;
  run::State().PlatformKey = kKeys[data[0] % std::size(kKeys)];
  run::State().TempFolder = "C:\\Temp\\";
  run::State().InstallFolder = "C:\\Temp\\Ins1A2B.tmp_InstallationFolder";
  // The run reads the bytes it holds; a config.txt beside them is another program's and stays.
  platform.resources.configuration.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  platform.files.WriteAll("C:\\Temp\\config.txt", platform.resources.configuration);
  bool ended = false;
  try {
    platform::ReadConfiguration();
  } catch (const fuzz::ProcessEnded&) {
    ended = true;
  }
  // A run ends here only after saying why.
  if (ended != (platform.shell.messages == 1)) std::abort();
  if (!platform.files.Attributes("C:\\Temp\\config.txt")) std::abort();
  return 0;
}
