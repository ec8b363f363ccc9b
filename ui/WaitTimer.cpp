#include "ui/WaitTimer.h"

namespace ui {
namespace {

class TickGuard {
 public:
  explicit TickGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~TickGuard() { flag_ = false; }
  TickGuard(const TickGuard&) = delete;
  TickGuard& operator=(const TickGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void WaitTimer::Tick(WaitTickHost& host) {
  if (ticking_) return;
  TickGuard guard(ticking_);

  if (ProgressStep == 99) {
    ProgressStep = 1;
    return;
  }
  ++ProgressStep;
  host.SetBarValue(ProgressStep);

  if (ProgressStep == 45 && ExtractionStarted == run::kFalse) {
    int16_t counter = 45;
    host.ExtractPayloads(counter);
    ExtractionStarted = run::kTrue;
    host.SetTimerInterval(3);
    ProgressStep = static_cast<int16_t>(host.BarValue());
  }
  if (ProgressStep == 85 && ExtractionStarted == run::kTrue) {
    if (host.ConfigTextExists() || ++configLooks_ >= kConfigLooks) {
      host.RunInstallation();
      host.SetTimerInterval(1);
    }
  }
}

}  // namespace ui
