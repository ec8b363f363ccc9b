#include "run/AnsiPaths.h"

#include <string_view>

#include "os/AnsiPath.h"
#include "os/Platform.h"
#include "os/Shell.h"
#include "os/Unicode.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"

namespace run {
namespace {

// The program's own texts are ASCII: each letter widens to the same UTF-16 unit.
void AppendAscii(std::u16string& text, std::string_view ascii) {
  for (const char letter : ascii) text.push_back(static_cast<char16_t>(letter));
}

std::u16string Widened(std::string_view ascii) {
  std::u16string text;
  AppendAscii(text, ascii);
  return text;
}

std::optional<std::u16string> WideAnswer(PlatformFolder folder) {
  switch (folder) {
    case PlatformFolder::Program:
      return WideProgramFilePath();
    case PlatformFolder::Temp:
      return WideTempPath();
    case PlatformFolder::Windows:
      return WideSpecialFolder(os::kWindowsFolderId);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> UsableAnsiPath(const std::string& ansi,
                                          const std::optional<std::u16string>& wide) {
  os::Unicode* unicode = os::Os().unicode;
  if (!unicode || !wide) return ansi;
  return os::UsableAnsiPath(*unicode, ansi, *wide);
}

std::optional<std::u16string> WideProgramFilePath() {
  os::Unicode* unicode = os::Os().unicode;
  return unicode ? unicode->ProgramFilePath() : std::nullopt;
}

std::optional<std::u16string> WideTempPath() {
  os::Unicode* unicode = os::Os().unicode;
  return unicode ? unicode->TempPath() : std::nullopt;
}

std::optional<std::u16string> WideSpecialFolder(int id) {
  os::Unicode* unicode = os::Os().unicode;
  return unicode ? unicode->SpecialFolder(id) : std::nullopt;
}

std::u16string UnusableFolderMessage(PlatformFolder folder, const std::u16string& path) {
  const char* what = "";
  const char* advice = "";
  switch (folder) {
    case PlatformFolder::Program:
      what = "The installer cannot run from";
      advice =
          "Copy the program to a folder such as C:\\Drivers, under a name such as Setup.exe, "
          "and start it from there.";
      break;
    case PlatformFolder::Temp:
      what = "The installer cannot use the temporary folder";
      advice =
          "Set the TEMP and TMP environment variables to a folder such as C:\\Temp, then start "
          "the program again.";
      break;
    case PlatformFolder::Windows:
      what = "The installer cannot use the Windows folder";
      advice =
          "Choose a language for non-Unicode programs that has these letters (region settings "
          "of the Control Panel), then start the program again.";
      break;
  }
  // Appended piece by piece into one text: joined with "+", every piece is another copy.
  std::u16string message = Widened(what);
  AppendAscii(message, "\n\n");
  message += path;
  AppendAscii(message,
              "\n\nIts name has letters that this system's language for non-Unicode programs "
              "lacks, and Windows gives no short name for it.\n\n");
  AppendAscii(message, advice);
  return message;
}

bool FoldersUsable(std::initializer_list<PlatformFolder> folders) {
  os::Unicode* unicode = os::Os().unicode;
  if (!unicode) return true;
  for (const PlatformFolder folder : folders) {
    const auto wide = WideAnswer(folder);
    // The A functions convert the UTF-16 answer as ToAnsi does.
    if (!wide || UsableAnsiPath(unicode->ToAnsi(*wide), wide)) continue;
    const std::u16string message = UnusableFolderMessage(folder, *wide);
    // Unattended, the log takes the message in the code page's letters, "?" where they fail.
    if (Unattended())
      Log("%s: %s", kAppTitle, unicode->ToAnsi(message).c_str());
    else
      unicode->ShowMessage(0, message, Widened(kAppTitle), os::kMbOk);
    return false;
  }
  return true;
}

}  // namespace run
