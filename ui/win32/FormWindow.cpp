#include "ui/win32/FormWindow.h"

#include "run/CloseDown.h"
#include "ui/Twips.h"
#include "ui/win32/Painting.h"
#include "ui/win32/Translucency.h"
#include "ui/win32/WindowClass.h"

namespace ui::win32 {

void FormTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Apply();
}

void FormTimer::SetInterval(uint32_t milliseconds) {
  interval_ = milliseconds;
  Apply();
}

void FormTimer::Apply() {
  if (!owner_) return;
  if (enabled_ && interval_ > 0)
    SetTimer(owner_, id_, interval_, nullptr);
  else
    KillTimer(owner_, id_);
}

namespace {

// Sent from Windows 8.1 on; the headers name it only for programs that target Windows 7 and later.
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED

// The dpi the system's metrics and stock objects are made for (96 to a program that Windows
// scales as a bitmap).
int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

FormWindow::~FormWindow() {
  Destroy();
}

int FormWindow::Px(int twips) const {
  return TwipsToPixels(twips, dpi_);
}

bool FormWindow::Create(const std::string& caption) {
  RegisterWindowClassOnce(design_.className, Procedure, ProductIcon(GetSystemMetrics(SM_CXICON)),
                          ProductIcon(GetSystemMetrics(SM_CXSMICON)));
  hwnd_ = CreateWindowExA(design_.exStyle, design_.className, caption.c_str(), WS_POPUP, 0, 0, 0, 0,
                          nullptr, nullptr, GetModuleHandleA(nullptr), this);
  return hwnd_ != nullptr;
}

// Windows 10 1607 and later tell each window the dpi of the monitor it is on; Windows before
// that has one dpi for all, the system's. Looked up, not imported, as older Windows lacks it.
int FormWindow::CurrentDpi() const {
  using GetDpiForWindow = UINT(WINAPI*)(HWND);
  const auto windowDpi = reinterpret_cast<GetDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  const int dpi = windowDpi ? static_cast<int>(windowDpi(hwnd_)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

void FormWindow::ApplyDpi(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  // The stock dialog font is made for the system's dpi: on a monitor of another scale the
  // window takes the same face at its own height.
  HFONT old = font_;
  font_ = DialogFont();
  const int system = SystemDpi();
  if (dpi != system) {
    LOGFONTA face = {};
    GetObjectA(font_, sizeof face, &face);
    face.lfHeight = MulDiv(face.lfHeight, dpi, system);
    face.lfWidth = 0;
    if (HFONT scaled = CreateFontIndirectA(&face)) font_ = scaled;
  }
  int width = Px(design_.clientWidth), height = Px(design_.clientHeight);
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  if (suggested) {
    left = suggested->left, top = suggested->top;
    width = suggested->right - left, height = suggested->bottom - top;
  }
  SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut();
  // Deleting a stock object does nothing, so the system's font may pass here too.
  if (old) DeleteObject(old);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void FormWindow::Destroy() {
  if (!hwnd_) return;
  HWND window = hwnd_;
  hwnd_ = nullptr;
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  if (font_) DeleteObject(font_);
  font_ = nullptr;
}

HWND FormWindow::AddLabel(const std::string& text, DWORD align) {
  // No SS_NOTIFY: the label then lets presses through to the window (HTTRANSPARENT).
  return CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | align, 0, 0, 0, 0,
                         hwnd_, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void FormWindow::Place(HWND control, int left, int top, int width, int height) {
  SetWindowPos(control, nullptr, Px(left), Px(top), Px(width), Px(height),
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void FormWindow::SetLabelText(HWND label, const std::string& text) {
  RECT area;
  GetWindowRect(label, &area);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&area), 2);
  SetWindowTextA(label, text.c_str());
  RedrawWindow(hwnd_, &area, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void FormWindow::MoveLabel(HWND label, int leftTwips, int topTwips) {
  RECT before;
  GetWindowRect(label, &before);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&before), 2);
  SetWindowPos(label, nullptr, Px(leftTwips), Px(topTwips), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(hwnd_, &before, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void FormWindow::OnResize() {
  ApplyEditionTranslucency(hwnd_);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

RECT FormWindow::PaintStripPictures(HDC strip) {
  return DrawStripPicture(strip, Px(30), Px(30), dpi_);
}

void FormWindow::Paint(HDC target) {
  RECT client;
  GetClientRect(hwnd_, &client);
  OffscreenCanvas canvas(target, client.right, client.bottom);
  HDC dc = canvas.dc();
  PaintWindowGradient(dc, client.right, client.bottom, kWindowGradient);

  const RECT& s = design_.strip;
  const int stripLeft = Px(s.left), stripTop = Px(s.top);
  const int stripWidth = PaintPixels(s.right, dpi_);
  const int stripHeight = PaintPixels(s.bottom, dpi_);
  {
    OffscreenCanvas strip(target, stripWidth, stripHeight);
    paintedTitle_ = PaintTitleStrip(strip.dc(), stripWidth, stripHeight, kStripGradient,
                                    design_.stripTitle, dpi_);
    paintedPictures_ = PaintStripPictures(strip.dc());
    for (RECT* painted : {&paintedTitle_, &paintedPictures_}) {
      painted->left += stripLeft, painted->right += stripLeft;
      painted->top += stripTop, painted->bottom += stripTop;
    }
    BitBlt(dc, stripLeft, stripTop, stripWidth, stripHeight, strip.dc(), 0, 0, SRCCOPY);
  }

  for (size_t i = 0; i < design_.lineCount; ++i) {
    const BorderLine& line = design_.lines[i];
    const COLORREF colour =
        line.colour == kWindowText ? GetSysColor(COLOR_WINDOWTEXT) : line.colour;
    // One pixel wide at 100 %, as wide as the scale at others.
    DrawLine(dc, Px(line.x1), Px(line.y1), Px(line.x2), Px(line.y2), Px(15), colour);
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

LRESULT FormWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (Handle(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      Paint(dc);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_SIZE:
      OnResize();
      return 0;
    case kDpiChanged:
      // Moved to a monitor of another scale: Windows suggests the rectangle for the new dpi.
      ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_LBUTTONDOWN:
      StartWindowDrag(hwnd_);
      return 0;
    case WM_RBUTTONDOWN:
      buttonDrag_.Start(hwnd_, MK_RBUTTON);
      return 0;
    case WM_MBUTTONDOWN:
      buttonDrag_.Start(hwnd_, MK_MBUTTON);
      return 0;
    case WM_MOUSEMOVE:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_CAPTURECHANGED:
      if (buttonDrag_.OnMouse(hwnd_, message, wParam)) return 0;
      break;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  // Nothing unwinds into the window system: the program is built without exceptions outside the
  // cabinet code, and CabFile::Extract turns every failure of its own into a message and the end.
  return self->Dispatch(message, wParam, lParam);
}

}  // namespace ui::win32
