#pragma once
// The Win32 backend of each area of the seam.
#include "os/Platform.h"

namespace os::win32 {

Files& FilesBackend();
Resources& ResourcesBackend();
Processes& ProcessesBackend();
Shell& ShellBackend();
Version& VersionBackend();
Cabinets& CabinetsBackend();
Services& ServicesBackend();

// All of them together, as the program installs them at start.
Platform Win32Platform();

}  // namespace os::win32
