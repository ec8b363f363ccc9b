// The installer as a user without administrator rights would run it: Wine counts every user as
// an administrator, so this program is the installer with only that answer changed. The tests
// give it the installer's resources (installer_variant's resedit) and start it plainly.
#include <windows.h>

#include "app/RunModes.h"
#include "run/Windows.h"
#include "os/Platform.h"
#include "os/Version.h"
#include "os/win32/Backends.h"
#include "ui/win32/Win32Windows.h"

namespace {

class StandardUser final : public os::Version {
 public:
  explicit StandardUser(os::Version& real) : real_(real) {}
  bool Query(os::VersionRecord& record) override { return real_.Query(record); }
  std::optional<bool> IsWow64Process() override { return real_.IsWow64Process(); }
  uint16_t NativeMachine() override { return real_.NativeMachine(); }
  std::optional<bool> IsUserAnAdmin() override { return false; }

 private:
  os::Version& real_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static os::Platform platform = os::win32::Win32Platform();
  static StandardUser version(*platform.version);
  platform.version = &version;
  os::SetOs(platform);
  run::SetUi(&ui::win32::WindowsBackend());
  if (!app::Main()) return 0;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
