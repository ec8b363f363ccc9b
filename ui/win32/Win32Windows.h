#pragma once
// The installer's Win32 windows.
#include "run/Windows.h"

namespace ui::win32 {

run::Windows& WindowsBackend();

}  // namespace ui::win32
