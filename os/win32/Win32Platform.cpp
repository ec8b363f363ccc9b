#include <windows.h>

#include <string>

#include "os/win32/Backends.h"
#include "os/win32/Handles.h"

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

namespace {

// What Windows' own DLLs load late, by name: theming and composition (common controls, windows),
// version and crypto helpers, the shell's property system, the cabinet library behind
// SetupIterateCabinetA, the security and profile helpers of advapi32 and the shell, and
// msimg32 for the gradients.
constexpr const char* kLateLoadedDlls[] = {
    "uxtheme.dll", "dwmapi.dll",  "version.dll", "cryptbase.dll", "propsys.dll",
    "cabinet.dll", "msimg32.dll", "ntmarta.dll", "userenv.dll",   "profapi.dll",
};

}  // namespace

void RestrictDllSearch() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  const auto setDllDirectory = reinterpret_cast<SetDllDirectoryFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
  // LOAD_LIBRARY_SEARCH_SYSTEM32 (0x800): Windows 8 and later, Vista and 7 with KB2533623.
  if (setDefault && setDefault(0x00000800)) return;
  // From XP SP1 on, "" takes the current folder out of the search, though not the program's own
  // folder; so the DLLs loaded late are loaded now from the system folder, and a later load by
  // name finds the one already in the process. Names missing from this Windows' system folder
  // fail quietly; the others stay loaded.
  if (setDllDirectory) setDllDirectory("");
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  for (const char* name : kLateLoadedDlls) LoadSystemLibrary(name);
  SetErrorMode(previousMode);
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
  platform.registry = &RegistryBackend();
  return platform;
}

}  // namespace os::win32
