// Put in place of cfgmgr32.dll, and of newdev.dll where a refusal is wanted (with the overrides
// cfgmgr32=n, newdev=n): what Windows answers of devices and drivers where Wine answers
// otherwise. norvanetest.ini in the Windows folder says what:
//   [device] status=S problem=P   CM_Get_DevNode_Status's answer for every device (Wine's own
//                                 answers 0 and 0); without the file: started, no problem
//   [install] refusal=E           UpdateDriverForPlugAndPlayDevicesA fails with the last error E
// Numbers are read as C reads them (0x for hexadecimal).
#include <windows.h>

#include <cstdlib>

namespace {

unsigned long Setting(const char* section, const char* key, unsigned long otherwise) {
  char path[MAX_PATH + 32];
  const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return otherwise;
  lstrcatA(path, "\\norvanetest.ini");
  char text[32] = {};
  if (GetPrivateProfileStringA(section, key, "", text, sizeof text, path) == 0) return otherwise;
  return std::strtoul(text, nullptr, 0);
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD WINAPI CM_Get_DevNode_Status(ULONG* status, ULONG* problem, DWORD,
                                                         ULONG) {
  *status = Setting("device", "status", 0x8);  // DN_STARTED
  *problem = Setting("device", "problem", 0);
  return 0;  // CR_SUCCESS
}

__declspec(dllexport) BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND, LPCSTR, LPCSTR, DWORD,
                                                                     PBOOL) {
  SetLastError(Setting("install", "refusal", ERROR_GEN_FAILURE));
  return FALSE;
}
}
