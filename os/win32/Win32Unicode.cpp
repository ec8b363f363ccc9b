#include <windows.h>

#include <shlobj.h>

#include "os/AnsiPath.h"
#include "os/Unicode.h"
#include "os/win32/Backends.h"

namespace os::win32 {
namespace {

// wchar_t is 16 bits wide on Windows: the same units as char16_t.
wchar_t* Units(std::u16string& text) {
  return reinterpret_cast<wchar_t*>(text.data());
}
const wchar_t* Units(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A path is at most 32767 units long, whatever MAX_PATH says.
constexpr DWORD kLongestPath = 32768;

class Win32Unicode final : public Unicode {
 public:
  std::optional<std::u16string> ProgramFilePath() override {
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
      const DWORD length =
          GetModuleFileNameW(nullptr, Units(path), static_cast<DWORD>(path.size()));
      if (length == 0) return std::nullopt;
      // A full buffer means the name was cut short (Windows XP does not even end it with NUL).
      if (length < path.size()) return path.substr(0, length);
      if (path.size() >= kLongestPath) return std::nullopt;
      path.resize(path.size() * 2);
    }
  }

  std::optional<std::u16string> TempPath() override {
    return Sized([](DWORD size, wchar_t* buffer) { return GetTempPathW(size, buffer); });
  }

  std::optional<std::u16string> SpecialFolder(int id) override {
    LPITEMIDLIST list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, id, &list) != S_OK || !list) return std::nullopt;
    std::u16string path(MAX_PATH + 1, u'\0');
    const BOOL found = SHGetPathFromIDListW(list, Units(path));
    CoTaskMemFree(list);
    if (found != TRUE) return std::nullopt;
    return path.substr(0, path.find(u'\0'));
  }

  std::optional<std::u16string> ShortPath(const std::u16string& path) override {
    const wchar_t* longPath = Units(path);
    return Sized([longPath](DWORD size, wchar_t* buffer) {
      return GetShortPathNameW(longPath, buffer, size);
    });
  }

  std::string ToAnsi(const std::u16string& text) override {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_ACP, 0, Units(text), size, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0)
      WideCharToMultiByte(CP_ACP, 0, Units(text), size, ansi.data(), needed, nullptr, nullptr);
    return ansi;
  }

  std::u16string FromAnsi(const std::string& text) override {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::u16string wide(static_cast<size_t>(needed > 0 ? needed : 0), u'\0');
    if (needed > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, Units(wide), needed);
    return wide;
  }

  int ShowMessage(uintptr_t owner, const std::u16string& text, const std::u16string& title,
                  uint32_t style) override {
    return MessageBoxW(reinterpret_cast<HWND>(owner), Units(text), Units(title), style);
  }

 private:
  // For the calls that answer the size they need (NUL counted) when the buffer is too small,
  // and the length they wrote otherwise.
  template <typename Call>
  static std::optional<std::u16string> Sized(Call call) {
    DWORD needed = call(0, nullptr);
    for (int attempt = 0; attempt < 3 && needed > 0 && needed <= kLongestPath; ++attempt) {
      std::u16string text(needed, u'\0');
      const DWORD length = call(needed, Units(text));
      if (length == 0) return std::nullopt;
      if (length < needed) return text.substr(0, length);
      needed = length;  // it grew in between
    }
    return std::nullopt;
  }
};

}  // namespace

Unicode& UnicodeBackend() {
  static Win32Unicode unicode;
  return unicode;
}

std::string ProgramFilePathForAnsi() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string ansi(path, length < MAX_PATH ? length : 0);
  const auto wide = UnicodeBackend().ProgramFilePath();
  return wide ? UsableAnsiPath(UnicodeBackend(), ansi, *wide).value_or(ansi) : ansi;
}

}  // namespace os::win32
