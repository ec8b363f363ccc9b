#include "tests/unit/fakes/FakeServices.h"

namespace fakes {
namespace {

std::string Signed(uint32_t value) {
  return std::to_string(static_cast<int32_t>(value));
}

}  // namespace

FakeService& FakeServiceManager::Add(const std::string& name, uint32_t state, uint32_t startType) {
  FakeService& service = services[name];
  service.state = state;
  service.config.serviceType = 0x10;  // SERVICE_WIN32_OWN_PROCESS
  service.config.startType = startType;
  service.config.errorControl = 1;
  service.config.binaryPathName = "C:\\windows\\system32\\" + name + ".exe";
  service.config.serviceStartName = "LocalSystem";
  service.config.displayName = name + " service";
  return service;
}

std::vector<std::string> FakeServiceManager::Requests() const {
  std::vector<std::string> requests;
  for (const std::string& call : calls) {
    if (call.starts_with("Start") || call.starts_with("Control") ||
        call.starts_with("ChangeConfig")) {
      requests.push_back(call);
    }
  }
  return requests;
}

os::ScOpened FakeServiceManager::OpenManager(uint32_t access) {
  calls.push_back("OpenManager " + std::to_string(access));
  if (managerError) return {0, *managerError};
  const os::ScHandle handle = next_++;
  open_[handle] = {true, "", access};
  ++opens_;
  return {handle, 0};
}

os::ScOpened FakeServiceManager::OpenNamedService(os::ScHandle manager, const std::string& name,
                                                  uint32_t access) {
  calls.push_back("OpenNamedService " + name + " " + std::to_string(access));
  const auto found = open_.find(manager);
  if (found == open_.end() || !found->second.manager) return {0, kErrorInvalidHandle};
  if (!(found->second.access & os::kScManagerConnect)) return {0, kErrorAccessDenied};
  const auto service = services.find(name);
  if (service == services.end()) return {0, kErrorServiceDoesNotExist};
  if (service->second.openError) return {0, *service->second.openError};
  const os::ScHandle handle = next_++;
  open_[handle] = {false, name, access};
  ++opens_;
  return {handle, 0};
}

FakeService* FakeServiceManager::ServiceFor(os::ScHandle handle, uint32_t access, uint32_t& error) {
  const auto found = open_.find(handle);
  if (found == open_.end() || found->second.manager) {
    error = kErrorInvalidHandle;
    return nullptr;
  }
  if ((found->second.access & access) != access) {
    error = kErrorAccessDenied;
    return nullptr;
  }
  return &services.at(found->second.name);
}

uint32_t FakeServiceManager::BytesNeeded(const os::ScConfig& config) {
  // A 32-bit record, then each text with its NUL (the list with its final extra NUL).
  return 36 + config.binaryPathName.size() + 1 + config.loadOrderGroup.size() + 1 +
         config.dependencies.size() + 2 + config.serviceStartName.size() + 1 +
         config.displayName.size() + 1;
}

os::ScConfigAnswer FakeServiceManager::QueryConfig(os::ScHandle handle, uint32_t bufferSize) {
  calls.push_back("QueryConfig " + std::to_string(bufferSize));
  configBufferSizes.push_back(bufferSize);
  os::ScConfigAnswer answer;
  uint32_t error = 0;
  FakeService* service = ServiceFor(handle, os::kServiceQueryConfig, error);
  if (!service) {
    answer.call = {false, error};
    return answer;
  }
  answer.bytesNeeded = service->bytesNeeded.value_or(BytesNeeded(service->config));
  if (bufferSize == 0 && service->sizeError) {
    answer.call = {false, *service->sizeError};
  } else if (bufferSize < answer.bytesNeeded) {
    answer.call = {false, os::kErrorInsufficientBuffer};
  } else if (service->configError) {
    answer.call = {false, *service->configError};
  } else {
    answer.call = {true, 0};
    answer.config = service->config;
  }
  return answer;
}

os::ScCall FakeServiceManager::QueryStatus(os::ScHandle handle, uint32_t& currentState) {
  calls.push_back("QueryStatus");
  uint32_t error = 0;
  FakeService* service = ServiceFor(handle, os::kServiceQueryStatus, error);
  if (!service) return {false, error};
  if (service->statusError) return {false, *service->statusError};
  currentState = service->state;
  return {true, 0};
}

os::ScCall FakeServiceManager::Control(os::ScHandle handle, uint32_t control) {
  calls.push_back("Control " + std::to_string(control));
  const uint32_t access =
      control == os::kServiceControlStop ? os::kServiceStop : os::kServicePauseContinue;
  uint32_t error = 0;
  FakeService* service = ServiceFor(handle, access, error);
  if (!service) return {false, error};
  if (service->controlError) return {false, *service->controlError};
  if (service->state == 1) return {false, kErrorServiceNotActive};
  switch (control) {
    case os::kServiceControlStop:
      service->state = service->stateAfterStop;
      break;
    case os::kServiceControlPause:
      service->state = service->stateAfterPause;
      break;
    case os::kServiceControlContinue:
      service->state = service->stateAfterContinue;
      break;
  }
  return {true, 0};
}

os::ScCall FakeServiceManager::Start(os::ScHandle handle) {
  calls.push_back("Start");
  uint32_t error = 0;
  FakeService* service = ServiceFor(handle, os::kServiceStart, error);
  if (!service) return {false, error};
  if (service->startError) return {false, *service->startError};
  if (service->state != 1) return {false, kErrorServiceAlreadyRunning};
  service->state = service->stateAfterStart;
  return {true, 0};
}

os::ScCall FakeServiceManager::ChangeConfig(os::ScHandle handle, uint32_t serviceType,
                                            uint32_t startType, uint32_t errorControl,
                                            uint32_t* tagId) {
  calls.push_back("ChangeConfig " + Signed(serviceType) + " " + Signed(startType) + " " +
                  Signed(errorControl));
  tagPointers.push_back(tagId);
  uint32_t error = 0;
  FakeService* service = ServiceFor(handle, os::kServiceChangeConfig, error);
  if (!service) return {false, error};
  if (service->changeError) return {false, *service->changeError};
  if (serviceType != os::kServiceNoChange) service->config.serviceType = serviceType;
  if (startType != os::kServiceNoChange) service->config.startType = startType;
  if (errorControl != os::kServiceNoChange) service->config.errorControl = errorControl;
  return {true, 0};
}

os::ScCall FakeServiceManager::Close(os::ScHandle handle) {
  calls.push_back("Close");
  const auto found = open_.find(handle);
  if (found == open_.end()) {
    ++badCloses_;
    return {false, kErrorInvalidHandle};
  }
  if (found->second.manager) {
    for (const auto& [other, opened] : open_) {
      if (!opened.manager) ++badCloses_;
    }
  }
  open_.erase(found);
  return {true, 0};
}

}  // namespace fakes
