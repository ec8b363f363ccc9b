#include "ui/Countdown.h"

#include <cstdlib>

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
  labels.counter = std::to_string(n - 1);
  const long shown = CaptionNumber(labels.counter);
  if (shown < 10) labels.unitLeft = 3000;
  if (shown == 1) labels.unit = "second.)";
  if (shown == 0) labels.unit = "seconds.)";
  return CountdownStep::Continue;
}

}  // namespace ui
