#pragma once
// The platform's UTF-16 side, next to the ANSI functions the program works with. A path whose
// letters the system's ANSI code page lacks (a Cyrillic user name on a Western system) comes from
// the A functions with "?" in their place and names nothing; its UTF-16 answer is whole, and its
// short form is plain ASCII where the volume generates short names.
#include <cstdint>
#include <optional>
#include <string>

namespace os {

class Unicode {
 public:
  virtual ~Unicode() = default;
  // GetModuleFileNameW of the running program; nullopt when the call fails.
  virtual std::optional<std::u16string> ProgramFilePath() = 0;
  // GetTempPathW; nullopt when the call fails.
  virtual std::optional<std::u16string> TempPath() = 0;
  // SHGetSpecialFolderLocation + SHGetPathFromIDListW; nullopt when either call fails.
  virtual std::optional<std::u16string> SpecialFolder(int id) = 0;
  // GetShortPathNameW: nullopt when the path does not exist or the call fails. Where the volume
  // generates no short names, the answer is the path itself.
  virtual std::optional<std::u16string> ShortPath(const std::u16string& path) = 0;
  // The ANSI code page both ways (WideCharToMultiByte, MultiByteToWideChar with CP_ACP), as the
  // A functions convert: a letter the code page lacks becomes "?" or a look-alike ("Ł" gives "L").
  virtual std::string ToAnsi(const std::u16string& text) = 0;
  virtual std::u16string FromAnsi(const std::string& text) = 0;
  // MessageBoxW: a message whose texts keep every letter.
  virtual int ShowMessage(uintptr_t owner, const std::u16string& text, const std::u16string& title,
                          uint32_t style) = 0;
};

}  // namespace os
