// Put in place of newdev.dll (with the override newdev=n): the driver uninstall call of Windows 10
// 1703 and later, which Wine lacks. It deletes the INF at the path it is given, sets the last
// error as DeleteFile leaves it when it cannot, asks for a restart when it can, and leaves
// "PATH|FLAGS" of its call in uninstalldriver.txt in the Windows folder.
#include <windows.h>

extern "C" {

__declspec(dllexport) BOOL WINAPI
    DiUninstallDriverA(HWND, LPCSTR path, DWORD flags, PBOOL needReboot) {
  char record[MAX_PATH + 32];
  const UINT length = GetWindowsDirectoryA(record, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  lstrcatA(record, "\\uninstalldriver.txt");
  HANDLE file = CreateFileA(record, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char text[MAX_PATH + 32];
    const int size = wsprintfA(text, "%s|%lu", path, flags);
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
  }
  if (!DeleteFileA(path)) return FALSE;
  if (needReboot) *needReboot = TRUE;
  return TRUE;
}
}
