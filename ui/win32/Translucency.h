#pragma once
// The borderless windows' stand-ins for a frame: constant opacity and dragging by any surface.
#include <windows.h>

#include <cstdint>

namespace ui::win32 {

// 0 applied, 1 Alpha outside 0 ... 255 (nothing changed), 2 a call failed or is missing.
int32_t SetTranslucency(HWND hWnd, int16_t& Alpha);

// Hands a mouse press to the window system as a press on a title bar: the window follows the
// mouse until the button is released.
void StartWindowDrag(HWND window);

// A drag with the right or middle button. The title-bar press that StartWindowDrag hands over
// is a left-button press: the window system's move loop ends only on a left-button release, so
// after a right-button drag the window would go on following the mouse. These presses move the
// window while their button is held, with the mouse captured.
class ButtonDrag {
 public:
  void Start(HWND window, WPARAM button);  // MK_RBUTTON or MK_MBUTTON
  // Mouse messages of the window; true when the drag used the message.
  bool OnMouse(HWND window, UINT message, WPARAM keys);

 private:
  void FollowCursor(HWND window) const;
  WPARAM button_ = 0;
  POINT cursorStart_ = {};
  POINT windowStart_ = {};
};

// 240/255 opacity on Windows 2000 and later; older editions stay opaque.
void ApplyEditionTranslucency(HWND window);

}  // namespace ui::win32
