#include "ui/Countdown.h"

#include <algorithm>
#include <cstdlib>

#include "run/InstallerState.h"

namespace ui {
namespace {

// The caption read as a number the way a user-typed field would be: leading digits count,
// anything else reads as 0.
long CaptionNumber(const std::string& caption) {
  return std::strtol(caption.c_str(), nullptr, 10);
}

}  // namespace

CountdownStep CountdownTick(CountdownLabels& labels, bool held) {
  const long n = CaptionNumber(labels.counter);
  if (n <= 0) return held ? CountdownStep::Continue : CountdownStep::End;
  labels.counter = run::DecimalText(n - 1);
  const long shown = CaptionNumber(labels.counter);
  if (shown < 10) labels.unitLeft = 3000;
  if (shown == 1) labels.unit = "second.)";
  if (shown == 0) labels.unit = "seconds.)";
  return CountdownStep::Continue;
}

CountdownLayout LayOutCountdown(int32_t textWidth, int32_t counterWidth, int32_t unitWidth,
                                int32_t lineHeight) {
  constexpr int32_t kLeft = 120, kCounterLeft = 2880, kUnitLeft = 3120;
  constexpr int32_t kRight = 4325;       // the inner border line stands at 4340
  constexpr int32_t kBandTop = 1455;     // below the outcome text and the button
  constexpr int32_t kBandBottom = 1905;  // the inner bottom border
  constexpr int32_t kGap = 30;           // as designed: the text ends 2 pixels before the counter
  constexpr int32_t kSlack = 15;         // one pixel, against rounding
  CountdownLayout layout;
  if (textWidth + kLeft + kGap <= kCounterLeft && counterWidth <= 255 && unitWidth <= 735 &&
      lineHeight <= 255)
    return layout;
  layout.textWidth = std::max(layout.textWidth, textWidth + kSlack);
  layout.unitWidth = std::max(layout.unitWidth, unitWidth + kSlack);
  layout.height = std::max(layout.height, lineHeight + kSlack);
  layout.shift = std::max(0, kLeft + textWidth + kGap - kCounterLeft);
  if (kUnitLeft + layout.shift + layout.unitWidth <= kRight && layout.height <= kBandBottom - 1560)
    return layout;
  // Two lines, the second as low as the border allows.
  layout.textWidth = std::min(layout.textWidth, kRight - kLeft);
  layout.height = std::min(layout.height, (kBandBottom - kBandTop) / 2);
  layout.numberTop = kBandBottom - layout.height;
  layout.textTop = layout.numberTop - layout.height;
  layout.shift = kLeft - kCounterLeft;
  return layout;
}

}  // namespace ui
