#include <windows.h>

#include <shlobj.h>

#include "os/Shell.h"
#include "os/win32/Backends.h"

namespace os::win32 {
namespace {

class Win32Shell final : public Shell {
 public:
  int ShowMessage(uintptr_t owner, const std::string& text, const std::string& title,
                  uint32_t style) override {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), title.c_str(), style);
  }

  std::optional<std::string> SpecialFolder(int id) override {
    LPITEMIDLIST list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, id, &list) != S_OK || !list) return std::nullopt;
    char buffer[MAX_PATH + 1] = {};
    const BOOL found = SHGetPathFromIDListA(list, buffer);
    CoTaskMemFree(list);
    if (found != TRUE) return std::nullopt;
    return std::string(buffer);
  }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

  LocalTime Now() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }

  std::string ShortDateText() override { return Format(false); }
  std::string LongTimeText() override { return Format(true); }

 private:
  static std::string Format(bool time) {
    char buffer[128] = {};
    const int length =
        time ? GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, sizeof buffer)
             : GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer,
                              sizeof buffer);
    return length > 0 ? std::string(buffer) : std::string();
  }
};

}  // namespace

Shell& ShellBackend() {
  static Win32Shell shell;
  return shell;
}

}  // namespace os::win32
