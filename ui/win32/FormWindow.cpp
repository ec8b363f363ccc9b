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

FormWindow::~FormWindow() {
  Destroy();
}

int FormWindow::Px(int twips) const {
  return TwipsToPixels(twips, twipsPerPixelX_);
}

bool FormWindow::Create(const std::string& caption) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClassOnce(design_.className, Procedure, ProductIcon(GetSystemMetrics(SM_CXICON)),
                          ProductIcon(GetSystemMetrics(SM_CXSMICON)));

  HDC screen = GetDC(nullptr);
  twipsPerPixelX_ = TwipsPerPixel(GetDeviceCaps(screen, LOGPIXELSX));
  twipsPerPixelY_ = TwipsPerPixel(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);

  const int width = Px(design_.clientWidth);
  const int height = TwipsToPixels(design_.clientHeight, twipsPerPixelY_);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  hwnd_ = CreateWindowExA(design_.exStyle, design_.className, caption.c_str(), WS_POPUP, left, top,
                          width, height, nullptr, nullptr, instance, this);
  return hwnd_ != nullptr;
}

void FormWindow::Destroy() {
  if (!hwnd_) return;
  HWND window = hwnd_;
  hwnd_ = nullptr;
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

HWND FormWindow::AddLabel(int left, int top, int width, int height, const std::string& text,
                          DWORD align) {
  // No SS_NOTIFY: the label then lets presses through to the window (HTTRANSPARENT).
  HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | align, Px(left),
                               TwipsToPixels(top, twipsPerPixelY_), Px(width),
                               TwipsToPixels(height, twipsPerPixelY_), hwnd_, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
  return label;
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
  SetWindowPos(label, nullptr, Px(leftTwips), TwipsToPixels(topTwips, twipsPerPixelY_), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(hwnd_, &before, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void FormWindow::OnResize() {
  ApplyEditionTranslucency(hwnd_);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void FormWindow::Paint(HDC target) {
  RECT client;
  GetClientRect(hwnd_, &client);
  OffscreenCanvas canvas(target, client.right, client.bottom);
  HDC dc = canvas.dc();
  PaintWindowGradient(dc, client.right, client.bottom, kWindowGradient);

  const RECT& s = design_.strip;
  const int stripLeft = Px(s.left), stripTop = TwipsToPixels(s.top, twipsPerPixelY_);
  const int stripWidth = PaintPixels(s.right, twipsPerPixelX_);
  const int stripHeight = PaintPixels(s.bottom, twipsPerPixelY_);
  {
    OffscreenCanvas strip(target, stripWidth, stripHeight);
    PaintTitleStrip(strip.dc(), stripWidth, stripHeight, kStripGradient, design_.stripTitle);
    PaintStripPictures(strip.dc());
    BitBlt(dc, stripLeft, stripTop, stripWidth, stripHeight, strip.dc(), 0, 0, SRCCOPY);
  }

  for (size_t i = 0; i < design_.lineCount; ++i) {
    const BorderLine& line = design_.lines[i];
    const COLORREF colour =
        line.colour == kWindowText ? GetSysColor(COLOR_WINDOWTEXT) : line.colour;
    DrawLine(dc, Px(line.x1), TwipsToPixels(line.y1, twipsPerPixelY_), Px(line.x2),
             TwipsToPixels(line.y2, twipsPerPixelY_), colour);
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
