#pragma once
// The finish window's one-time wireless step: make sure the edition's wireless configuration
// service runs and, when it had to be started, say so.
#include <cstdint>
#include <functional>
#include <string>

namespace ui {

inline constexpr char kWirelessServiceTitle[] = "Wireless Zero Configuration Service";

// The wireless configuration service of an edition, or "" where there is none to start.
std::string WirelessServiceFor(const std::string& platformKey);

// Starts the named service (not stopping it) and answers what it did, e.g. "Started:Starting".
using ServiceStarter = std::function<std::string(std::string& serviceName)>;

// Runs the step at most once per process, guarded by the state's ServiceCheckDone and
// CheckWirelessService; the edition is asked only when the step runs. The message box is owned
// by `owner`.
void ShowWirelessServiceMessage(uintptr_t owner, const std::function<std::string()>& detectKey,
                                const ServiceStarter& startService);

// The step as the finish window runs it: the edition detected anew, the service started through
// the service check.
void RunWirelessServiceStep(uintptr_t owner);

// The editions on which the windows are drawn slightly see-through.
bool UsesTranslucency(const std::string& platformKey);

}  // namespace ui
