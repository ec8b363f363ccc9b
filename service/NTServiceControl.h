#pragma once
// A stateless layer over the service control manager. Every operation opens its own handles,
// makes one request and closes the handles again; nothing here waits for a service to change
// state, and nothing fails to its caller: results are error codes, state numbers or texts.
#include <cstdint>
#include <string>

namespace service {

struct ServiceConfigInfo {
  int32_t ErrorCode = 0;
  std::string ServiceStartName;
  std::string DisplayName;
  std::string Dependencies;
  std::string ErrorControl;
  std::string TagId;
  std::string LoadOrderGroup;
  std::string BinaryPathName;
  std::string StartType;
  std::string ServiceType;
};

// Current-state values of the manager.
inline constexpr int32_t kServiceStopped = 1;
inline constexpr int32_t kServiceStartPending = 2;
inline constexpr int32_t kServiceStopPending = 3;
inline constexpr int32_t kServiceRunning = 4;
inline constexpr int32_t kServiceContinuePending = 5;
inline constexpr int32_t kServicePausePending = 6;
inline constexpr int32_t kServicePaused = 7;

// Start types written by the service check.
inline constexpr int32_t kServiceAutoStart = 2;
inline constexpr int32_t kServiceDemandStart = 3;
// SERVICE_NO_CHANGE, as callers pass it.
inline constexpr int32_t kNoChange = -1;

// Requests: 0 when the manager took the request, else its last error code.
int32_t StartServiceByName(const std::string& name);
int32_t StopServiceByName(const std::string& name);
int32_t PauseServiceByName(const std::string& name);
int32_t ContinueServiceByName(const std::string& name);
// -1 (SERVICE_NO_CHANGE) leaves a value as it is. tagId is handed to the manager unchanged.
int32_t ChangeServiceStartup(const std::string& name, int32_t serviceType, int32_t startType,
                             int32_t errorControl, uint32_t* tagId = nullptr);

// The current state (1 to 7), or 0 when the service cannot be opened or queried.
int32_t GetServiceState(const std::string& name);
// ErrorCode 0 and the configuration, or the failing step's error code and empty texts.
ServiceConfigInfo GetServiceConfig(const std::string& name);
// "Stopped" ... "Paused" for 1 to 7, "Unknown? n" for any other n.
std::string ServiceStateName(int32_t state);

}  // namespace service
