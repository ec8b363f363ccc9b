#pragma once
// The running program's own resources.
#include <optional>
#include <string_view>

namespace os {

class Resources {
 public:
  virtual ~Resources() = default;
  // The bytes of the resource of this type and numeric id, straight from the mapped image.
  virtual std::optional<std::string_view> Find(const char* type, int id) = 0;
};

}  // namespace os
