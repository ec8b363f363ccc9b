#pragma once
// Registration of the common control classes.
#include <cstdint>

#include "run/InstallerState.h"

namespace ui::win32 {

void InitControlLibrary();
// InitCommonControlsEx with the class mask; InitCommonControls where the former is missing.
run::Flag InitControlLibraryEx(uint32_t Classes);

}  // namespace ui::win32
