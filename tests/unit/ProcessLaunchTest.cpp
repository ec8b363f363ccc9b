// Starting a program and waiting for it, and what that does to the progress window.
#include <gtest/gtest.h>

#include "app/ProcessLaunch.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

class ProcessLaunchTest : public fakes::PlatformTest {};

TEST_F(ProcessLaunchTest, ResultWaitAndProgressWindowFollowTheShellsAnswer) {
  struct Row {
    const char* name;
    os::ShellAnswer answer;
    int show;
    bool waitLoaded, waitVisible;
    uint32_t result;
    bool waited;
    bool visibleAfter;
  };
  const Row rows[] = {
      {"hidden launch keeps a visible window", {true, 42, 0, 777}, 0, true, true, 42, true, true},
      {"normal launch hides a visible window", {true, 42, 0, 777}, 1, true, true, 42, true, false},
      {"normal launch with the window hidden", {true, 42, 0, 777}, 1, true, false, 42, true, false},
      {"missing file: the error, no wait", {false, 2, 2, 0}, 1, true, true, 2, false, true},
      {"refused with a process handle all the same",
       {false, 5, 1155, 777},
       1,
       true,
       true,
       1155,
       true,
       false},
      {"accepted without a process: nothing to wait for",
       {true, 33, 0, 0},
       1,
       true,
       true,
       33,
       false,
       true},
  };
  for (const Row& row : rows) {
    processes.started.clear();
    processes.waited.clear();
    windows.waitLoaded = row.waitLoaded;
    windows.wait.visible = row.waitVisible;
    processes.onExecute = [&row](const os::ShellRequest&) { return row.answer; };
    EXPECT_EQ(app::ShellRunAndWait(0x10, "open", "C:\\x.exe", "", "", row.show), row.result)
        << row.name;
    ASSERT_EQ(processes.started.size(), 1u) << row.name;
    EXPECT_EQ(processes.waited, row.waited ? std::vector<uintptr_t>{777} : std::vector<uintptr_t>{})
        << row.name;
    EXPECT_EQ(windows.wait.visible, row.visibleAfter) << row.name;
  }
}

TEST_F(ProcessLaunchTest, RelauncherWithoutProgressWindowDoesNotLoadIt) {
  windows.waitLoaded = false;
  app::ShellRunAndWait(0x9abc, "open", "C:\\Temp\\copy.exe", "temp", "", 1);
  EXPECT_FALSE(windows.waitLoaded);
  ASSERT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(processes.started[0].owner, 0x9abcu);
  EXPECT_EQ(processes.started[0].parameters, "temp");
}

}  // namespace
