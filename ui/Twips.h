#pragma once
// Window layouts are drawn in twips (1/1440 inch); the screen decides how many make a pixel.
#include <cstdint>

namespace ui {

// Rounds to the nearest whole number, halves to the even neighbour (2446.5 -> 2446).
int32_t RoundHalfEven(double value);

// Twips per pixel of a screen with the given dots per inch (15 at 96 dpi), never below 1.
int32_t TwipsPerPixel(int32_t dotsPerInch);

// A position or size in twips as pixels, for laying out windows and controls.
int32_t TwipsToPixels(int32_t twips, int32_t twipsPerPixel);

// The pixel size of a painting target: the rounded size divided by the rounded twips per pixel,
// dropping the remainder (4635 twips at 15 twips per pixel -> 309).
int32_t PaintPixels(double size, double twipsPerPixel);

}  // namespace ui
