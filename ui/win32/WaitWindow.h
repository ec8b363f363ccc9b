#pragma once
// The progress window `wait`: its timer drives the installation run.
#include "run/Windows.h"
#include "ui/WaitTimer.h"
#include "ui/win32/BarControl.h"
#include "ui/win32/FormWindow.h"

namespace ui::win32 {

class WaitWindow final : public FormWindow, public run::ProgressWindow, private WaitTickHost {
 public:
  WaitWindow();
  ~WaitWindow() override;
  // Creates the window (hidden) and starts Timer1.
  bool Load();

  void SetProgress(int value) override;
  int Progress() const override;
  void SetStatusText(const std::string& text) override;
  void StopTimer() override;
  void SetVisible(bool visible) override;
  bool IsVisible() const override;
  uintptr_t Handle() const override;

 private:
  bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void LayOut() override;

  // The tick's view of the window and the run.
  void SetBarValue(int32_t value) override { progress_.SetValue(value); }
  int32_t BarValue() const override { return progress_.Value(); }
  void SetTimerInterval(uint32_t milliseconds) override { Timer1_.SetInterval(milliseconds); }
  void ExtractPayloads(int16_t& counter) override;
  bool ConfigTextExists() override;
  void RunInstallation() override;

  BarControl progress_;
  HWND Label1_ = nullptr;
  FormTimer Timer1_{1};
  WaitTimer ticks_;
};

}  // namespace ui::win32
