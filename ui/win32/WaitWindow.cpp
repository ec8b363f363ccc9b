#include "ui/win32/WaitWindow.h"

#include <iterator>

#include "os/Platform.h"
#include "os/Resources.h"
#include "run/CloseDown.h"
#include "run/InstallerState.h"
#include "run/RunSteps.h"
#include "ui/win32/ModComCTL.h"
#include "ui/win32/Painting.h"

namespace ui::win32 {
namespace {

constexpr BorderLine kLines[] = {
    {15, 15, 4620, 15, kWindowText},     {0, 0, 4620, 0, RGB(224, 224, 224)},
    {15, 1905, 15, 0, kWindowText},      {0, 0, 0, 1920, RGB(224, 224, 224)},
    {4605, 15, 4605, 1920, kWindowText}, {4620, 5, 4620, 1920, RGB(128, 128, 128)},
    {15, 1905, 4605, 1905, kWindowText}, {0, 1920, 4620, 1920, RGB(128, 128, 128)},
};

}  // namespace

WaitWindow::WaitWindow()
    : FormWindow(Design{"NorvaneWait", 4635, 1935, WS_EX_APPWINDOW, RECT{29, 27, 4575, 255},
                        "Norvane Self Extracting Cabinet File", kLines, std::size(kLines)}) {}

// Out of line, so that this file alone emits the destructor and its thunks.
WaitWindow::~WaitWindow() = default;

bool WaitWindow::Load() {
  InitControlLibrary();
  if (!Create("Please wait")) return false;
  progress_.Create(hwnd_, 3495, 330);
  Label1_ = AddLabel("Please wait while the necessary files are extracted.", SS_CENTER);
  ApplyDpi(CurrentDpi(), nullptr);
  ticks_ = WaitTimer{};
  Timer1_.Attach(hwnd_);
  Timer1_.SetEnabled(true);
  Timer1_.SetInterval(1);
  return true;
}

void WaitWindow::SetProgress(int value) {
  progress_.SetValue(value);
}
int WaitWindow::Progress() const {
  return progress_.Value();
}
void WaitWindow::SetStatusText(const std::string& text) {
  SetLabelText(Label1_, text);
}

void WaitWindow::StopTimer() {
  Timer1_.SetInterval(0);
  Timer1_.SetEnabled(false);
}

void WaitWindow::SetVisible(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}
bool WaitWindow::IsVisible() const {
  return hwnd_ && IsWindowVisible(hwnd_);
}
uintptr_t WaitWindow::Handle() const {
  return reinterpret_cast<uintptr_t>(hwnd_);
}

void WaitWindow::LayOut() {
  progress_.Place(600, 720, Dpi());
  Place(Label1_, 960, 1320, 2775, 495);
}

void WaitWindow::ExtractPayloads(int16_t& counter) {
  run::Steps().ExtractPayloads(counter);
}

// The configuration is read from the program's resource, where the extraction once wrote it out.
bool WaitWindow::ConfigTextExists() {
  return os::Os().resources->Find("CONFIG", 7).has_value();
}

void WaitWindow::RunInstallation() {
  run::Steps().RunInstallation();
}

bool WaitWindow::Handle(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_TIMER:
      if (wParam == Timer1_.id()) ticks_.Tick(*this);
      result = 0;
      return true;
    case WM_CLOSE:
      // A close request is never refused; unloading this window is the run's final clean-up.
      run::UnloadWait();
  }
  return false;
}

}  // namespace ui::win32
