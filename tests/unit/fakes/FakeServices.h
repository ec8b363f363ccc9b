#pragma once
// A scripted service control manager: services by name with a state and a configuration, errors to
// give per call, and a ledger of every handle so tests can check that each one is closed once.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "os/Services.h"

namespace fakes {

// Windows error codes the fake gives on its own.
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorServiceAlreadyRunning = 1056;
inline constexpr uint32_t kErrorServiceNotActive = 1062;
inline constexpr uint32_t kErrorServiceDoesNotExist = 1060;

struct FakeService {
  uint32_t state = 1;  // SERVICE_STOPPED
  os::ScConfig config;
  // State the manager reports right after an accepted request.
  uint32_t stateAfterStart = 2;     // SERVICE_START_PENDING
  uint32_t stateAfterStop = 3;      // SERVICE_STOP_PENDING
  uint32_t stateAfterPause = 6;     // SERVICE_PAUSE_PENDING
  uint32_t stateAfterContinue = 5;  // SERVICE_CONTINUE_PENDING
  // Scripted failures: the call fails with this last error.
  std::optional<uint32_t> openError;
  std::optional<uint32_t> statusError;
  std::optional<uint32_t> startError;
  std::optional<uint32_t> controlError;
  std::optional<uint32_t> changeError;
  std::optional<uint32_t> sizeError;    // the sizing query fails with this instead of 122
  std::optional<uint32_t> configError;  // the query into the buffer fails
  std::optional<uint32_t> bytesNeeded;  // instead of the size of the record and its texts
};

class FakeServiceManager final : public os::Services {
 public:
  std::map<std::string, FakeService> services;
  std::optional<uint32_t> managerError;
  // Every call, e.g. "OpenNamedService WZCSVC 16", "Start", "Control 1", "ChangeConfig -1 2 -1".
  std::vector<std::string> calls;
  std::vector<uint32_t> configBufferSizes;
  std::vector<uint32_t*> tagPointers;

  FakeService& Add(const std::string& name, uint32_t state, uint32_t startType = 3);

  // Handles opened and not yet closed; closes of handles that were not open, or of the manager
  // while a service handle was still open.
  std::size_t OpenHandles() const { return open_.size(); }
  int BadCloses() const { return badCloses_; }
  int Opens() const { return opens_; }
  // Names of requests (Start, Control, ChangeConfig) sent, in order.
  std::vector<std::string> Requests() const;

  os::ScOpened OpenManager(uint32_t access) override;
  os::ScOpened OpenNamedService(os::ScHandle manager, const std::string& name,
                                uint32_t access) override;
  os::ScConfigAnswer QueryConfig(os::ScHandle service, uint32_t bufferSize) override;
  os::ScCall QueryStatus(os::ScHandle service, uint32_t& currentState) override;
  os::ScCall Control(os::ScHandle service, uint32_t control) override;
  os::ScCall Start(os::ScHandle service) override;
  os::ScCall ChangeConfig(os::ScHandle service, uint32_t serviceType, uint32_t startType,
                          uint32_t errorControl, uint32_t* tagId) override;
  os::ScCall Close(os::ScHandle handle) override;

 private:
  struct Opened {
    bool manager = false;
    std::string name;
    uint32_t access = 0;
  };
  // The service behind a handle opened with the access right, or the error Windows gives.
  FakeService* ServiceFor(os::ScHandle handle, uint32_t access, uint32_t& error);
  static uint32_t BytesNeeded(const os::ScConfig& config);

  std::map<os::ScHandle, Opened> open_;
  os::ScHandle next_ = 0x100;
  int opens_ = 0;
  int badCloses_ = 0;
};

}  // namespace fakes
