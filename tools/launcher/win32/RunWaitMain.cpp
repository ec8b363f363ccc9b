// The launcher staged as RunDPInstX86.exe or RunDPInstX64.exe: starts the package installer of
// its own folder there, waits for it and ends with its exit code.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "os/win32/Backends.h"
#include "tools/launcher/LaunchTarget.h"

namespace {

// The failure flag of the package installer's return code, nothing counted: the installer could
// not be started.
constexpr DWORD kNotStarted = 0x80000000;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  // Started from a folder whose name the ANSI code page cannot write (a user's temporary folder
  // named in Cyrillic on a Western system), the plain answer would hold "?" for those letters.
  const std::string path = os::win32::ProgramFilePathForAnsi();
  if (path.empty()) return static_cast<int>(kNotStarted);
  const std::string folder = path.substr(0, path.find_last_of('\\'));
  const std::string installer = folder + "\\" + launcher::InstallerFor(path, sizeof(void*) == 8);

  // Through the shell rather than CreateProcess: the installer asks for administrator rights,
  // which only the shell can obtain for a program started without them.
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = installer.c_str();
  info.lpParameters = arguments && *arguments ? arguments : nullptr;
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info) || !info.hProcess) return static_cast<int>(kNotStarted);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = kNotStarted;
  if (!GetExitCodeProcess(info.hProcess, &code)) code = kNotStarted;
  CloseHandle(info.hProcess);
  return static_cast<int>(code);
}
