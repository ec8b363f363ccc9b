#include "ui/win32/FinishWindow.h"

#include <algorithm>
#include <iterator>

#include "run/CloseDown.h"
#include "ui/WirelessServiceStep.h"
#include "ui/win32/ModComCTL.h"
#include "ui/win32/Painting.h"
#include "ui/win32/Translucency.h"

namespace ui::win32 {
namespace {

constexpr BorderLine kLines[] = {
    {15, 15, 4340, 15, kWindowText},     {0, 0, 4340, 0, RGB(224, 224, 224)},
    {15, 1905, 15, 0, kWindowText},      {0, 0, 0, 1920, RGB(224, 224, 224)},
    {4340, 15, 4340, 1920, kWindowText}, {4355, 5, 4355, 1920, RGB(128, 128, 128)},
    {15, 1915, 4340, 1915, kWindowText}, {0, 1920, 4360, 1920, RGB(128, 128, 128)},
};
constexpr int kButtonId = 1;
constexpr char kCountdownText[] = "(This window will close automatically in";

// The countdown line laid out for the widths its texts take in the labels' font on this system.
ui::CountdownLayout MeasuredCountdownLayout(HWND window, HFONT font, int dpi) {
  HDC dc = GetDC(window);
  ui::CountdownLayout layout;
  {
    ScopedSelect selected(dc, font);
    const auto twips = [dpi](int pixels) { return static_cast<int32_t>(pixels * 1440 / dpi); };
    const auto width = [&](const char* text) {
      SIZE size = {};
      GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
      return twips(size.cx);
    };
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    layout = ui::LayOutCountdown(width(kCountdownText), width("14"),
                                 std::max(width("seconds.)"), width("second.)")),
                                 twips(metrics.tmHeight));
  }
  ReleaseDC(window, dc);
  return layout;
}

}  // namespace

FinishWindow::FinishWindow()
    : FormWindow(Design{"NorvaneFinish", 4365, 1935, WS_EX_TOOLWINDOW, RECT{29, 29, 4310, 255},
                        "Finished Installing", kLines, std::size(kLines)}) {}

// Out of line, so that this file alone emits the destructor and its thunks.
FinishWindow::~FinishWindow() = default;

bool FinishWindow::Load() {
  InitControlLibraryEx(255);
  ending_ = false;
  held_ = false;
  countdown_ = CountdownLabels{};
  if (!Create("")) return false;
  // Created in tab order; the OK button is the only one that takes the focus.
  Label_ = AddLabel("The drivers have been successfully installed. ", SS_LEFT);
  autoclosetext1_ = AddLabel(kCountdownText, SS_LEFT);
  autoclosecounter_ = AddLabel(countdown_.counter, SS_LEFT);
  autoclosetext2_ = AddLabel(countdown_.unit, SS_LEFT);
  CMDEnd_ = CreateWindowExA(
      0, "BUTTON", "&Ok", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), GetModuleHandleA(nullptr), nullptr);
  ApplyDpi(CurrentDpi(), nullptr);
  SetWindowLongPtrA(CMDEnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  buttonProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(CMDEnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonProcedure)));

  // The countdown runs from the load on, shown or not.
  Timer_.Attach(hwnd_);
  Timer_.SetEnabled(true);
  Timer_.SetInterval(1000);
  return true;
}

void FinishWindow::SetOutcome(const std::string& label, const std::string& caption) {
  if (!Loaded()) Load();
  SetLabelText(Label_, label);
  SetWindowTextA(hwnd_, caption.c_str());
}

void FinishWindow::ShowAndFocus() {
  if (!Loaded()) Load();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(CMDEnd_);
}

bool FinishWindow::IsVisibleAndEnabled() const {
  return hwnd_ && IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_);
}

void FinishWindow::Unload() {
  Timer_.SetEnabled(false);
  Destroy();
  // The system's own application icon (the fallback) is shared and refuses to go; that is fine.
  if (icon_) DestroyIcon(icon_);
  icon_ = nullptr;
}

uintptr_t FinishWindow::Handle() const {
  return reinterpret_cast<uintptr_t>(hwnd_);
}

void FinishWindow::OnResize() {
  FormWindow::OnResize();
}

