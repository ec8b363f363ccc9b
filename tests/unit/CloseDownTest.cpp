#include <gtest/gtest.h>

#include "app/RunModes.h"
#include "os/Files.h"
#include "run/CloseDown.h"
#include "run/InstallerState.h"
#include "run/WorkFolders.h"
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

// The clean-up removes this run's own files and nothing else. Closed before the extraction set the
// paths (an empty work folder path names the drive's root) or prepared the work folder, no worker
// has run: what stands at the work folder's name is not the run's and stays. Prepared, the folder
// goes: by its path when the workers made it, through its handles when the run made and held it.
TEST_F(CloseDownTest, TheCleanUpRemovesOnlyTheRunsFiles) {
  const std::string work = "C:\\Temp\\Ins1A2B.tmp_InstallationFolder";
  const struct {
    const char* name;
    bool prepared;
    bool elevated;
  } rows[] = {{"closed before the paths were set", false, false},
              {"prepared for the workers", true, false},
              {"prepared and held, elevated", true, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    version.Set(2, 6, 1, "");
    version.admin = row.elevated;
    if (row.prepared) {
      std::filesystem::remove_all(Host(work));
      run::InitWorkPaths();
      ASSERT_TRUE(run::CreateWorkFolder());
      files.CreateFolder(work);
      files.CreateFolder(work + "\\driver");
      WriteFile(work + "\\driver\\a.inf", "inf");
      WriteFile(work + "\\driver\\b.sys", "sys");
      files.SetAttributes(work + "\\driver\\b.sys", os::kAttrReadOnly);
    }
    EXPECT_THROW(run::UnloadWait(), fakes::ProcessEnded);
    EXPECT_EQ(std::filesystem::exists(Host(work)), !row.prepared);
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
