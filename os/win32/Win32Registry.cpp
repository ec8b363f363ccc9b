#include <windows.h>

#include "os/Registry.h"
#include "os/Version.h"
#include "os/win32/Backends.h"

namespace os::win32 {
namespace {

// KEY_WOW64_64KEY only where WoW64 runs the program: Windows 2000 rejects the unknown flag.
REGSAM Access(REGSAM access) {
  const auto wow64 = VersionBackend().IsWow64Process();
  return access | (wow64 && *wow64 ? KEY_WOW64_64KEY : 0);
}

class Win32Registry final : public Registry {
 public:
  bool SetValue(const std::string& key, const char* name, uint32_t type,
                std::string_view bytes) override {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, Access(KEY_SET_VALUE),
                        nullptr, &opened, nullptr) != ERROR_SUCCESS)
      return false;
    // A text is stored with its closing NUL, which the view's data is followed by.
    const LONG set =
        RegSetValueExA(opened, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size() + (type == REG_SZ)));
    RegCloseKey(opened);
    return set == ERROR_SUCCESS;
  }
};

}  // namespace

Registry& RegistryBackend() {
  static Win32Registry registry;
  return registry;
}

}  // namespace os::win32
