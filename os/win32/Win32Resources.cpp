#include <windows.h>

#include "os/Resources.h"
#include "os/win32/Backends.h"

namespace os::win32 {
namespace {

class Win32Resources final : public Resources {
 public:
  std::optional<std::string_view> Find(const char* type, int id) override {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded) return std::nullopt;
    const void* bytes = LockResource(loaded);
    if (!bytes) return std::nullopt;
    return std::string_view(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
  }

  bool WriteResource(const std::string& file, const char* type, int name, uint16_t language,
                     std::string_view bytes) override {
    HANDLE update = BeginUpdateResourceA(file.c_str(), FALSE);
    if (!update) return false;
    const BOOL updated =
        UpdateResourceA(update, type, MAKEINTRESOURCEA(name), language,
                        const_cast<char*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    // Ending the update is needed either way: discarding it when the update failed.
    const BOOL written = EndUpdateResourceA(update, updated ? FALSE : TRUE);
    return updated && written;
  }
};

}  // namespace

Resources& ResourcesBackend() {
  static Win32Resources resources;
  return resources;
}

}  // namespace os::win32
