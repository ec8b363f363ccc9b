#include "ui/WirelessServiceStep.h"

#include "run/InstallerState.h"
#include "os/Platform.h"
#include "os/Shell.h"
#include "platform/Edition.h"
#include "service/CheckService.h"
#include "run/RunLog.h"

namespace ui {

std::string WirelessServiceFor(const std::string& platformKey) {
  if (platformKey == "WinXP" || platformKey == "WinXP64" || platformKey == "Win2K3" ||
      platformKey == "Win2K364")
    return "WZCSVC";
  if (platformKey == "Vista" || platformKey == "Vista64") return "WLansvc";
  return "";
}

bool UsesTranslucency(const std::string& platformKey) {
  for (const char* key : {"Win2K", "WinXP", "WinXP64", "Win2K3", "Win2K364", "Vista", "Vista64"})
    if (platformKey == key) return true;
  return false;
}

void ShowWirelessServiceMessage(uintptr_t owner, const std::function<std::string()>& detectKey,
                                const ServiceStarter& startService) {
  run::InstallerState& state = run::State();
  if (state.ServiceCheckDone != run::kFalse || state.CheckWirelessService != run::kTrue) return;

  std::string serviceName = WirelessServiceFor(detectKey());
  if (serviceName.empty()) {
    state.ServiceCheckDone = run::kFalse;
    state.CheckWirelessService = run::kFalse;
    return;
  }
  const std::string answer = startService(serviceName);
  run::Log("%s: %s", serviceName.c_str(), answer.c_str());
  state.ServiceCheckDone = run::kTrue;
  state.CheckWirelessService = run::kFalse;

  // "Started:Running": the start request was taken and the service was already up when the
  // check looked again; this step started it all the same.
  if (answer != "Started:Starting" && answer != "Started:Continuing" && answer != "Started:Running")
    return;
  if (state.MsgWirelessService.empty()) return;
  // "%$" stands for a line break. The replacement is a literal outside the text, so nothing
  // overlaps; GCC 12 (the unit tests' compiler) still warns of an overlapping copy inside the
  // inlined replace, a known false alarm of that compiler.
  std::string& message = state.MsgWirelessService;
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
  for (size_t at = message.find("%$"); at != std::string::npos; at = message.find("%$", at + 1))
    message.replace(at, 2, "\n");
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  run::Tell(owner, message, kWirelessServiceTitle, os::kMbOk | os::kMbIconInformation);
}

// One copy for the finish window and the run nobody watches.
[[gnu::noinline]] void RunWirelessServiceStep(uintptr_t owner) {
  ShowWirelessServiceMessage(
      owner, [] { return platform::DetectPlatformKey(); },
      [](std::string& serviceName) {
        service::CheckService check;
        return check.Run(serviceName, false);
      });
}

}  // namespace ui
