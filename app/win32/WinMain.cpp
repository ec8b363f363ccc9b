#include <windows.h>

#include "app/RunModes.h"
#include "run/Windows.h"
#include "os/win32/Backends.h"
#include "ui/win32/Win32Windows.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Every mode, before its first window or shell call.
  os::win32::RestrictDllSearch();
  os::SetOs(os::win32::Win32Platform());
  run::SetUi(&ui::win32::WindowsBackend());
  if (!app::Main()) return 0;
  // From here window events drive the run; the final clean-up ends the process.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
