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

// 240/255 opacity on Windows 2000 and later; older editions stay opaque.
void ApplyEditionTranslucency(HWND window);

}  // namespace ui::win32
