#include <gtest/gtest.h>

#include "app/RunModes.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

using app::RunMode;

struct ModeRow {
  const char* commandLine;
  const char* exeName;
  RunMode mode;
};

TEST(RunModes, CommandLineSelectsTheRoleInTableOrder) {
  const ModeRow rows[] = {
      {"/GiveName", "Installer", RunMode::NameDisplay},
      {"/givename", "Installer", RunMode::None},
      {"/GiveName ", "Installer", RunMode::None},
      {"/Addinstaller/Manifest", "Installer", RunMode::ManifestCopy},
      {"/AddInstaller/Manifest", "Installer", RunMode::None},
      {"/Addmydrv/Manifest", "MyDrv", RunMode::ManifestCopy},
      {"/AddMyDrv/Manifest", "MyDrv", RunMode::None},
      {"", "Installer", RunMode::Relaunch},
      {"debug", "Installer", RunMode::Relaunch},
      {"Debug", "Installer", RunMode::Relaunch},
      {"DEBUG", "Installer", RunMode::Relaunch},
      {"debug ", "Installer", RunMode::None},
      {"temp", "Installer", RunMode::InstallationRun},
      {"Temp", "Installer", RunMode::None},
      {"/ExTracT Installer 386", "Installer", RunMode::ExtractionWorker},
      {"/ExTracT MyDrv 386", "MyDrv", RunMode::ExtractionWorker},
      {"/ExTracT MyDrv 386", "Installer", RunMode::None},
      {"/extract Installer 386", "Installer", RunMode::None},
      {"/ExTracT Installer", "Installer", RunMode::ExtractionWorker},
      {"/S", "Installer", RunMode::None},
      // The name display wins over a program whose manifest command would read the same.
      {"/GiveName", "iveName", RunMode::NameDisplay},
  };
  for (const ModeRow& row : rows) {
    EXPECT_EQ(app::SelectRunMode(row.commandLine, row.exeName), row.mode)
        << "command line \"" << row.commandLine << "\", program " << row.exeName;
  }
}

TEST(RunModes, WorkerArgumentIsWhatFollowsThePrefixAndOneCharacter) {
  EXPECT_EQ(app::WorkerArgument("/ExTracT Installer 386", "Installer"), "386");
  EXPECT_EQ(app::WorkerArgument("/ExTracT Installer 1", "Installer"), "1");
  EXPECT_EQ(app::WorkerArgument("/ExTracT Installer ", "Installer"), "");
  EXPECT_EQ(app::WorkerArgument("/ExTracT Installer", "Installer"), std::nullopt);
}

TEST(ProgramIdentity, NameAndFolderComeFromTheProgramPath) {
  const struct {
    const char* path;
    const char* name;
    const char* folder;
  } rows[] = {
      {"C:\\Downloads\\Setup.exe", "Setup", "C:\\Downloads"},
      {"C:\\Downloads\\Setup.EXE", "Setup", "C:\\Downloads"},
      {"C:\\Users\\me\\Temp\\Ins1A2B.tmp.exe", "Ins1A2B.tmp", "C:\\Users\\me\\Temp"},
      {"C:\\x.y\\My Drv.exe", "My Drv", "C:\\x.y"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(run::ExeNameOf(row.path), row.name) << row.path;
    EXPECT_EQ(run::ExeFolderOf(row.path), row.folder) << row.path;
  }
}

class MainTest : public fakes::PlatformTest {};

TEST_F(MainTest, NameDisplayShowsTheManifestCommandAndEnds) {
  processes.programPath = "C:\\Downloads\\Setup.exe";
  processes.arguments = "/GiveName";
  EXPECT_THROW(app::Main(), fakes::ProcessEnded);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "/Addsetup/Manifest");
  EXPECT_EQ(shell.messages[0].title, "Norvane Driver/Utility Installer v1.4");
  EXPECT_EQ(shell.messages[0].style, os::kMbOk);
}

TEST_F(MainTest, UnknownArgumentsEndSilently) {
  for (const char* arguments : {"/S", "Temp", "/givename", "/ExTracT Other 1"}) {
    processes.arguments = arguments;
    EXPECT_THROW(app::Main(), fakes::ProcessEnded) << arguments;
  }
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(processes.started.empty());
}

TEST_F(MainTest, InstallationRunWithoutItsWindowEndsInsteadOfWaitingForEver) {
  processes.arguments = "temp";
  windows.waitCannotBeCreated = true;
  files.CreateFolder("C:\\Temp\\Installer_InstallationFolder");
  EXPECT_THROW(app::Main(), fakes::ProcessEnded);
  // No worker has run: the folder at the work folder's name is not this run's to delete.
  EXPECT_TRUE(std::filesystem::exists(Host("C:\\Temp\\Installer_InstallationFolder")));
}

TEST_F(MainTest, InstallationRunShowsTheProgressWindowAndKeepsRunning) {
  processes.arguments = "temp";
  windows.wait.visible = false;
  EXPECT_TRUE(app::Main());
  EXPECT_TRUE(windows.wait.visible);
  EXPECT_EQ(run::State().InstallerPath, "C:\\Users\\me\\Downloads\\Installer.exe");
}

}  // namespace
