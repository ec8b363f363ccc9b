#include "ui/Twips.h"

#include <cmath>

namespace ui {

int32_t RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  double rounded = floor;
  // An odd floor by its lowest bit: a 64-bit remainder would link the compiler's division routine.
  if (fraction > 0.5 || (fraction == 0.5 && (static_cast<int64_t>(floor) & 1) != 0)) rounded = floor + 1.0;
  return static_cast<int32_t>(rounded);
}

int32_t TwipsToPixels(int32_t twips, int32_t dotsPerInch) {
  return RoundHalfEven(static_cast<double>(twips) * dotsPerInch / 1440);
}

int32_t PaintPixels(double size, int32_t dotsPerInch) {
  // In doubles, exact at these magnitudes: a 64-bit quotient would link the compiler's division
  // routine. A product that 1440 does not divide lies at least 1/1440 from a whole number.
  return static_cast<int32_t>(std::trunc(static_cast<double>(RoundHalfEven(size)) * dotsPerInch / 1440));
}

}  // namespace ui
