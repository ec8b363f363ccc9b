#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "run/AnsiPaths.h"
#include "run/InstallerState.h"
#include "app/RunModes.h"
#include "run/WorkFolders.h"
#include "platform/InstallLog.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

using run::PlatformFolder;

class AnsiPathsTest : public fakes::PlatformTest {
 protected:
  // The platform's UTF-16 answer for the folder (the ANSI answers of the program and the Windows
  // folder are set by the caller; the temporary folder's is always the posix backend's).
  void AnswerWide(PlatformFolder folder, const std::u16string& wide) {
    if (folder == PlatformFolder::Program) unicode.programPath = wide;
    if (folder == PlatformFolder::Temp) unicode.tempPath = wide;
    if (folder == PlatformFolder::Windows)
      unicode.specialFolders[os::kWindowsFolderId] = wide;
  }

  // The path the run uses for that folder, as each of its users asks for it.
  static std::string PathInUse(PlatformFolder folder) {
    switch (folder) {
      case PlatformFolder::Program:
        return run::ProgramFile();
      case PlatformFolder::Temp:
        return run::GetTempFolder();
      case PlatformFolder::Windows:
        return platform::FindSystemFolder(os::kWindowsFolderId);
    }
    return {};
  }

  std::string Printable(const std::u16string& text) {
    std::string bytes;
    for (const char16_t unit : text) bytes += unit < 0x80 ? static_cast<char>(unit) : '#';
    return bytes;
  }
};

// The form each path of the platform is used in, and whether the run may start with it.
TEST_F(AnsiPathsTest, EachPlatformPathIsUsedInAFormTheAnsiFunctionsCanOpen) {
  const struct {
    const char* name;
    PlatformFolder folder;
    std::string ansi;  // the A function's answer
    std::u16string wide;
    std::u16string named, shortName;    // GetShortPathNameW(named); none for a missing path
    std::optional<std::string> usable;  // nullopt: no ANSI text names it
  } rows[] = {
      {"plain", PlatformFolder::Program, "C:\\D\\Setup.exe", u"C:\\D\\Setup.exe", u"", u"",
       "C:\\D\\Setup.exe"},
      {"code page letters", PlatformFolder::Windows, "C:\\F\xeate", u"C:\\F\u00eate",
       u"C:\\F\u00eate", u"C:\\FTE~1", "C:\\F\xeate"},
      {"Cyrillic folder", PlatformFolder::Program, "C:\\????\\Setup.exe", u"C:\\Мои\\Setup.exe",
       u"C:\\Мои", u"C:\\___~LN4", "C:\\___~LN4\\Setup.exe"},
      {"only that name shortened", PlatformFolder::Program, "C:\\Temp\\????\\Ins1.tmp.exe",
       u"C:\\Temp\\Лена\\Ins1.tmp.exe", u"C:\\Temp\\Лена", u"C:\\TEMP\\____~DTT",
       "C:\\Temp\\____~DTT\\Ins1.tmp.exe"},
      {"Cyrillic program name", PlatformFolder::Program, "C:\\D\\???.exe", u"C:\\D\\Мой.exe",
       u"C:\\D\\Мой.exe", u"C:\\D\\___~OHF.EXE", "C:\\D\\___~OHF.exe"},
      {"Cyrillic temporary folder", PlatformFolder::Temp, "C:\\Temp\\", u"C:\\Temp\\Лена\\",
       u"C:\\Temp\\Лена", u"C:\\Temp\\____~DTT", "C:\\Temp\\____~DTT\\"},
      {"look-alike letters", PlatformFolder::Windows, "C:\\L\363dz", u"C:\\Łódź", u"C:\\Łódź",
       u"C:\\__D_~1WW", "C:\\__D_~1WW"},
      {"short names off", PlatformFolder::Program, "C:\\????\\Setup.exe", u"C:\\Мои\\Setup.exe",
       u"C:\\Мои", u"C:\\Мои", std::nullopt},
      {"missing folder", PlatformFolder::Temp, "C:\\Temp\\", u"C:\\Temp\\Лена\\", u"", u"",
       std::nullopt},
      {"short name outside the code page", PlatformFolder::Windows, "C:\\????", u"C:\\Окна",
       u"C:\\Окна", u"C:\\ОКНА~1", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    unicode = fakes::FakeUnicode();
    processes.programPath = row.folder == PlatformFolder::Program ? row.ansi : "C:\\X\\I.exe";
    shell.specialFolders[os::kWindowsFolderId] = row.ansi;
    AnswerWide(row.folder, row.wide);
    if (!row.named.empty()) unicode.shortPaths[row.named] = row.shortName;

    // Where no form is usable, the ANSI answer stands: the run has refused to start by then.
    EXPECT_EQ(PathInUse(row.folder), row.usable.value_or(row.ansi));
    EXPECT_EQ(run::FoldersUsable({row.folder}), row.usable.has_value());
    // A folder without usable form is named in the message with every letter.
    ASSERT_EQ(unicode.messages.size(), row.usable ? 0u : 1u);
    if (!row.usable) {
      EXPECT_NE(unicode.messages[0].find(row.wide), std::u16string::npos);
    }
  }
}

// A folder that no ANSI text names ends the relaunch and the installation run with a message
// that says what to do, before any copy, work folder or window.
TEST_F(AnsiPathsTest, AFolderWithoutUsableFormEndsTheRunWithAdvice) {
  const struct {
    PlatformFolder folder;
    std::u16string wide;
    std::u16string advice;
  } rows[] = {
      {PlatformFolder::Program, u"C:\\Загрузки\\Installer.exe", u"C:\\Drivers"},
      {PlatformFolder::Temp, u"C:\\Users\\Лена\\Temp\\", u"TEMP and TMP"},
      {PlatformFolder::Windows, u"C:\\Окна", u"language for non-Unicode programs"},
  };
  for (const char* arguments : {"", "debug", "temp"}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(arguments) + " / " + Printable(row.wide));
      unicode = fakes::FakeUnicode();
      AnswerWide(row.folder, row.wide);  // no short form
      processes.arguments = arguments;
      processes.started.clear();
      windows.wait.visible = false;

      EXPECT_THROW(app::Main(), fakes::ProcessEnded);
      ASSERT_EQ(unicode.messages.size(), 1u);
      EXPECT_NE(unicode.messages[0].find(row.wide), std::u16string::npos);
      EXPECT_NE(unicode.messages[0].find(row.advice), std::u16string::npos);
      EXPECT_TRUE(processes.started.empty());
      EXPECT_FALSE(windows.wait.visible);
      EXPECT_TRUE(std::filesystem::is_empty(Host("C:\\Temp")));
    }
  }
}

}  // namespace
