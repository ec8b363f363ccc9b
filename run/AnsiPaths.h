#pragma once
// Paths the platform gives, in a form the ANSI functions of the program can use. The A functions
// write a letter the system's ANSI code page lacks as "?" (a Cyrillic user name on a Western
// system), and such a path names nothing; its short form is plain ASCII where Windows keeps one.
#include <initializer_list>
#include <optional>
#include <string>

namespace run {

// The folders the run takes from the platform, each with its own advice when it cannot be used.
enum class PlatformFolder { Program, Temp, Windows };

// os::UsableAnsiPath through the installed platform: the ANSI answer, or the path with short names
// where it needs them, or nullopt. Without a UTF-16 answer the ANSI one stands.
std::optional<std::string> UsableAnsiPath(const std::string& ansi,
                                          const std::optional<std::u16string>& wide);

// The UTF-16 answers of the platform; nullopt where it has no Unicode side or the call fails.
std::optional<std::u16string> WideProgramFilePath();
std::optional<std::u16string> WideTempPath();
std::optional<std::u16string> WideSpecialFolder(int id);

// The message for a folder that no ANSI text names: the folder in its full letters, what to do.
std::u16string UnusableFolderMessage(PlatformFolder folder, const std::u16string& path);

// True when each of these folders has a usable ANSI form; else shows the message for the first
// that has none, before anything is copied or created, and answers false.
bool FoldersUsable(std::initializer_list<PlatformFolder> folders);

}  // namespace run
