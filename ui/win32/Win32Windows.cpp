#include "ui/win32/Win32Windows.h"

#include "os/Platform.h"
#include "os/Processes.h"

namespace ui::win32 {
namespace {

// Until the windows exist, the installation run ends as soon as it would show one.
class NoWindows final : public app::Windows {
 public:
  app::ProgressWindow& Wait() override { os::EndProcess(0); }
  app::FinishWindow& Finish() override { os::EndProcess(0); }
  bool IsWaitLoaded() const override { return false; }
  bool IsFinishLoaded() const override { return false; }
  uintptr_t LoadTempForm() override { return 0; }
  void UnloadTempForm() override {}
};

}  // namespace

app::Windows& WindowsBackend() {
  static NoWindows windows;
  return windows;
}

}  // namespace ui::win32
