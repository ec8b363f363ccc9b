#include "ui/win32/BarControl.h"

#include "ui/Twips.h"
#include "ui/win32/Painting.h"
#include "ui/win32/WindowClass.h"

namespace ui::win32 {
namespace {

constexpr char kClassName[] = "VistaProg";

// Stretches a 2 x 15 picture over a piece of the control.
void DrawPicture(HDC dc, const Picture& picture, int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return;
  uint32_t pixels[kPictureRows * 2];
  for (int row = 0; row < kPictureRows; ++row) {
    pixels[row * 2] = picture.left[row];  // 0x00RRGGBB, as a 32-bit DIB pixel is laid out
    pixels[row * 2 + 1] = picture.right[row];
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = -kPictureRows;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // Draw the top-down picture through a memory bitmap: StretchDIBits mirrors top-down sources
  // on some drivers.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, kPictureRows);
  {
    ScopedSelect selected(memory, bitmap);
    SetDIBitsToDevice(memory, 0, 0, 2, kPictureRows, 0, 0, 0, kPictureRows, pixels, &info,
                      DIB_RGB_COLORS);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, width, height, memory, 0, 0, 2, kPictureRows, SRCCOPY);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
}

}  // namespace

int BarControl::Px(int twips) const {
  return TwipsToPixels(twips, dpi_);
}

bool BarControl::Create(HWND parent, int width, int height) {
  RegisterWindowClassOnce(kClassName, Procedure);
  // The form stores no property of its bar, so reading them gives the defaults: the same calls
  // as InitProperties, without the property bag's map and number reader in the program.
  bar_.InitProperties();
  bar_.Resize(width, height);
  hwnd_ = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                          GetModuleHandleA(nullptr), this);
  return hwnd_ != nullptr;
}

void BarControl::Place(int left, int top, int dpi) {
  dpi_ = dpi;
  const BarLayout& layout = bar_.Layout();
  SetWindowPos(hwnd_, nullptr, Px(left), Px(top), Px(layout.width), Px(layout.height),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void BarControl::SetValue(int32_t value) {
  bar_.SetValue(value);
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void BarControl::Paint(HDC target) {
  RECT client;
  GetClientRect(hwnd_, &client);
  OffscreenCanvas canvas(target, client.right, client.bottom);
  HDC dc = canvas.dc();
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

  // Bottom to top: the track (below the visible band, so it never shows), the bar, the caps.
  const BarLayout& layout = bar_.Layout();
  const struct {
    const Piece& piece;
    Picture picture;
  } pieces[] = {
      {layout.barBack, TrackPicture()},
      {layout.barMain, BarPicture()},
      {layout.barRight, RightCapPicture(layout.rightCap)},
      {layout.barLeft, LeftCapPicture(layout.leftCap)},
  };
  for (const auto& [piece, picture] : pieces)
    DrawPicture(dc, picture, Px(piece.left), Px(piece.top), Px(piece.width), Px(piece.height));
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

LRESULT CALLBACK BarControl::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<BarControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<BarControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (self) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        self->Paint(dc);
        EndPaint(window, &paint);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      if (self) self->hwnd_ = nullptr;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace ui::win32
