#include "ui/win32/Translucency.h"

#include "platform/Edition.h"
#include "ui/WirelessServiceStep.h"

namespace ui::win32 {

int32_t SetTranslucency(HWND hWnd, int16_t& Alpha) {
  if (Alpha < 0 || Alpha > 255) return 1;
  bool failed = false;

  SetLastError(0);
  LONG style = GetWindowLongA(hWnd, GWL_EXSTYLE);
  if (style == 0 && GetLastError() != 0) failed = true;

  SetLastError(0);
  if (SetWindowLongA(hWnd, GWL_EXSTYLE, style | WS_EX_LAYERED) == 0 && GetLastError() != 0)
    failed = true;

  // Windows 95, 98 and ME have no layered windows: looked up, not imported.
  using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  const auto setLayered = reinterpret_cast<SetLayered>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes")));
  if (!setLayered || !setLayered(hWnd, 0, static_cast<BYTE>(Alpha), LWA_ALPHA)) failed = true;
  return failed ? 2 : 0;
}

void StartWindowDrag(HWND window) {
  ReleaseCapture();
  SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

// Where the cursor was when the message being handled was posted. A busy program handles its mouse
// messages late: the cursor may have moved on (or the button come up) since.
static POINT MessageCursor() {
  const DWORD position = GetMessagePos();
  return {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
}

void ButtonDrag::Start(HWND window, WPARAM button) {
  RECT frame;
  if (!GetWindowRect(window, &frame)) return;
  cursorStart_ = MessageCursor();
  windowStart_ = {frame.left, frame.top};
  button_ = button;
  SetCapture(window);
}

void ButtonDrag::FollowCursor(HWND window) const {
  const POINT cursor = MessageCursor();
  SetWindowPos(window, nullptr, windowStart_.x + cursor.x - cursorStart_.x,
               windowStart_.y + cursor.y - cursorStart_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ButtonDrag::OnMouse(HWND window, UINT message, WPARAM keys) {
  if (!button_) return false;
  switch (message) {
    case WM_MOUSEMOVE:
      if (!(keys & button_)) break;
      FollowCursor(window);
      return true;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      // The release point ends the drag, also when the last move before it was merged away.
      FollowCursor(window);
      break;
    case WM_CAPTURECHANGED:
      break;
    default:
      return false;
  }
  button_ = 0;
  if (message != WM_CAPTURECHANGED && GetCapture() == window) ReleaseCapture();
  return true;
}

void ApplyEditionTranslucency(HWND window) {
  if (!UsesTranslucency(platform::DetectPlatformKey())) return;
  int16_t alpha = 240;
  SetTranslucency(window, alpha);
}

}  // namespace ui::win32
