#pragma once
// The two windows of the installation run as the run's logic sees them. The Win32 windows live in
// ui/; tests put their own in place with SetUi.
#include <cstdint>
#include <string>

namespace run {

// The progress window `wait`.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void SetProgress(int value) = 0;  // the bar's Value; the bar clamps it
  virtual int Progress() const = 0;
  virtual void SetStatusText(const std::string& text) = 0;  // Label1's caption
  virtual void StopTimer() = 0;                             // Timer1: Interval 0, Enabled false
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsVisible() const = 0;
  virtual uintptr_t Handle() const = 0;
};

// The finish window `Finish`.
class FinishWindow {
 public:
  virtual ~FinishWindow() = default;
  // Sets the outcome text (Label) and the window caption; the first text set loads the window
  // and starts its countdown.
  virtual void SetOutcome(const std::string& label, const std::string& caption) = 0;
  virtual void ShowAndFocus() = 0;  // shown without being modal, then given the focus
  virtual bool IsVisibleAndEnabled() const = 0;
  virtual void Unload() = 0;
  // While held, the countdown does not end the run: a message box the window owns is open and
  // would vanish unread with the process. The first tick after the release may end it.
  virtual void HoldCountdown(bool held) = 0;
  virtual uintptr_t Handle() const = 0;
};

class Windows {
 public:
  virtual ~Windows() = default;
  virtual ProgressWindow& Wait() = 0;  // loads `wait` on first use
  virtual FinishWindow& Finish() = 0;  // loads `Finish` on first use
  virtual bool IsWaitLoaded() const = 0;
  virtual bool IsFinishLoaded() const = 0;
  // The relaunch form `temp`: loaded but never shown, owner of the installation run it starts.
  virtual uintptr_t LoadTempForm() = 0;
  virtual void UnloadTempForm() = 0;
};

Windows& Ui();
Windows* SetUi(Windows* windows);  // returns the one it replaces

// The windows of a run nobody watches: the finish window is never shown (its outcome goes to the
// log), and with `quiet` neither is the progress window nor the relaunch form. Keeps `real`.
Windows& UnattendedWindows(Windows& real, bool quiet);

// Main's installation run: shows `wait` without owner and without being modal.
void ShowWaitWindow();

}  // namespace run
