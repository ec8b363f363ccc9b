// Put in place of setupapi.dll (with the override setupapi=n): a setup API whose device list
// always fails, as it does when the Plug and Play service is not answering. Only the functions
// the package installer looks up are there; nothing else can be done with it.
#include <windows.h>

// The setup API's header would declare these as imported; this DLL defines them, so it declares
// its own handles instead (the same sizes, so the same exported names).
using HDEVINFO = void*;
using PSP_DEVINFO_DATA = void*;

extern "C" {

__declspec(dllexport) BOOL WINAPI
    SetupCopyOEMInfA(PCSTR, PCSTR, DWORD, DWORD, PSTR, DWORD, PDWORD, PSTR*) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

__declspec(dllexport) HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID*, PCSTR, HWND, DWORD) {
  SetLastError(ERROR_SERVICE_NOT_ACTIVE);
  return INVALID_HANDLE_VALUE;
}

__declspec(dllexport) BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO, DWORD, PSP_DEVINFO_DATA) {
  SetLastError(ERROR_NO_MORE_ITEMS);
  return FALSE;
}

__declspec(dllexport) BOOL WINAPI
    SetupDiGetDeviceRegistryPropertyA(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD,
                                      PDWORD) {
  SetLastError(ERROR_INVALID_DATA);
  return FALSE;
}

__declspec(dllexport) HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO, PSP_DEVINFO_DATA, DWORD, DWORD,
                                                       DWORD, REGSAM) {
  SetLastError(ERROR_INVALID_DATA);
  return static_cast<HKEY>(INVALID_HANDLE_VALUE);
}

__declspec(dllexport) BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO, PSP_DEVINFO_DATA, PSTR,
                                                              DWORD, PDWORD) {
  SetLastError(ERROR_INVALID_DATA);
  return FALSE;
}

__declspec(dllexport) BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO) {
  return TRUE;
}
}
