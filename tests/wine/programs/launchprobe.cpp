// Runs ShellRunAndWait against real processes for the Wine tests.
//   launchprobe run FILE PARAMETERS SHOW VISIBLE   prints "result R ms T visible V hides H"
//                                                  (VISIBLE: the progress window's state before)
//   launchprobe sleep MS                           a child that lives that long
//   launchprobe size                               the size of the shell's request record
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ProcessLaunch.h"
#include "run/Windows.h"
#include "os/win32/Backends.h"

namespace {

class RecordingWindows final : public run::Windows {
 public:
  class Bar final : public run::ProgressWindow {
   public:
    bool visible = false;
    int hides = 0;
    void SetProgress(int) override {}
    int Progress() const override { return 0; }
    void SetStatusText(const std::string&) override {}
    void StopTimer() override {}
    void SetVisible(bool value) override {
      if (!value) ++hides;
      visible = value;
    }
    bool IsVisible() const override { return visible; }
    uintptr_t Handle() const override { return 0; }
  } bar;

  run::ProgressWindow& Wait() override { return bar; }
  run::FinishWindow& Finish() override { std::abort(); }
  bool IsWaitLoaded() const override { return true; }
  bool IsFinishLoaded() const override { return false; }
  uintptr_t LoadTempForm() override { return 0; }
  void UnloadTempForm() override {}
};

}  // namespace

int main(int argc, char** argv) {
  os::SetOs(os::win32::Win32Platform());
  if (argc < 2) return 2;
  const std::string command = argv[1];
  if (command == "size") {
    std::printf("%u\n", static_cast<unsigned>(sizeof(SHELLEXECUTEINFOA)));
    return 0;
  }
  if (command == "sleep" && argc > 2) {
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    return 0;
  }
  if (command == "run" && argc > 5) {
    RecordingWindows windows;
    run::SetUi(&windows);
    windows.bar.visible = std::atoi(argv[5]) != 0;
    const DWORD start = GetTickCount();
    const uint32_t result =
        app::ShellRunAndWait(0, "open", argv[2], argv[3], "", std::atoi(argv[4]));
    const DWORD elapsed = GetTickCount() - start;
    std::printf("result %u ms %lu visible %d hides %d\n", result,
                static_cast<unsigned long>(elapsed), windows.bar.visible ? 1 : 0,
                windows.bar.hides);
    return 0;
  }
  return 2;
}
