#pragma once
// Window layouts are drawn in twips (1/1440 inch); the window's dots per inch decide how many make
// a pixel: 15 at 96 dpi (100 %), 7.5 at 192 dpi (200 %).
#include <cstdint>

namespace ui {

// Rounds to the nearest whole number, halves to the even neighbour (2446.5 -> 2446).
int32_t RoundHalfEven(double value);

// A position or size in twips as pixels at the given dots per inch, for laying out windows and
// controls. A pixel of the 96-dpi design is 15 twips, so TwipsToPixels(15 * n, dpi) scales n.
int32_t TwipsToPixels(int32_t twips, int32_t dotsPerInch);

// The pixel size of a painting target: the rounded size in pixels, dropping the fraction (4635
// twips at 96 dpi -> 309).
int32_t PaintPixels(double size, int32_t dotsPerInch);

}  // namespace ui
