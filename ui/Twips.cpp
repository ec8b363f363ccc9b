#include "ui/Twips.h"

#include <cmath>

namespace ui {

int32_t RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  double rounded = floor;
  if (fraction > 0.5 || (fraction == 0.5 && static_cast<int64_t>(floor) % 2 != 0)) rounded = floor + 1.0;
  return static_cast<int32_t>(rounded);
}

int32_t TwipsPerPixel(int32_t dotsPerInch) {
  if (dotsPerInch <= 0) return 15;
  const int32_t perPixel = RoundHalfEven(1440.0 / dotsPerInch);
  return perPixel < 1 ? 1 : perPixel;
}

int32_t TwipsToPixels(int32_t twips, int32_t twipsPerPixel) {
  return RoundHalfEven(static_cast<double>(twips) / (twipsPerPixel < 1 ? 1 : twipsPerPixel));
}

int32_t PaintPixels(double size, double twipsPerPixel) {
  const int32_t perPixel = RoundHalfEven(twipsPerPixel);
  if (perPixel == 0) return 0;
  return RoundHalfEven(size) / perPixel;
}

}  // namespace ui
