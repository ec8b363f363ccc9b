#pragma once
// The finish window's countdown: three labels that read as one sentence, and the tick that
// counts them down once a second.
#include <cstdint>
#include <string>

namespace ui {

struct CountdownLabels {
  std::string counter = "14";      // autoclosecounter
  std::string unit = "seconds.)";  // autoclosetext2
  int32_t unitLeft = 3120;         // autoclosetext2's left, in twips
};

enum class CountdownStep { Continue, End };

// One tick: End when the counter already reads 0 (unless the end is held back, when the tick
// does nothing), otherwise counts down and moves or renames the unit label.
CountdownStep CountdownTick(CountdownLabels& labels, bool held = false);

}  // namespace ui
