#include "ui/win32/ModComCTL.h"
#include <windows.h>
// commctrl.h needs the types windows.h declares.
#include <commctrl.h>

namespace ui::win32 {
namespace {

// Loaded on first use rather than imported: while they load, the common controls load further
// DLLs by name (uxtheme.dll), which as an import they would do before the program's first line,
// with its own folder still searched. By name, not by full path: the manifest's side-by-side
// dependency then picks version 6 from the side-by-side store, as it did for the import.
HMODULE CommonControls() {
  static const HMODULE library = LoadLibraryA("comctl32.dll");
  return library;
}

template <typename Fn>
Fn CommonControlsFunction(const char* name) {
  HMODULE library = CommonControls();
  return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                 : nullptr;
}

}  // namespace

void InitControlLibrary() {
  if (const auto init = CommonControlsFunction<void(WINAPI*)()>("InitCommonControls")) init();
}

run::Flag InitControlLibraryEx(uint32_t Classes) {
  // comctl32 before 4.70 (Windows 95 without a newer Internet Explorer) lacks the Ex entry.
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto initEx = CommonControlsFunction<InitEx>("InitCommonControlsEx");
  if (!initEx) {
    InitControlLibrary();
    return run::kFalse;
  }
  INITCOMMONCONTROLSEX record = {};
  record.dwSize = 8;
  record.dwICC = Classes;
  return initEx(&record) ? run::kTrue : run::kFalse;
}

}  // namespace ui::win32
