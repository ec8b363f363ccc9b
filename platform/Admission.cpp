#include "platform/Admission.h"

#include <string_view>

#include "os/Platform.h"
#include "os/Shell.h"
#include "os/Version.h"
#include "platform/Edition.h"
#include "run/CloseDown.h"
#include "run/ExitCodes.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"

namespace platform {
namespace {

[[noreturn]] void Refuse(const std::string& message) {
  run::Tell(0, message, run::kAppTitle, os::kMbOk);
  run::State().ExitCode = run::kExitUnsupported;
  run::UnloadWait();
}

std::string ServicePackMessage(int servicePack) {
  const std::string number = run::DecimalText(servicePack);
  // Appended piece by piece: joined with "+", each piece would pass through another temporary.
  std::string message = "This installation requires the use of Service Pack ";
  for (const char* piece : {number.c_str(), ". Please download and install Service Pack ",
                            number.c_str(), " from Windows Update, or via the Microsoft website (",
                            kMakerWebSite, "), before continuing this installation."})
    message += piece;
  return message;
}

}  // namespace

// The only Windows that answers for its machine and runs an x86 or x64 program on anything else
// is Windows on ARM64.
void CheckMachineSupported() {
  if (HasDriverForMachine(os::Os().version->NativeMachine())) return;
  Refuse("This installer has no driver for Windows on ARM processors.");
}

void CheckEditionSupported() {
  if (!run::State().InstallMode.empty()) return;
  Refuse("This installer can't be used on " + PlatformDisplayName());
}

std::string PlatformDisplayName() {
  static constexpr struct {
    std::string_view key;
    std::string_view name;
  } kNames[] = {
      {"98", "Windows 98"},
      {"ME", "Windows ME"},
      {"WIN2K", "Windows 2000"},
      {"WINXP", "Windows XP"},
      {"WIN2K3", "Windows 2003"},
      {"WINXP64", "Windows XP (x86_64)"},
      {"WIN2K364", "Windows 2003 (x86_64)"},
      {"VISTA", "Windows Vista"},
      {"VISTA64", "Windows Vista (x86_64)"},
  };
  const std::string key = run::UpperCase(run::State().PlatformKey);
  for (const auto& row : kNames)
    if (row.key == key) return std::string(row.name);
  return "";
}

void CheckServicePack() {
  const std::string& key = run::State().PlatformKey;
  run::Flag present;
  int required;
  if (key == "Win2K") {
    present = HasWindows2000SP4();
    required = 4;
  } else if (key == "WinXP") {
    present = HasWindowsXPSP2();
    required = 2;
  } else if (key == "Vista") {
    // Windows 7 and later share the Vista key but cannot take a Vista service pack, and already
    // contain what it brought: asking their users to install one would shut them out for good.
    present = HasWindowsVistaSP1();
    if (present != run::kTrue) present = IsWindowsAfterVista();
    required = 1;
  } else {
    return;
  }
  if (present == run::kTrue) return;
  if (run::State().ServicePackRequired != run::kTrue) return;
  Refuse(ServicePackMessage(required));
}

}  // namespace platform
