#include <windows.h>

#include "os/win32/Backends.h"
#include "os/win32/Handles.h"

#include <string>

namespace os::win32 {

HMODULE LoadSystemLibrary(const char* name) {
  // LOAD_LIBRARY_SEARCH_SYSTEM32 (0x800) exists from Windows 8 and on Vista/7 with KB2533623;
  // elsewhere LoadLibraryExA rejects the flag and the full system path does the same job.
  if (HMODULE module = LoadLibraryExA(name, nullptr, 0x00000800)) return module;
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::string path(folder, length);
  path += '\\';
  path += name;
  return LoadLibraryA(path.c_str());
}

Platform Win32Platform() {
  Platform platform;
  platform.files = &FilesBackend();
  platform.resources = &ResourcesBackend();
  platform.processes = &ProcessesBackend();
  platform.shell = &ShellBackend();
  platform.version = &VersionBackend();
  platform.cabinets = &CabinetsBackend();
  platform.services = &ServicesBackend();
  platform.unicode = &UnicodeBackend();
  return platform;
}

}  // namespace os::win32
