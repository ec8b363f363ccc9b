#pragma once
// The progress window's timer: it animates the bar and drives the run. Each tick is a step of
// this state machine; the window and the run are reached through the host.
#include <cstdint>

#include "run/InstallerState.h"

namespace ui {

class WaitTickHost {
 public:
  virtual ~WaitTickHost() = default;
  virtual void SetBarValue(int32_t value) = 0;
  virtual int32_t BarValue() const = 0;
  virtual void SetTimerInterval(uint32_t milliseconds) = 0;
  virtual void ExtractPayloads(int16_t& counter) = 0;
  virtual bool ConfigTextExists() = 0;
  virtual void RunInstallation() = 0;
};

class WaitTimer {
 public:
  // One timer event. A tick that arrives while an earlier one is still inside the extraction or
  // the installation (a message box there pumps messages, and the timer fires on) does nothing:
  // it would move the bar under the running step and could start that step a second time.
  void Tick(WaitTickHost& host);

  int16_t ProgressStep = 0;
  run::Flag ExtractionStarted = run::kFalse;

  // Passes of 85 that find no config.txt before the installation runs all the same and reports
  // the missing configuration: the file is written by this process, so it is not going to come,
  // and the window would otherwise cycle for ever with the relauncher waiting behind it.
  static constexpr int kConfigLooks = 10;

 private:
  bool ticking_ = false;
  int configLooks_ = 0;
};

}  // namespace ui
