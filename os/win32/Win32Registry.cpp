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

  std::optional<std::string> Value(const std::string& key, const char* name,
                                   bool* missing) override {
    HKEY opened = nullptr;
    LONG read = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, Access(KEY_QUERY_VALUE), &opened);
    std::string bytes;
    if (read == ERROR_SUCCESS) {
      // Asked for its size first; a value another program grows between the two calls answers
      // ERROR_MORE_DATA, and is asked again at its new size.
      DWORD size = 0;
      read = RegQueryValueExA(opened, name, nullptr, nullptr, nullptr, &size);
      while (read == ERROR_SUCCESS || read == ERROR_MORE_DATA) {
        bytes.resize(size);
        read = RegQueryValueExA(opened, name, nullptr, nullptr,
                                reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (read == ERROR_SUCCESS) {
          bytes.resize(size);
          break;
        }
      }
      RegCloseKey(opened);
    }
    if (missing) *missing = read == ERROR_FILE_NOT_FOUND;
    if (read != ERROR_SUCCESS) return std::nullopt;
    return bytes;
  }

  // RegDeleteKeyA would delete in the 32-bit view under WoW64; the call that takes the view is
  // missing before XP x64, where there is only one view.
  bool DeleteKey(const std::string& key) override {
    const REGSAM view = Access(0);
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    const auto deleteKeyEx = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    const LONG deleted = view && deleteKeyEx ? deleteKeyEx(HKEY_LOCAL_MACHINE, key.c_str(), view, 0)
                                             : RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  }

  std::optional<bool> KeyKeptByAdministratorsAlone(const std::string& key) override {
    HKEY opened = nullptr;
    const LONG open =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, Access(READ_CONTROL), &opened);
    if (open == ERROR_FILE_NOT_FOUND) return std::nullopt;
    constexpr int kRegistryKey = 4;  // SE_REGISTRY_KEY
    const auto kept =
        SecuredForAdministrators(open == ERROR_SUCCESS ? opened : nullptr, kRegistryKey);
    if (open == ERROR_SUCCESS) RegCloseKey(opened);
    return kept;
  }
};

}  // namespace

Registry& RegistryBackend() {
  static Win32Registry registry;
  return registry;
}

}  // namespace os::win32
