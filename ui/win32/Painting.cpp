#include "ui/win32/Painting.h"

#include <algorithm>
#include <vector>

#include "os/win32/Handles.h"
#include "ui/Twips.h"

namespace ui::win32 {
namespace {

// 32-bit pixels, first row at the top.
BITMAPINFO TopDownPixels(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

using GradientFillFunction = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

bool ownInterpolation = false;

// msimg32 is not linked statically: Windows 95 and NT 4 lack it, and it is loaded from the
// system folder only, never from the temporary folder the program runs in.
GradientFillFunction SystemGradientFill() {
  static GradientFillFunction function = [] {
    HMODULE library = os::win32::LoadSystemLibrary("msimg32.dll");
    return library ? reinterpret_cast<GradientFillFunction>(
                         reinterpret_cast<void*>(GetProcAddress(library, "GradientFill")))
                   : nullptr;
  }();
  return function;
}

// Colours each pixel of the two triangles itself and copies the result in one go.
void InterpolateGradient(HDC dc, const GradientVertices& v) {
  const int left = v[0].x, right = v[1].x, bottom = v[2].y;
  const int width = right - left, height = bottom;
  if (width <= 0 || height <= 0) return;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  GradientVertices local = v;
  for (GradientVertex& vertex : local) vertex.x -= left;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t bgr = GradientColourAt(local, x, y);
      // A 32-bit DIB pixel is 0x00RRGGBB.
      pixels[static_cast<size_t>(y) * width + x] =
          (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
    }
  }
  BITMAPINFO info = TopDownPixels(width, height);
  SetDIBitsToDevice(dc, left, 0, width, height, 0, 0, 0, height, pixels.data(), &info,
                    DIB_RGB_COLORS);
}

void FillGradient(HDC dc, int left, int width, int height, const Gradient& colours) {
  const GradientVertices vertices = GradientCorners(left, width, height, colours);
  GradientFillFunction fill = ownInterpolation ? nullptr : SystemGradientFill();
  if (fill) {
    static_assert(sizeof(GradientVertex) == sizeof(TRIVERTEX));
    TRIVERTEX records[4];
    static_assert(sizeof records == sizeof vertices);
    CopyMemory(records, vertices.data(), sizeof records);
    GRADIENT_TRIANGLE triangles[2];
    CopyMemory(triangles, kGradientTriangles, sizeof triangles);
    if (fill(dc, records, 4, triangles, 2, GRADIENT_FILL_TRIANGLE)) return;
  }
  InterpolateGradient(dc, vertices);
}

void ClearToBackColour(HDC dc, int width, int height) {
  HBRUSH brush = CreateSolidBrush(kBackColour);
  RECT all = {0, 0, width, height};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
}

// 5 x 7 letters for the picture at the strip's left end.
struct Glyph {
  char letter;
  const char* rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'N', {"10001", "11001", "10101", "10011", "10001", "10001", "10001"}},
    {'O', {"01110", "10001", "10001", "10001", "10001", "10001", "01110"}},
    {'R', {"11110", "10001", "10001", "11110", "10100", "10010", "10001"}},
    {'V', {"10001", "10001", "10001", "10001", "10001", "01010", "00100"}},
    {'A', {"01110", "10001", "10001", "11111", "10001", "10001", "10001"}},
    {'E', {"11111", "10000", "10000", "11110", "10000", "10000", "11111"}},
};

}  // namespace

