// Shows the installer's windows with chosen texts, without an installation behind them, so the
// Wine tests can look at them, read them, press their keys and drag them.
//   windowsprobe wait VALUE STATUS [own-gradient|dpi=N]   the progress window, its timer stopped
//   windowsprobe finish LABEL CAPTION [check|dpi=N]       the finish window; "check" asks for the
//                                                         wireless step
//     dpi=N: the window is told it moved to a monitor of N dpi (WM_DPICHANGED, its size scaled).
//     Both then print where their strip's title and pictures were painted: "title L T R B" and
//     "pictures L T R B" in client pixels.
//   windowsprobe translucency                       SetTranslucency on a plain window
//   windowsprobe temp                               the relaunch form
// When the run ends, one line tells how: "ended ServiceCheckDone=N CheckWirelessService=N".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "run/InstallerState.h"
#include "run/Windows.h"
#include "os/Processes.h"
#include "os/win32/Backends.h"
#include "ui/win32/FinishWindow.h"
#include "ui/win32/Painting.h"
#include "ui/win32/Translucency.h"
#include "ui/win32/WaitWindow.h"
#include "ui/win32/Win32Windows.h"

namespace {

// Says how the run ended before the process goes.
class ReportingProcesses final : public os::Processes {
 public:
  explicit ReportingProcesses(os::Processes& real) : real_(real) {}
  std::string CommandLineArguments() override { return real_.CommandLineArguments(); }
  std::string ProgramFilePath() override { return real_.ProgramFilePath(); }
  os::ShellAnswer Execute(const os::ShellRequest& request) override {
    return real_.Execute(request);
  }
  uint32_t WaitAndClose(uintptr_t process) override { return real_.WaitAndClose(process); }
  [[noreturn]] void EndProcess(int code) override {
    std::printf("ended ServiceCheckDone=%d CheckWirelessService=%d\n",
                run::State().ServiceCheckDone, run::State().CheckWirelessService);
    std::fflush(stdout);
    real_.EndProcess(code);
    std::_Exit(code);  // not reached; says so to the compiler, which sees a virtual call above
  }

 private:
  os::Processes& real_;
};

int MessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

void ReportPainted(const ui::win32::FormWindow& form, const std::string& option) {
  HWND window = form.hwnd();
  if (option.starts_with("dpi=")) {
    const int dpi = std::atoi(option.c_str() + 4);
    RECT rect;
    GetWindowRect(window, &rect);
    rect.right = rect.left + MulDiv(rect.right - rect.left, dpi, form.Dpi());
    rect.bottom = rect.top + MulDiv(rect.bottom - rect.top, dpi, form.Dpi());
    SendMessageA(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&rect));
  }
  UpdateWindow(window);
  for (const auto& [name, rect] :
       {std::pair{"title", form.PaintedTitle()}, std::pair{"pictures", form.PaintedPictures()}})
    std::printf("%s %ld %ld %ld %ld\n", name, rect.left, rect.top, rect.right, rect.bottom);
}

int Translucency() {
  HWND window = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  using GetLayered = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);
  const auto getLayered = reinterpret_cast<GetLayered>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "GetLayeredWindowAttributes")));
  for (int16_t alpha : {256, -1, 0, 255, 240}) {
    int16_t value = alpha;
    const int32_t result = ui::win32::SetTranslucency(window, value);
    const bool layered = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    BYTE applied = 0;
    DWORD flags = 0;
    if (!getLayered || !getLayered(window, nullptr, &applied, &flags)) applied = 0;
    std::printf("%d %d %d %d\n", alpha, result, layered ? 1 : 0, layered ? applied : -1);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  static os::Platform platform = os::win32::Win32Platform();
  static ReportingProcesses processes(*platform.processes);
  platform.processes = &processes;
  os::SetOs(platform);
  run::SetUi(&ui::win32::WindowsBackend());
  setvbuf(stdout, nullptr, _IONBF, 0);

  // The clean-up deletes the work folder and config.txt: keep them somewhere of our own.
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  run::State().TempFolder = std::string(temp) + "windowsprobe\\";
  run::State().InstallFolder = run::State().TempFolder + "windowsprobe_InstallationFolder";

  const std::string mode = argc > 1 ? argv[1] : "";
  const std::string option = argc > 4 ? argv[4] : "";
  if (mode == "wait" && argc > 3) {
    if (option == "own-gradient") ui::win32::UseOwnGradientInterpolation(true);
    run::ProgressWindow& wait = run::Ui().Wait();
    wait.StopTimer();
    wait.SetProgress(std::atoi(argv[2]));
    wait.SetStatusText(argv[3]);
    run::ShowWaitWindow();
    std::printf("bar %d\n", wait.Progress());
    ReportPainted(static_cast<ui::win32::WaitWindow&>(wait), option);
    return MessageLoop();
  }
  if (mode == "finish" && argc > 3) {
    if (option == "check") {
      run::State().CheckWirelessService = run::kTrue;
      run::State().MsgWirelessService = "The wireless service%$was started.";
    }
    run::Ui().Finish().SetOutcome(argv[2], argv[3]);
    run::Ui().Finish().ShowAndFocus();
    std::printf("shown %d\n", run::Ui().Finish().IsVisibleAndEnabled() ? 1 : 0);
    ReportPainted(static_cast<ui::win32::FinishWindow&>(run::Ui().Finish()), option);
    return MessageLoop();
  }
  if (mode == "translucency") return Translucency();
  if (mode == "temp") {
    HWND form = reinterpret_cast<HWND>(run::Ui().LoadTempForm());
    char childClass[64] = {};
    GetClassNameA(GetWindow(form, GW_CHILD), childClass, sizeof childClass);
    std::printf("form %d visible %d child %s\n", IsWindow(form) ? 1 : 0,
                IsWindowVisible(form) ? 1 : 0, childClass);
    run::Ui().UnloadTempForm();
    std::printf("after unload %d\n", IsWindow(form) ? 1 : 0);
    return 0;
  }
  std::fprintf(stderr, "usage: windowsprobe wait|finish|translucency|temp ...\n");
  return 2;
}