void FinishWindow::LayOut() {
  Place(Label_, 120, 480, 3255, 975);
  // The line is measured anew at each dpi: a font's widths do not grow exactly with its height.
  const CountdownLayout& line = countdownLayout_ = MeasuredCountdownLayout(hwnd_, Font(), Dpi());
  Place(autoclosetext1_, 120, line.textTop, line.textWidth, line.height);
  Place(autoclosecounter_, 2880 + line.shift, line.numberTop, 255, line.height);
  Place(autoclosetext2_, countdown_.unitLeft + line.shift, line.numberTop, line.unitWidth,
        line.height);
  Place(CMDEnd_, 3480, 1080, 735, 375);
  // The icon is loaded again at the size of the new dpi.
  if (icon_) DestroyIcon(icon_);
  icon_ = nullptr;
}

RECT FinishWindow::PaintStripPictures(HDC strip) {
  // The icon hangs above the strip, which shows only its lower part; the small picture lies on it.
  const int iconSize = Px(720);
  // Loaded once per window and dpi, not per paint: every LoadImageA makes a new icon that stays
  // until it is destroyed.
  if (!icon_) icon_ = ProductIcon(iconSize);
  const int left = Px(40), top = Px(-230);
  DrawIconEx(strip, left, top, icon_, iconSize, iconSize, 0, nullptr, DI_NORMAL);
  const RECT picture = FormWindow::PaintStripPictures(strip);
  return {std::min<LONG>(left, picture.left), std::min<LONG>(top, picture.top),
          std::max<LONG>(left + iconSize, picture.right),
          std::max<LONG>(top + iconSize, picture.bottom)};
}

void FinishWindow::CountdownTick() {
  const CountdownLabels before = countdown_;
  if (ui::CountdownTick(countdown_, held_) == CountdownStep::End) {
    EndFinishWindow();
    return;
  }
  SetLabelText(autoclosecounter_, countdown_.counter);
  if (countdown_.unitLeft != before.unitLeft)
    MoveLabel(autoclosetext2_, countdown_.unitLeft + countdownLayout_.shift,
              countdownLayout_.numberTop);
  if (countdown_.unit != before.unit) SetLabelText(autoclosetext2_, countdown_.unit);
}

void FinishWindow::EndFinishWindow() {
  if (ending_) return;  // the window is hidden first, so a second click cannot arrive; be sure
  ending_ = true;
  Timer_.SetEnabled(false);
  ShowWindow(hwnd_, SW_HIDE);
  ShowWirelessServiceMessage();
  run::CloseDown();
}

void FinishWindow::ShowWirelessServiceMessage() {
  ui::RunWirelessServiceStep(reinterpret_cast<uintptr_t>(hwnd_));
}

bool FinishWindow::ClosingKey(WPARAM character) {
  if (character != 'X' && character != 'x' && character != 27) return false;
  run::CloseDown();
}

bool FinishWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_TIMER:
      if (wParam == Timer_.id()) CountdownTick();
      return true;
    case WM_COMMAND:
      if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) EndFinishWindow();
      return true;
    case WM_CHAR:
      ClosingKey(wParam);
      return true;
    case WM_SYSCHAR:
      if (wParam == 'o' || wParam == 'O') {
        SendMessageA(CMDEnd_, BM_CLICK, 0, 0);
        return true;
      }
      return false;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        // Focus on the window is focus on its first control, the OK button.
        OnResize();
        SetFocus(CMDEnd_);
      }
      return true;
    case WM_SETFOCUS:
      SetFocus(CMDEnd_);
      return true;
    case WM_CLOSE:
      // Closed by the system (Alt+F4, the task manager): leave as the closing keys do, or the
      // hidden progress window would keep the process alive.
      run::CloseDown();
  }
  (void)lParam;
  return false;
}

LRESULT CALLBACK FinishWindow::ButtonProcedure(HWND button, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  auto* self = reinterpret_cast<FinishWindow*>(GetWindowLongPtrA(button, GWLP_USERDATA));
  if (self) {
    if (message == WM_CHAR && self->ClosingKey(wParam)) return 0;
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
      SendMessageA(button, BM_CLICK, 0, 0);
      return 0;
    }
    if (message == WM_SYSCHAR && (wParam == 'o' || wParam == 'O')) {
      SendMessageA(button, BM_CLICK, 0, 0);
      return 0;
    }
    return CallWindowProcA(self->buttonProcedure_, button, message, wParam, lParam);
  }
  return DefWindowProcA(button, message, wParam, lParam);
}

}  // namespace ui::win32
