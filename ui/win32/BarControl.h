#pragma once
// The progress bar as a child window: ui::VistaProg decides where its pictures lie, this draws
// them. A press on it does nothing (it is not one of the surfaces that drag the window).
#include <windows.h>

#include "ui/VistaProg.h"

namespace ui::win32 {

class BarControl {
 public:
  BarControl() = default;
  BarControl(const BarControl&) = delete;
  BarControl& operator=(const BarControl&) = delete;

  // Makes the control (its size in twips) on the parent; it loads with no stored properties.
  bool Create(HWND parent, int width, int height);
  // Puts it at a place in twips on the parent, drawn at `dpi`.
  void Place(int left, int top, int dpi);

  int32_t Value() const { return bar_.Value(); }
  void SetValue(int32_t value);  // clamped by the bar, drawn at once
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  int Px(int twips) const;

  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  VistaProg bar_;
};

}  // namespace ui::win32
