#include <gtest/gtest.h>

#include "app/RunModes.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

class RelaunchTest : public fakes::PlatformTest {
 protected:
  RelaunchTest() {
    processes.programPath = "C:\\Downloads\\Installer.exe";
    files.CreateFolder("C:\\Downloads");
    WriteFile("C:\\Downloads\\Installer.exe", "MZ program");
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
      // Another program of the user's cannot change the copy while it runs elevated.
      EXPECT_FALSE(files.WriteAll(request.file, "MZ other"));
      EXPECT_FALSE(files.RemoveFile(request.file));
      return os::ShellAnswer{row.started, 42, 0, row.started ? 9u : 0u};
    };
    processes.exitCodes[9] = row.runExit;
    int endedWith = -1;
    try {
      app::Main();
    } catch (const fakes::ProcessEnded& ended) {
      endedWith = ended.code;
    }
    EXPECT_EQ(endedWith, row.exitCode);
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

TEST_F(RelaunchTest, ACopyChangedBeforeItIsHeldNeverRuns) {
  // Another program of the user's swaps the copy in the temporary folder before the relauncher
  // holds it: the elevated start must not run what it did not write.
  files.afterCopy = [&](const std::string& to) {
    if (to.ends_with(".exe")) WriteFile(to, "MZ someone else's program");
  };
  int endedWith = -1;
  try {
    app::Main();
  } catch (const fakes::ProcessEnded& ended) {
    endedWith = ended.code;
  }
  EXPECT_EQ(endedWith, 1603);
  EXPECT_TRUE(processes.started.empty());
  EXPECT_TRUE(std::filesystem::is_empty(Host("C:\\Temp\\")));
}

}  // namespace
