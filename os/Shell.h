#pragma once
// Message boxes, shell folders, the clock, the regional date and time texts and the code page.
#include <cstdint>
#include <optional>
#include <string>

namespace os {

// MessageBoxA styles and answers used by the installer.
inline constexpr uint32_t kMbOk = 0x0;
inline constexpr uint32_t kMbYesNo = 0x4;
inline constexpr uint32_t kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr int kWindowsFolderId = 36;  // CSIDL_WINDOWS, for SpecialFolder

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  virtual int ShowMessage(uintptr_t owner, const std::string& text, const std::string& title,
                          uint32_t style) = 0;
  // SHGetSpecialFolderLocation + SHGetPathFromIDList into a 260-byte buffer; nullopt when
  // either call fails, else the whole buffer up to its first NUL.
  virtual std::optional<std::string> SpecialFolder(int id) = 0;

  virtual void Sleep(uint32_t milliseconds) = 0;
  virtual LocalTime Now() = 0;
  // The user's short date and long time, as the regional settings write them.
  virtual std::string ShortDateText() = 0;
  virtual std::string LongTimeText() = 0;
};

}  // namespace os
