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
};

}  // namespace

Resources& ResourcesBackend() {
  static Win32Resources resources;
  return resources;
}

}  // namespace os::win32
