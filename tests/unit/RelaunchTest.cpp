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

TEST_F(RelaunchTest, RunsAFreshTemporaryCopyAndRemovesItAfterwards) {
  for (const char* arguments : {"", "debug", "Debug"}) {
    SCOPED_TRACE(arguments);
    processes.arguments = arguments;
    processes.started.clear();
    std::string copySeen;
    processes.onExecute = [&](const os::ShellRequest& request) {
      copySeen = ReadFile(request.file);
      return os::ShellAnswer{true, 42, 0, 9};
    };
    EXPECT_THROW(app::Main(), fakes::ProcessEnded);
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
    EXPECT_EQ(processes.waited, std::vector<uintptr_t>{9});
    processes.waited.clear();
    // Neither the copy nor the empty temporary file it was named after is left.
    EXPECT_TRUE(std::filesystem::is_empty(Host("C:\\Temp")));
    EXPECT_FALSE(windows.tempLoaded);
  }
}

}  // namespace
