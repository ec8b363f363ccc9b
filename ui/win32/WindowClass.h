#pragma once
#include <windows.h>

namespace ui::win32 {

// Registers a window class of this program the first time it is asked for; later calls find it.
void RegisterWindowClassOnce(const char* name, WNDPROC procedure, HICON icon = nullptr,
                             HICON smallIcon = nullptr);

}  // namespace ui::win32
