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
  const struct {
    const char* arguments;
    bool started;
    uint32_t runExit;
    int exitCode;
  } rows[] = {
      {"", true, 3010, 3010},
      {"debug", true, 1602, 1602},
      {"Debug", true, 0, 0},
      {"", false, 0, 1603},  // the copy never ran: nothing was installed
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.arguments) + (row.started ? " started" : " not started"));
    processes.arguments = row.arguments;
    processes.started.clear();
    std::string copySeen;
    processes.onExecute = [&](const os::ShellRequest& request) {
      copySeen = ReadFile(request.file);
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
    EXPECT_EQ(request.file.rfind("C:\\Temp\\Ins", 0), 0u) << request.file;
    EXPECT_EQ(request.file.substr(request.file.size() - 8), ".tmp.exe");
    EXPECT_EQ(app::State().InstallerPath, request.file);
    EXPECT_EQ(copySeen, "MZ program");
    EXPECT_EQ(processes.waited, row.started ? std::vector<uintptr_t>{9} : std::vector<uintptr_t>{});
    processes.waited.clear();
    // Neither the copy nor the empty temporary file it was named after is left.
    EXPECT_TRUE(std::filesystem::is_empty(Host("C:\\Temp")));
    EXPECT_FALSE(windows.tempLoaded);
  }
}

}  // namespace
