#include "ui/win32/ModComCTL.h"

#include <windows.h>
// commctrl.h needs the types windows.h declares.
#include <commctrl.h>

namespace ui::win32 {

void InitControlLibrary() {
  InitCommonControls();
}

app::Flag InitControlLibraryEx(uint32_t Classes) {
  // comctl32 before 4.70 (Windows 95 without a newer Internet Explorer) lacks the Ex entry.
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  HMODULE library = GetModuleHandleA("comctl32.dll");
  const auto initEx = library ? reinterpret_cast<InitEx>(reinterpret_cast<void*>(
                                    GetProcAddress(library, "InitCommonControlsEx")))
                              : nullptr;
  if (!initEx) {
    InitCommonControls();
    return app::kFalse;
  }
  INITCOMMONCONTROLSEX record = {};
  record.dwSize = 8;
  record.dwICC = Classes;
  return initEx(&record) ? app::kTrue : app::kFalse;
}

}  // namespace ui::win32
