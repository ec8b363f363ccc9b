#pragma once
// The machine's registry (HKEY_LOCAL_MACHINE) as every program sees it: on 64-bit Windows the
// 64-bit view also for this 32-bit program, which WoW64 would otherwise send to Wow6432Node.
#include <cstdint>
#include <string>
#include <string_view>

namespace os {

inline constexpr uint32_t kRegText = 1;      // REG_SZ: the bytes without their closing NUL
inline constexpr uint32_t kRegNumber = 4;    // REG_DWORD: four bytes, low byte first
inline constexpr uint32_t kRegTextList = 7;  // REG_MULTI_SZ: each text with its NUL, then a NUL

class Registry {
 public:
  virtual ~Registry() = default;
  // RegCreateKeyExA + RegSetValueExA: creates the key where it is missing.
  virtual bool SetValue(const std::string& key, const char* name, uint32_t type,
                        std::string_view bytes) = 0;
};

}  // namespace os
