#pragma once
// The running program's own resources.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace os {

class Resources {
 public:
  virtual ~Resources() = default;
  // The bytes of the resource of this type and numeric id, straight from the mapped image.
  virtual std::optional<std::string_view> Find(const char* type, int id) = 0;
  // Adds or replaces one resource of another program file, keeping its other resources
  // (BeginUpdateResourceA, UpdateResourceA, EndUpdateResourceA). True when all three succeeded.
  virtual bool WriteResource(const std::string& file, int type, int name, uint16_t language,
                             std::string_view bytes) = 0;
};

}  // namespace os
