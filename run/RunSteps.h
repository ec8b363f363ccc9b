#pragma once
// The steps of the installation run that the floors below it set off: the progress window's timer
// extracts and installs, and every way out merges the set-aside driver installer log back. The run
// hands them over before its window loads; the windows and the clean-up never include the run.
#include <cstdint>

namespace run {

struct RunSteps {
  void (*ExtractPayloads)(int16_t& counter) = nullptr;
  void (*RunInstallation)() = nullptr;
  void (*MergeBackInstallLog)() = nullptr;  // before the work folder goes
};

RunSteps& Steps();

}  // namespace run
