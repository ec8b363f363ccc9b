#include "service/NTServiceControl.h"

#include "os/Platform.h"
#include "os/Services.h"
#include "run/InstallerState.h"

namespace service {
namespace {

os::Services& Manager() {
  return *os::Os().services;
}

// Closes a service manager handle when it goes out of scope; declared after the handle it
// depends on, a service handle is therefore closed before its manager.
class ScopedScHandle {
 public:
  explicit ScopedScHandle(os::ScHandle handle) : handle_(handle) {}
  ScopedScHandle(const ScopedScHandle&) = delete;
  ScopedScHandle& operator=(const ScopedScHandle&) = delete;
  ~ScopedScHandle() {
    if (handle_ != 0) Manager().Close(handle_);
  }
  os::ScHandle get() const { return handle_; }

 private:
  os::ScHandle handle_;
};

int32_t ErrorCodeOf(uint32_t lastError) {
  return static_cast<int32_t>(lastError);
}

int32_t ResultOf(const os::ScCall& call) {
  return call.succeeded ? 0 : ErrorCodeOf(call.lastError);
}

// Opens the manager and the service, runs one request on the service handle and closes both.
template <typename Request>
int32_t RequestOnService(const std::string& name, uint32_t access, Request request) {
  const os::ScOpened manager = Manager().OpenManager(os::kScManagerConnect);
  if (manager.handle == 0) return ErrorCodeOf(manager.lastError);
  ScopedScHandle managerHandle(manager.handle);
  const os::ScOpened service = Manager().OpenNamedService(manager.handle, name, access);
  if (service.handle == 0) return ErrorCodeOf(service.lastError);
  ScopedScHandle serviceHandle(service.handle);
  return ResultOf(request(service.handle));
}

int32_t ControlByName(const std::string& name, uint32_t access, uint32_t control) {
  return RequestOnService(name, access, [control](os::ScHandle service) {
    return Manager().Control(service, control);
  });
}

// The record's texts are copied into 255-byte buffers; longer texts are cut there instead of
// running over the end of the buffer.
constexpr std::size_t kTextLimit = 255;
constexpr uint32_t kConfigRecordSize = 36;  // QUERY_SERVICE_CONFIGA in the 32-bit program

void CopyText(std::string& to, std::string_view text) {
  to = text.substr(0, kTextLimit);
}

// needed / 36 + 1, rounded to the nearest whole number with ties to even, in records of 36 bytes:
// always at least 18 bytes more than the manager asked for.
uint64_t ConfigBufferSize(uint32_t bytesNeeded) {
  uint64_t records = bytesNeeded / kConfigRecordSize + 1;
  const uint32_t remainder = bytesNeeded % kConfigRecordSize;
  if (remainder * 2 > kConfigRecordSize ||
      (remainder * 2 == kConfigRecordSize && records % 2 == 1)) {
    ++records;
  }
  return records * kConfigRecordSize;
}

}  // namespace

int32_t StartServiceByName(const std::string& name) {
  return RequestOnService(name, os::kServiceStart,
                          [](os::ScHandle service) { return Manager().Start(service); });
}

int32_t StopServiceByName(const std::string& name) {
  return ControlByName(name, os::kServiceStop, os::kServiceControlStop);
}

int32_t PauseServiceByName(const std::string& name) {
  return ControlByName(name, os::kServicePauseContinue, os::kServiceControlPause);
}

int32_t ContinueServiceByName(const std::string& name) {
  return ControlByName(name, os::kServicePauseContinue, os::kServiceControlContinue);
}

int32_t ChangeServiceStartup(const std::string& name, int32_t serviceType, int32_t startType,
                             int32_t errorControl, uint32_t* tagId) {
  return RequestOnService(name, os::kServiceChangeConfig, [&](os::ScHandle service) {
    return Manager().ChangeConfig(service, static_cast<uint32_t>(serviceType),
                                  static_cast<uint32_t>(startType),
                                  static_cast<uint32_t>(errorControl), tagId);
  });
}

int32_t GetServiceState(const std::string& name) {
  const os::ScOpened manager = Manager().OpenManager(os::kScManagerConnect);
  if (manager.handle == 0) return 0;
  ScopedScHandle managerHandle(manager.handle);
  const os::ScOpened service =
      Manager().OpenNamedService(manager.handle, name, os::kServiceQueryStatus);
  if (service.handle == 0) return 0;
  ScopedScHandle serviceHandle(service.handle);
  uint32_t state = 0;
  if (!Manager().QueryStatus(service.handle, state).succeeded) return 0;
  return static_cast<int32_t>(state);
}

ServiceConfigInfo GetServiceConfig(const std::string& name) {
  ServiceConfigInfo info;
  const os::ScOpened manager = Manager().OpenManager(os::kScManagerConnect);
  if (manager.handle == 0) {
    info.ErrorCode = ErrorCodeOf(manager.lastError);
    return info;
  }
  ScopedScHandle managerHandle(manager.handle);
  const os::ScOpened service =
      Manager().OpenNamedService(manager.handle, name, os::kServiceQueryConfig);
  if (service.handle == 0) {
    info.ErrorCode = ErrorCodeOf(service.lastError);
    return info;
  }
  ScopedScHandle serviceHandle(service.handle);

  // Asked without a buffer, the manager fails with ERROR_INSUFFICIENT_BUFFER (122) and the size.
  const os::ScConfigAnswer sizing = Manager().QueryConfig(service.handle, 0);
  if (sizing.call.succeeded || sizing.call.lastError != os::kErrorInsufficientBuffer) {
    info.ErrorCode =
        ErrorCodeOf(sizing.call.succeeded ? os::kErrorInsufficientBuffer : sizing.call.lastError);
    return info;
  }
  const uint64_t bufferSize = ConfigBufferSize(sizing.bytesNeeded);
  if (bufferSize > UINT32_MAX) {
    info.ErrorCode = ErrorCodeOf(os::kErrorInsufficientBuffer);
    return info;
  }
  const os::ScConfigAnswer answer =
      Manager().QueryConfig(service.handle, static_cast<uint32_t>(bufferSize));
  // The second query can still fail (the configuration may have grown in between); a zero-filled
  // record must not then pass for a service with start type 0.
  if (!answer.call.succeeded) {
    info.ErrorCode = ErrorCodeOf(answer.call.lastError);
    return info;
  }
  const os::ScConfig& config = answer.config;
  // The record's texts are fresh and empty: each is written once, straight into its place.
  CopyText(info.ServiceStartName, config.serviceStartName);
  CopyText(info.DisplayName, config.displayName);
  // Only the first name of the list: it is read up to its first zero byte.
  CopyText(info.Dependencies,
           std::string_view(config.dependencies).substr(0, config.dependencies.find('\0')));
  run::AppendDecimal(info.ErrorControl, config.errorControl);
  run::AppendDecimal(info.TagId, config.tagId);
  CopyText(info.LoadOrderGroup, config.loadOrderGroup);
  CopyText(info.BinaryPathName, config.binaryPathName);
  run::AppendDecimal(info.StartType, config.startType);
  run::AppendDecimal(info.ServiceType, config.serviceType);
  return info;
}

std::string ServiceStateName(int32_t state) {
  switch (state) {
    case kServiceStopped:
      return "Stopped";
    case kServiceStartPending:
      return "Starting";
    case kServiceStopPending:
      return "Stopping";
    case kServiceRunning:
      return "Running";
    case kServiceContinuePending:
      return "Continuing";
    case kServicePausePending:
      return "Pausing";
    case kServicePaused:
      return "Paused";
    default:
      return "Unknown? " + run::DecimalText(state);
  }
}

}  // namespace service
