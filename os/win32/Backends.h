#pragma once
// The Win32 backend of each area of the seam.
#include <string>

#include "os/Platform.h"

namespace os::win32 {

Files& FilesBackend();
Resources& ResourcesBackend();
Processes& ProcessesBackend();
Shell& ShellBackend();
Version& VersionBackend();
Cabinets& CabinetsBackend();
Services& ServicesBackend();
Unicode& UnicodeBackend();

// The running program's path as the A functions can open it, for the programs of the payload,
// which run without the seam: GetModuleFileNameA's answer, or the path with short names where
// that answer has "?" for letters of the long one.
std::string ProgramFilePathForAnsi();

// All of them together, as the program installs them at start.
Platform Win32Platform();

}  // namespace os::win32
