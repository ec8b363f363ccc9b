#pragma once
// The cabinet iterator (SetupIterateCabinetA) and its notifications.

namespace os {

class Cabinets {
 public:
  virtual ~Cabinets() = default;
};

}  // namespace os
