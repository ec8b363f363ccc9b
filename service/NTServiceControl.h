#pragma once
// A stateless layer over the service control manager.
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

}  // namespace service
