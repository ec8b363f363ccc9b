#include <gtest/gtest.h>

#include "app/RunModes.h"
#include "run/CloseDown.h"
#include "run/InstallerState.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

class CloseDownTest : public fakes::PlatformTest {
 protected:
  CloseDownTest() {
    app::HandOverRunSteps();
    processes.programPath = "C:\\Temp\\Ins1A2B.tmp.exe";
    files.CreateFolder("C:\\Windows");
    WriteFile("C:\\Windows\\win.ini", "keep");
    WriteFile("C:\\Temp\\other.txt", "keep");
    WriteFile("C:\\Temp\\config.txt", "[Config]");
    files.CreateFolder("C:\\Temp\\Ins1A2B.tmp_InstallationFolder");
    files.CreateFolder("C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\driver");
    WriteFile("C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\driver\\a.inf", "inf");
  }
};

// Closing the progress window before the extraction has set the paths must still clean up this
// program's own files, and nothing else: an empty work folder path names the drive's root.
TEST_F(CloseDownTest, ClosingBeforeThePathsAreSetRemovesOnlyTheRunsFiles) {
  for (const bool pathsSet : {false, true}) {
    SCOPED_TRACE(pathsSet ? "paths set" : "paths not set yet");
    if (pathsSet) {
      run::State().TempFolder = "C:\\Temp\\";
      run::State().InstallFolder = "C:\\Temp\\Ins1A2B.tmp_InstallationFolder";
      WriteFile("C:\\Temp\\config.txt", "[Config]");
      files.CreateFolder("C:\\Temp\\Ins1A2B.tmp_InstallationFolder");
    }
    EXPECT_THROW(run::UnloadWait(), fakes::ProcessEnded);
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\Temp\\Ins1A2B.tmp_InstallationFolder")));
    EXPECT_EQ(ReadFile("C:\\Temp\\config.txt"), "[Config]") << "another program's file";
    EXPECT_EQ(ReadFile("C:\\Temp\\other.txt"), "keep");
    EXPECT_EQ(ReadFile("C:\\Windows\\win.ini"), "keep");
    EXPECT_TRUE(run::State().InstallFolder.empty());
  }
}

TEST_F(CloseDownTest, CloseDownMergesTheSetAsideLogAndUnloadsBothWindows) {
  shell.specialFolders[36] = "C:\\Windows";
  WriteFile("C:\\Windows\\DPINST.LOG", "new run\r\n");
  WriteFile("C:\\Windows\\DPINST.128", "earlier run\r\n");  // set aside at 8:xx on 12/07
  windows.finish.SetOutcome("text", "Finished");
  EXPECT_THROW(run::CloseDown(), fakes::ProcessEnded);
  EXPECT_EQ(ReadFile("C:\\Windows\\DPINST.LOG"), "earlier run\r\nnew run\r\n");
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Windows\\DPINST.128")));
  EXPECT_TRUE(windows.finish.unloaded);
  EXPECT_TRUE(windows.wait.timerStopped);
}

}  // namespace
