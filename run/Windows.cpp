#include "run/Windows.h"

#include <utility>

namespace run {
namespace {
Windows* current = nullptr;

// Stands for `wait` where no window may appear; the run reads back the bar's value.
class NoProgressWindow final : public ProgressWindow {
 public:
  void SetProgress(int value) override { value_ = value; }
  int Progress() const override { return value_; }
  void SetStatusText(const std::string&) override {}
  void StopTimer() override {}
  void SetVisible(bool) override {}
  bool IsVisible() const override { return false; }
  uintptr_t Handle() const override { return 0; }

 private:
  int value_ = 1;
};

// Stands for `Finish`: "shown" once the outcome is known, so the run ends right after it.
class NoFinishWindow final : public FinishWindow {
 public:
  bool loaded = false;
  void SetOutcome(const std::string&, const std::string&) override { loaded = true; }
  void ShowAndFocus() override { shown_ = true; }
  bool IsVisibleAndEnabled() const override { return shown_; }
  void Unload() override {}
  void HoldCountdown(bool) override {}
  uintptr_t Handle() const override { return 0; }

 private:
  bool shown_ = false;
};

class Unattended final : public Windows {
 public:
  Unattended(Windows& real, bool quiet, Unattended* earlier)
      : earlier_(earlier), real_(real), quiet_(quiet) {}
  ProgressWindow& Wait() override { return quiet_ ? noWait_ : real_.Wait(); }
  FinishWindow& Finish() override { return noFinish_; }
  bool IsWaitLoaded() const override { return quiet_ || real_.IsWaitLoaded(); }
  bool IsFinishLoaded() const override { return noFinish_.loaded; }
  uintptr_t LoadTempForm() override { return quiet_ ? 0 : real_.LoadTempForm(); }
  void UnloadTempForm() override {
    if (!quiet_) real_.UnloadTempForm();
  }

 private:
  // Never read: it keeps the windows this one replaced reachable, for a run's windows outlive them.
  [[maybe_unused]] Unattended* earlier_;
  Windows& real_;
  bool quiet_;
  NoProgressWindow noWait_;
  NoFinishWindow noFinish_;
};

}  // namespace

Windows& Ui() {
  return *current;
}
Windows* SetUi(Windows* windows) {
  return std::exchange(current, windows);
}
void ShowWaitWindow() {
  Ui().Wait().SetVisible(true);
}

Windows& UnattendedWindows(Windows& real, bool quiet) {
  static Unattended* latest = nullptr;
  latest = new Unattended(real, quiet, latest);
  return *latest;
}

}  // namespace run
