#pragma once
// The finish window `Finish`: shows the outcome, counts down from 14 and leads the run to its end.
#include "run/Windows.h"
#include "ui/Countdown.h"
#include "ui/win32/FormWindow.h"

namespace ui::win32 {

class FinishWindow final : public FormWindow, public run::FinishWindow {
 public:
  FinishWindow();
  ~FinishWindow() override;
  // Creates the window (hidden) and starts the countdown.
  bool Load();

  void SetOutcome(const std::string& label, const std::string& caption) override;
  void ShowAndFocus() override;
  bool IsVisibleAndEnabled() const override;
  void Unload() override;
  void HoldCountdown(bool held) override { held_ = held; }
  uintptr_t Handle() const override;

 private:
  bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnResize() override;
  void LayOut() override;
  RECT PaintStripPictures(HDC strip) override;
  void CountdownTick();
  void EndFinishWindow();
  void ShowWirelessServiceMessage();
  // A typed character on the window or its button; true when it was a closing key.
  bool ClosingKey(WPARAM character);
  static LRESULT CALLBACK ButtonProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

  HWND Label_ = nullptr;
  HWND CMDEnd_ = nullptr;
  HWND autoclosetext1_ = nullptr;
  HWND autoclosecounter_ = nullptr;
  HWND autoclosetext2_ = nullptr;
  WNDPROC buttonProcedure_ = nullptr;
  FormTimer Timer_{1};
  CountdownLabels countdown_;
  CountdownLayout countdownLayout_;
  bool ending_ = false;
  bool held_ = false;
  HICON icon_ = nullptr;
};

}  // namespace ui::win32
