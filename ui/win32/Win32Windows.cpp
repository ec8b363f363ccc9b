#include "ui/win32/Win32Windows.h"

#include <windows.h>

#include "ui/win32/FinishWindow.h"
#include "ui/win32/ModComCTL.h"
#include "ui/win32/WaitWindow.h"
#include "ui/win32/WindowClass.h"

namespace ui::win32 {
namespace {

// The relaunch form `temp`: never shown; its handle owns the installation run it starts.
class TempForm {
 public:
  HWND Load() {
    if (hwnd_) return hwnd_;
    InitControlLibrary();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClassOnce(kClassName, DefWindowProcA);
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "temp", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, instance, nullptr);
    if (hwnd_)
      lbltempName_ =
          CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 0, 0, hwnd_, nullptr, instance, nullptr);
    return hwnd_;
  }
  void Unload() {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = lbltempName_ = nullptr;
  }

 private:
  static constexpr char kClassName[] = "NorvaneTemp";
  HWND hwnd_ = nullptr;
  HWND lbltempName_ = nullptr;
};

class Win32Windows final : public run::Windows {
 public:
  run::ProgressWindow& Wait() override {
    if (!wait_.Loaded()) wait_.Load();
    return wait_;
  }
  run::FinishWindow& Finish() override {
    if (!finish_.Loaded()) finish_.Load();
    return finish_;
  }
  bool IsWaitLoaded() const override { return wait_.Loaded(); }
  bool IsFinishLoaded() const override { return finish_.Loaded(); }
  uintptr_t LoadTempForm() override { return reinterpret_cast<uintptr_t>(temp_.Load()); }
  void UnloadTempForm() override { temp_.Unload(); }

 private:
  WaitWindow wait_;
  FinishWindow finish_;
  TempForm temp_;
};

}  // namespace

run::Windows& WindowsBackend() {
  // Never destroyed: the process ends from inside a window procedure, and no destructor should
  // reach for windows then.
  static Win32Windows& windows = *new Win32Windows;
  return windows;
}

}  // namespace ui::win32
