#pragma once
// The service control manager.

namespace os {

class Services {
 public:
  virtual ~Services() = default;
};

}  // namespace os
