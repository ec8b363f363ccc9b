#pragma once
// The service control manager, one call per advapi32 function. Every call reports the thread's last
// error taken right after a failure, so the caller never has to ask for it later.
#include <cstdint>
#include <string>

namespace os {

// SC_HANDLE as an opaque value; 0 is no handle.
using ScHandle = uintptr_t;

// Access rights, control codes and values of the service control manager.
inline constexpr uint32_t kScManagerConnect = 0x0001;
inline constexpr uint32_t kServiceQueryConfig = 0x0001;
inline constexpr uint32_t kServiceChangeConfig = 0x0002;
inline constexpr uint32_t kServiceQueryStatus = 0x0004;
inline constexpr uint32_t kServiceStart = 0x0010;
inline constexpr uint32_t kServiceStop = 0x0020;
inline constexpr uint32_t kServicePauseContinue = 0x0040;
inline constexpr uint32_t kServiceControlStop = 1;
inline constexpr uint32_t kServiceControlPause = 2;
inline constexpr uint32_t kServiceControlContinue = 3;
inline constexpr uint32_t kServiceNoChange = 0xFFFFFFFF;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;

struct ScOpened {
  ScHandle handle = 0;     // 0 when the open failed
  uint32_t lastError = 0;  // set when handle is 0
};

struct ScCall {
  bool succeeded = false;
  uint32_t lastError = 0;  // set when the call failed
};

// QUERY_SERVICE_CONFIGA as the manager filled it. Texts are read from the manager's pointers,
// never past the end of the buffer it filled; a null pointer gives an empty text.
struct ScConfig {
  uint32_t serviceType = 0;
  uint32_t startType = 0;
  uint32_t errorControl = 0;
  uint32_t tagId = 0;
  std::string binaryPathName;
  std::string loadOrderGroup;
  // The whole list as the manager keeps it: names separated by NUL bytes.
  std::string dependencies;
  std::string serviceStartName;
  std::string displayName;
};

struct ScConfigAnswer {
  ScCall call;
  uint32_t bytesNeeded = 0;  // what the manager asked for (meaningful with error 122)
  ScConfig config;           // filled when call.succeeded
};

class Services {
 public:
  virtual ~Services() = default;
  // OpenSCManagerA on the local machine's default database.
  virtual ScOpened OpenManager(uint32_t access) = 0;
  // OpenServiceA (named apart from the OpenService macro of <windows.h>).
  virtual ScOpened OpenNamedService(ScHandle manager, const std::string& name, uint32_t access) = 0;
  // QueryServiceConfigA into a zero-filled buffer of bufferSize bytes (no buffer when 0).
  virtual ScConfigAnswer QueryConfig(ScHandle service, uint32_t bufferSize) = 0;
  // QueryServiceStatus; currentState is dwCurrentState of the record.
  virtual ScCall QueryStatus(ScHandle service, uint32_t& currentState) = 0;
  // ControlService; the status record it returns is not passed on.
  virtual ScCall Control(ScHandle service, uint32_t control) = 0;
  // StartServiceA without start arguments.
  virtual ScCall Start(ScHandle service) = 0;
  // ChangeServiceConfigA with only the three values and the tag pointer; no texts are changed.
  virtual ScCall ChangeConfig(ScHandle service, uint32_t serviceType, uint32_t startType,
                              uint32_t errorControl, uint32_t* tagId) = 0;
  virtual ScCall Close(ScHandle handle) = 0;
};

}  // namespace os
