#pragma once
// The machine's registry (HKEY_LOCAL_MACHINE) as every program sees it: on 64-bit Windows the
// 64-bit view also for this 32-bit program, which WoW64 would otherwise send to Wow6432Node.
#include <cstdint>
#include <optional>
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
  // RegQueryValueExA: the value's bytes as stored (a text with its closing NUL); nullopt when
  // the key or the value is missing (then `missing`, when given, is set true) or cannot be read
  // (a value longer than 8 KB cannot).
  virtual std::optional<std::string> Value(const std::string& key, const char* name,
                                           bool* missing = nullptr) = 0;
  // Deletes a key that has no subkeys, with its values. False when it stays.
  virtual bool DeleteKey(const std::string& key) = 0;
  // Files::KeptByAdministratorsAlone for a key; nullopt when the key is missing or Windows keeps
  // no access lists (Windows 9x).
  virtual std::optional<bool> KeyKeptByAdministratorsAlone(const std::string&) {
    return std::nullopt;
  }
};

}  // namespace os
