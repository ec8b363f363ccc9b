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

// Where the three labels stand, in twips. The designed places (text 120, 1560, 2775 wide; counter
// at 2880; unit at unitLeft, 735 wide; all 255 high) hold the line in MS Sans Serif 8pt. Tahoma
// 8pt, the dialog face of Windows XP and later, and Wine's substitutes draw it wider.
struct CountdownLayout {
  int32_t textWidth = 2775;
  int32_t textTop = 1560;
  int32_t numberTop = 1560;  // of the counter and the unit
  int32_t shift = 0;         // added to the counter's left (2880) and to unitLeft
  int32_t unitWidth = 735;
  int32_t height = 255;
};

// From the widths the texts take in the labels' font (the text, the widest counter, the widest
// unit) and its line height, all in twips: the designed places while the texts fit them; else
// the counter and unit move right along the line; when the window is too narrow for that, the
// counter and unit take a second line in the free band under the outcome text and the button.
CountdownLayout LayOutCountdown(int32_t textWidth, int32_t counterWidth, int32_t unitWidth,
                                int32_t lineHeight);

// One tick: End when the counter already reads 0 (unless the end is held back, when the tick
// does nothing), otherwise counts down and moves or renames the unit label.
CountdownStep CountdownTick(CountdownLabels& labels, bool held = false);

}  // namespace ui
