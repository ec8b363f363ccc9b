#pragma once
// Drawing shared by the installer's windows: the gradient background, the title strip with its
// text, the border lines and the little picture at the strip's left end.
#include <windows.h>

#include <string>

#include "ui/Painting.h"

namespace ui::win32 {

// The dialog font every label and button uses; child controls would start with the system font.
HFONT DialogFont();

// Draws text at (x, y) with the DC's font and text colour, leaving the background as it is.
void PrintText(HDC DestDC, int x, int y, const std::string& Text);

// Clears a width x height target to the windows' back colour and paints the gradient over it.
void PaintWindowGradient(HDC dc, int width, int height, const Gradient& colours);
// The same for a title strip: the left 40 pixels keep the back colour; then the white 8-point
// title at (65, 2). Pixels of the 96-dpi design, scaled to `dpi`. Answers where the title went.
RECT PaintTitleStrip(HDC dc, int width, int height, const Gradient& colours,
                     const std::string& title, int dpi);

// Where msimg32's GradientFill cannot be had, the gradient is interpolated here; the tests ask
// for that path on purpose.
void UseOwnGradientInterpolation(bool own);

// A level or upright line from (x1, y1) to (x2, y2), both ends drawn, `width` pixels wide to the
// right of or below it.
void DrawLine(HDC dc, int x1, int y1, int x2, int y2, int width, COLORREF colour);

// The 54 x 11 picture at the title strip's left end, drawn at (x, y) at the size `dpi` gives it.
// Answers where it went.
RECT DrawStripPicture(HDC dc, int x, int y, int dpi);

// The product icon (resource 1) at the given size; the system's application icon when the
// running program carries none.
HICON ProductIcon(int size);

// Selects an object into a DC and puts the old one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelect() { SelectObject(dc_, old_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory DC with a screen-compatible bitmap of the given size selected into it.
class OffscreenCanvas {
 public:
  OffscreenCanvas(HDC like, int width, int height);
  ~OffscreenCanvas();
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

}  // namespace ui::win32
