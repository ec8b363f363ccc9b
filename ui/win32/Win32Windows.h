#pragma once
// The installer's Win32 windows.
#include "app/Windows.h"

namespace ui::win32 {

app::Windows& WindowsBackend();

}  // namespace ui::win32