HFONT DialogFont() {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void PrintText(HDC DestDC, int x, int y, const std::string& Text) {
  MoveToEx(DestDC, x, y, nullptr);
  TextOutA(DestDC, x, y, Text.c_str(), static_cast<int>(Text.size()));
}

void UseOwnGradientInterpolation(bool own) {
  ownInterpolation = own;
}

void PaintWindowGradient(HDC dc, int width, int height, const Gradient& colours) {
  ClearToBackColour(dc, width, height);
  FillGradient(dc, 0, width, height, colours);
}

RECT PaintTitleStrip(HDC dc, int width, int height, const Gradient& colours,
                     const std::string& title, int dpi) {
  ClearToBackColour(dc, width, height);
  FillGradient(dc, TwipsToPixels(40 * 15, dpi), width, height, colours);

  LOGFONTA face = {};
  GetObjectA(DialogFont(), sizeof face, &face);
  face.lfHeight = -MulDiv(8, dpi, 72);
  face.lfWidth = 0;
  HFONT font = CreateFontIndirectA(&face);
  const int x = TwipsToPixels(65 * 15, dpi), y = TwipsToPixels(2 * 15, dpi);
  SIZE size = {};
  {
    ScopedSelect selected(dc, font ? font : DialogFont());
    SetTextColor(dc, kWhite);
    SetBkMode(dc, TRANSPARENT);
    PrintText(dc, x, y, title);
    GetTextExtentPoint32A(dc, title.c_str(), static_cast<int>(title.size()), &size);
  }
  if (font) DeleteObject(font);
  return {x, y, x + size.cx, y + size.cy};
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2, int width, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  const RECT line = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + width,
                     std::max(y1, y2) + width};
  FillRect(dc, &line, brush);
  DeleteObject(brush);
}

namespace {

constexpr int kStripPictureWidth = 54;
constexpr int kStripPictureHeight = 11;

HBITMAP StripPicture() {
  static HBITMAP picture = [] {
    BITMAPINFO info = TopDownPixels(kStripPictureWidth, kStripPictureHeight);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    auto* pixels = static_cast<uint32_t*>(bits);
    const uint32_t back = 0x2677D9, shade = 0x1B5FB8, ink = 0xFFFFFF;
    for (int y = 0; y < kStripPictureHeight; ++y)
      for (int x = 0; x < kStripPictureWidth; ++x)
        pixels[y * kStripPictureWidth + x] =
            (y == 0 || y == kStripPictureHeight - 1 || x == 0 || x == kStripPictureWidth - 1)
                ? shade
                : back;
    const char* word = "NORVANE";
    for (int letter = 0; word[letter]; ++letter) {
      for (const Glyph& glyph : kGlyphs) {
        if (glyph.letter != word[letter]) continue;
        for (int row = 0; row < 7; ++row)
          for (int column = 0; column < 5; ++column)
            if (glyph.rows[row][column] == '1')
              pixels[(2 + row) * kStripPictureWidth + 6 + letter * 6 + column] = ink;
      }
    }
    GdiFlush();
    return bitmap;
  }();
  return picture;
}

}  // namespace

RECT DrawStripPicture(HDC dc, int x, int y, int dpi) {
  const RECT drawn = {x, y, x + TwipsToPixels(kStripPictureWidth * 15, dpi),
                      y + TwipsToPixels(kStripPictureHeight * 15, dpi)};
  HDC picture = CreateCompatibleDC(dc);
  {
    ScopedSelect selected(picture, StripPicture());
    // Halftone averages the picture's pixels over each pixel drawn, where plain stretching would
    // double some of its one-pixel strokes and not others at 150 %.
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, x, y, drawn.right - x, drawn.bottom - y, picture, 0, 0, kStripPictureWidth,
               kStripPictureHeight, SRCCOPY);
  }
  DeleteDC(picture);
  return drawn;
}

HICON ProductIcon(int size) {
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1),
                                             IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  return icon ? icon : LoadIconA(nullptr, MAKEINTRESOURCEA(32512) /* IDI_APPLICATION */);
}

OffscreenCanvas::OffscreenCanvas(HDC like, int width, int height)
    : dc_(CreateCompatibleDC(like)),
      bitmap_(CreateCompatibleBitmap(like, width > 0 ? width : 1, height > 0 ? height : 1)),
      old_(SelectObject(dc_, bitmap_)) {}

OffscreenCanvas::~OffscreenCanvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

}  // namespace ui::win32
