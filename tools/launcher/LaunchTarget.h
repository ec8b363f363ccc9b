#pragma once
// Which package installer the launcher starts, by the name it was staged under.
#include <string>
#include <string_view>

namespace launcher {

// "RunDPInstX86.exe" starts "DPInstX86.exe", "RunDPInstX64.exe" starts "DPInstX64.exe" (any
// letter case, with or without folder). Under any other name the launcher starts the installer
// of its own width.
std::string InstallerFor(std::string_view ownPath, bool ownWidthIs64);

}  // namespace launcher
