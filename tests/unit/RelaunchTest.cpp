#include <gtest/gtest.h>

#include "app/RunModes.h"
#include "run/InstallerState.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

class RelaunchTest : public fakes::PlatformTest {
 protected:
  RelaunchTest() {
    processes.programPath = "C:\\Downloads\\Installer.exe";
    files.CreateFolder("C:\\Downloads");
    WriteFile("C:\\Downloads\\Installer.exe", "MZ program");
    files.RunsFrom("C:\\Downloads\\Installer.exe");
    version.Set(2, 6, 0, "");  // elevated on Windows NT
  }

  // The code the relauncher ends its process with; -1 when it returns.
  static int RelaunchExitCode() {
    try {
      app::Main();
    } catch (const fakes::ProcessEnded& ended) {
      return ended.code;
    }
    return -1;
  }
};

TEST_F(RelaunchTest, RunsAFreshTemporaryCopyAndRemovesItAfterwardsEndingWithItsCode) {
  // The last row: a user whose Downloads and temporary folders are named in Cyrillic, which the
  // ANSI code page cannot write: the copy goes through their short names, as from any other folder.
  const struct {
    const char* arguments;
    bool started;
    uint32_t runExit;
    int exitCode;
    bool cyrillic;
  } rows[] = {
      {"", true, 3010, 3010, false},
      {"debug", true, 1602, 1602, false},
      {"Debug", true, 0, 0, false},
      {"", false, 0, 1603, false},  // the copy never ran: nothing was installed
      {"", true, 0, 0, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.arguments) + (row.started ? " started" : " not started") +
                 (row.cyrillic ? " from Cyrillic folders" : ""));
    const std::string temp = row.cyrillic ? "C:\\Temp\\____~DTT\\" : "C:\\Temp\\";
    if (row.cyrillic) {
      files.CreateFolder("C:\\____~LN4");
      files.CreateFolder("C:\\Temp\\____~DTT");
      WriteFile("C:\\____~LN4\\Installer.exe", "MZ program");
      files.RunsFrom("C:\\____~LN4\\Installer.exe");
      processes.programPath = "C:\\????????\\Installer.exe";
      unicode.programPath = u"C:\\Загрузки\\Installer.exe";
      unicode.tempPath = u"C:\\Temp\\Лена\\";
      unicode.shortPaths = {{u"C:\\Загрузки", u"C:\\____~LN4"},
                            {u"C:\\Temp\\Лена", u"C:\\Temp\\____~DTT"}};
    }
    processes.arguments = row.arguments;
    processes.started.clear();
    std::string copySeen;
    processes.onExecute = [&](const os::ShellRequest& request) {
      copySeen = ReadFile(request.file);
      // It runs elevated from a folder only administrators can write, held against renaming.
      EXPECT_TRUE(files.Held(run::ExeFolderOf(request.file)));
      namespace fs = std::filesystem;
      EXPECT_EQ(fs::status(Host(run::ExeFolderOf(request.file))).permissions() &
                    (fs::perms::group_write | fs::perms::others_write),
                fs::perms::none);
      return os::ShellAnswer{row.started, 42, 0, row.started ? 9u : 0u};
    };
    processes.exitCodes[9] = row.runExit;
    EXPECT_EQ(RelaunchExitCode(), row.exitCode);
    ASSERT_EQ(processes.started.size(), 1u);
    const os::ShellRequest& request = processes.started[0];
    EXPECT_EQ(request.parameters, "temp");
    EXPECT_EQ(request.verb, "open");
    EXPECT_EQ(request.show, 1);
    EXPECT_EQ(request.owner, 0x9abcu);  // the hidden form `temp`
    EXPECT_EQ(request.file.rfind(temp + "Ins", 0), 0u) << request.file;
    EXPECT_EQ(request.file.substr(request.file.size() - 8), ".tmp.exe");
    EXPECT_EQ(run::State().InstallerPath, request.file);
    EXPECT_EQ(copySeen, "MZ program");
    EXPECT_EQ(processes.waited, row.started ? std::vector<uintptr_t>{9} : std::vector<uintptr_t>{});
    processes.waited.clear();
    // Neither the copy nor the empty temporary file it was named after is left.
    EXPECT_TRUE(std::filesystem::is_empty(Host(temp)));
    EXPECT_FALSE(windows.tempLoaded);
    EXPECT_TRUE(unicode.messages.empty());
  }
}

// Another program of the user's renames the download away after the start and puts its own
// under the name, with the same bytes or others: the elevated start runs none of them. Not
// elevated, the copy runs with the user's own rights and nothing is proved.
TEST_F(RelaunchTest, AFileRenamedIntoTheProgramsPlaceNeverRunsElevated) {
  const struct {
    const char* replacement;
    bool elevated;
    int exitCode;
  } rows[] = {{"MZ someone else's program", true, 1603},
              {"MZ program", true, 1603},
              {"MZ someone else's program", false, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.replacement) + (row.elevated ? " elevated" : " not elevated"));
    files.RunsFrom("C:\\Downloads\\Installer.exe");
    std::filesystem::rename(Host("C:\\Downloads\\Installer.exe"), Host("C:\\Downloads\\away.exe"));
    WriteFile("C:\\Downloads\\Installer.exe", row.replacement);
    version.admin = row.elevated;
    processes.started.clear();
    processes.exitCodes[9] = 0;
    processes.onExecute = [&](const os::ShellRequest&) { return os::ShellAnswer{true, 42, 0, 9u}; };
    EXPECT_EQ(RelaunchExitCode(), row.exitCode);
    EXPECT_EQ(processes.started.empty(), row.elevated);
    EXPECT_TRUE(std::filesystem::is_empty(Host("C:\\Temp\\")));
    std::filesystem::rename(Host("C:\\Downloads\\away.exe"), Host("C:\\Downloads\\Installer.exe"));
  }
}

}  // namespace
