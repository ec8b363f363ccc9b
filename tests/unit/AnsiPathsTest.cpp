#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

#include "app/AnsiPaths.h"
#include "app/InstallerState.h"
#include "app/RunModes.h"
#include "app/WorkFolders.h"
#include "platform/InstallLog.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

using app::PlatformFolder;

class AnsiPathsTest : public fakes::PlatformTest {
 protected:
  // The platform's UTF-16 answer for the folder (the ANSI answers of the program and the Windows
  // folder are set by the caller; the temporary folder's is always the posix backend's).
  void AnswerWide(PlatformFolder folder, const std::optional<std::u16string>& wide) {
    if (folder == PlatformFolder::Program) unicode.programPath = wide;
    if (folder == PlatformFolder::Temp) unicode.tempPath = wide;
    if (folder == PlatformFolder::Windows && wide)
      unicode.specialFolders[platform::kWindowsFolderId] = *wide;
  }

  // The path the run uses for that folder, as each of its users asks for it.
  static std::string PathInUse(PlatformFolder folder) {
    switch (folder) {
      case PlatformFolder::Program:
        return app::ProgramFile();
      case PlatformFolder::Temp:
        return app::GetTempFolder();
      case PlatformFolder::Windows:
        return platform::FindSystemFolder(platform::kWindowsFolderId);
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
  using Shorts = std::map<std::u16string, std::u16string>;  // missing: the path does not exist
  const struct {
    const char* name;
    PlatformFolder folder;
    std::string ansi;  // the A function's answer
    std::optional<std::u16string> wide;
    Shorts shortPaths;
    std::optional<std::string> usable;  // nullopt: no ANSI text names it
  } rows[] = {
      {"no UTF-16 answer: the ANSI one stands",
       PlatformFolder::Program,
       "C:\\Dist\\Setup.exe",
       std::nullopt,
       {},
       "C:\\Dist\\Setup.exe"},
      {"plain letters",
       PlatformFolder::Program,
       "C:\\Dist\\Setup.exe",
       u"C:\\Dist\\Setup.exe",
       {},
       "C:\\Dist\\Setup.exe"},
      {"letters of the code page",
       PlatformFolder::Windows,
       "C:\\Fen\xeatres",
       u"C:\\Fen\u00eatres",
       {{u"C:\\Fen\u00eatres", u"C:\\FENTRE~1"}},
       "C:\\Fen\xeatres"},
      {"plain temporary folder",
       PlatformFolder::Temp,
       "C:\\Temp\\",
       u"C:\\Temp\\",
       {},
       "C:\\Temp\\"},
      {"Cyrillic folder: its short name",
       PlatformFolder::Program,
       "C:\\????????\\Setup.exe",
       u"C:\\Загрузки\\Setup.exe",
       {{u"C:\\Загрузки", u"C:\\____~LN4"}},
       "C:\\____~LN4\\Setup.exe"},
      {"only that name is shortened",
       PlatformFolder::Program,
       "C:\\Temp\\????\\Ins1A2B.tmp.exe",
       u"C:\\Temp\\Лена\\Ins1A2B.tmp.exe",
       {{u"C:\\Temp\\Лена", u"C:\\TEMP\\____~DTT"},
        {u"C:\\Temp\\Лена\\Ins1A2B.tmp.exe", u"C:\\TEMP\\____~DTT\\INS1A~1.EXE"}},
       "C:\\Temp\\____~DTT\\Ins1A2B.tmp.exe"},
      {"Cyrillic program name: its short name",
       PlatformFolder::Program,
       "C:\\Dist\\?????????.exe",
       u"C:\\Dist\\Установка.exe",
       {{u"C:\\Dist\\Установка.exe", u"C:\\Dist\\____~OHF.EXE"}},
       "C:\\Dist\\____~OHF.exe"},
      {"Cyrillic temporary folder: its short name",
       PlatformFolder::Temp,
       "C:\\Temp\\",
       u"C:\\Temp\\Лена\\",
       {{u"C:\\Temp\\Лена", u"C:\\Temp\\____~DTT"}},
       "C:\\Temp\\____~DTT\\"},
      {"look-alike letters: the short name",
       PlatformFolder::Windows,
       "C:\\L\xf3"
       "dz",
       u"C:\\Łódź",
       {{u"C:\\Łódź", u"C:\\__D_~1WW"}},
       "C:\\__D_~1WW"},
      {"short names off: none",
       PlatformFolder::Program,
       "C:\\????????\\Setup.exe",
       u"C:\\Загрузки\\Setup.exe",
       {{u"C:\\Загрузки", u"C:\\Загрузки"}},
       std::nullopt},
      {"missing folder: none",
       PlatformFolder::Temp,
       "C:\\Temp\\",
       u"C:\\Temp\\Лена\\",
       {},
       std::nullopt},
      {"short name outside the code page: none",
       PlatformFolder::Windows,
       "C:\\????",
       u"C:\\Окна",
       {{u"C:\\Окна", u"C:\\ОКНА~1"}},
       std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    unicode = fakes::FakeUnicode();
    processes.programPath = row.folder == PlatformFolder::Program ? row.ansi : "C:\\X\\I.exe";
    shell.specialFolders[platform::kWindowsFolderId] = row.ansi;
    AnswerWide(row.folder, row.wide);
    unicode.shortPaths = row.shortPaths;

    // Where no form is usable, the ANSI answer stands: the run has refused to start by then.
    EXPECT_EQ(PathInUse(row.folder), row.usable.value_or(row.ansi));
    EXPECT_EQ(app::FoldersUsable({row.folder}), row.usable.has_value());
    if (row.usable) {
      EXPECT_TRUE(unicode.messages.empty());
    } else {
      ASSERT_EQ(unicode.messages.size(), 1u);
      // The folder keeps every letter in the message.
      EXPECT_NE(unicode.messages[0].find(*row.wide), std::u16string::npos)
          << Printable(unicode.messages[0]);
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
