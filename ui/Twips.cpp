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

int32_t TwipsToPixels(int32_t twips, int32_t dotsPerInch) {
  return RoundHalfEven(static_cast<double>(twips) * dotsPerInch / 1440);
}

int32_t PaintPixels(double size, int32_t dotsPerInch) {
  return static_cast<int32_t>(static_cast<int64_t>(RoundHalfEven(size)) * dotsPerInch / 1440);
}

}  // namespace ui
