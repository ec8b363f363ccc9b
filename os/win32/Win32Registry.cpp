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

  std::optional<std::string> Value(const std::string& key, const char* name) override {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, Access(KEY_QUERY_VALUE), &opened) !=
        ERROR_SUCCESS)
      return std::nullopt;
    std::string bytes(4096, '\0');
    DWORD size = static_cast<DWORD>(bytes.size());
    const LONG read = RegQueryValueExA(opened, name, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(bytes.data()), &size);
    RegCloseKey(opened);
    if (read != ERROR_SUCCESS) return std::nullopt;
    bytes.resize(size);
    return bytes;
  }

  bool DeleteKey(const std::string& key) override {
    // RegDeleteKeyA always deletes in the program's own view; RegDeleteKeyExA, which takes the
    // view, is there on every 64-bit Windows and missing from Windows 2000.
    using DeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    const auto deleteKeyEx = reinterpret_cast<DeleteKeyExFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    const LONG deleted = deleteKeyEx ? deleteKeyEx(HKEY_LOCAL_MACHINE, key.c_str(), Access(0), 0)
                                     : RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  }
};

}  // namespace

Registry& RegistryBackend() {
  static Win32Registry registry;
  return registry;
}

}  // namespace os::win32
