// Shows the installer's windows with chosen texts, without an installation behind them, so the
// Wine tests can look at them, read them, press their keys and drag them.
//   windowsprobe wait VALUE STATUS [own-gradient]   the progress window, its timer stopped
//   windowsprobe finish LABEL CAPTION [check]       the finish window; "check" asks for the
//                                                   wireless step
//   windowsprobe translucency                       SetTranslucency on a plain window
//   windowsprobe temp                               the relaunch form
// When the run ends, one line tells how: "ended ServiceCheckDone=N CheckWirelessService=N".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "run/InstallerState.h"
#include "run/Windows.h"
#include "os/Processes.h"
#include "os/win32/Backends.h"
#include "ui/win32/Painting.h"
#include "ui/win32/Translucency.h"
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
  if (mode == "wait" && argc > 3) {
    if (argc > 4 && std::string(argv[4]) == "own-gradient")
      ui::win32::UseOwnGradientInterpolation(true);
    run::ProgressWindow& wait = run::Ui().Wait();
    wait.StopTimer();
    wait.SetProgress(std::atoi(argv[2]));
    wait.SetStatusText(argv[3]);
    run::ShowWaitWindow();
    std::printf("bar %d\n", wait.Progress());
    return MessageLoop();
  }
  if (mode == "finish" && argc > 3) {
    if (argc > 4 && std::string(argv[4]) == "check") {
      run::State().CheckWirelessService = run::kTrue;
      run::State().MsgWirelessService = "The wireless service%$was started.";
    }
    run::Ui().Finish().SetOutcome(argv[2], argv[3]);
    run::Ui().Finish().ShowAndFocus();
    std::printf("shown %d\n", run::Ui().Finish().IsVisibleAndEnabled() ? 1 : 0);
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
