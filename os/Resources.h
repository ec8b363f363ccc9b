#pragma once
// The running program's own resources.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace os {

// MAKEINTRESOURCEA: a resource type given by its number (24 the manifest, 16 the version).
inline const char* NumberedType(int type) {
  return reinterpret_cast<const char*>(static_cast<uintptr_t>(type));
}

class Resources {
 public:
  virtual ~Resources() = default;
  // The bytes of the resource of this type and numeric id, straight from the mapped image.
  virtual std::optional<std::string_view> Find(const char* type, int id) = 0;
  // Adds or replaces one resource of another program file, keeping its other resources
  // (BeginUpdateResourceA, UpdateResourceA, EndUpdateResourceA). True when all three succeeded.
  virtual bool WriteResource(const std::string& file, const char* type, int name, uint16_t language,
                             std::string_view bytes) = 0;
};

}  // namespace os
