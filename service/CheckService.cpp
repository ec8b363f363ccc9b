#include "service/CheckService.h"

#include "run/InstallerState.h"

namespace service {
namespace {

constexpr int32_t kRequestStart = -1;
constexpr int32_t kRequestStartToo = 0;
constexpr int32_t kRequestStop = 1;
constexpr int32_t kRequestPause = 2;
constexpr int32_t kRequestContinue = 3;

void DefaultIfEmpty(std::string& text, const char* fallback) {
  if (text.empty()) text = fallback;
}

}  // namespace

std::string CheckService::Run(std::string& SvcName, bool SvcStop) {
  if (SvcName.empty()) SvcName = "WZCSVC";
  config_ = GetServiceConfig(SvcName);
  const std::string before = run::UpperCase(CurrentStateName(SvcName));

  // Only a stopped or paused service is touched; the start type is written first and its result
  // is not looked at, so a service whose start type cannot be changed is still started.
  std::string action;
  if (before == "STOPPED" || before == "PAUSED") {
    const bool paused = before == "PAUSED";
    ChangeServiceStartup(SvcName, kNoChange, SvcStop ? kServiceDemandStart : kServiceAutoStart,
                         kNoChange);
    if (!SvcStop) {
      const int16_t r = ChangeSvcState(paused ? kRequestContinue : kRequestStart, SvcName);
      action = r == 1 ? "Started" : "Error";
    } else if (!paused) {
      action = "Stopped";
    } else {
      // A refused stop request must not read as "Stopped": ChangeSvcState answers 0 both for a
      // service that is going down and for a request the manager refused.
      int32_t requestResult = 0;
      const int16_t r = SendRequest(kRequestStop, SvcName, requestResult);
      action = r == 0 && requestResult == 0 ? "Stopped" : "Error";
    }
  }

  return action + ":" + CurrentStateName(SvcName);
}

int16_t CheckService::ChangeSvcState(int32_t State, const std::string& SvcName) {
  int32_t requestResult = 0;
  return SendRequest(State, SvcName, requestResult);
}

int16_t CheckService::SendRequest(int32_t State, const std::string& SvcName,
                                  int32_t& requestResult) {
  switch (State) {
    case kRequestStart:
    case kRequestStartToo:
      requestResult = StartServiceByName(SvcName);
      break;
    case kRequestStop:
      requestResult = StopServiceByName(SvcName);
      break;
    case kRequestPause:
      requestResult = PauseServiceByName(SvcName);
      break;
    case kRequestContinue:
      requestResult = ContinueServiceByName(SvcName);
      break;
    default:
      // No request was sent, so nothing was brought up by this call.
      requestResult = 0;
      return 0;
  }
  if (requestResult != 0) return 0;
  const int32_t state = GetServiceState(SvcName);
  return state == kServiceStartPending || state == kServiceRunning ||
                 state == kServiceContinuePending
             ? 1
             : 0;
}

std::string CheckService::CurrentStateName(const std::string& SvcName) {
  DefaultIfEmpty(config_.ServiceStartName, "None");
  DefaultIfEmpty(config_.Dependencies, "None");
  DefaultIfEmpty(config_.LoadOrderGroup, "None");
  DefaultIfEmpty(config_.BinaryPathName, "Unknown");
  DefaultIfEmpty(config_.StartType, "Unknown");
  DefaultIfEmpty(config_.ServiceType, "Unknown");
  return ServiceStateName(GetServiceState(SvcName));
}

}  // namespace service
