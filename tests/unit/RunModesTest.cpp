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
      {"/quiet", "Installer", RunMode::Relaunch},
      {"/PASSIVE /NoRestart", "Installer", RunMode::Relaunch},
      {"/log=\"C:\\My Logs\\a.log\" /quiet", "Installer", RunMode::Relaunch},
      {"temp /quiet /log=C:\\a.log", "Installer", RunMode::InstallationRun},
      {"/uninstall /quiet", "Installer", RunMode::Relaunch},
      {"temp /uninstall", "Installer", RunMode::InstallationRun},
      {"/RemoveKeptCopy", "Installer", RunMode::KeptCopyRemoval},
      {"/removekeptcopy", "Installer", RunMode::None},
      {"temp ", "Installer", RunMode::None},
      {"temp/quiet", "Installer", RunMode::None},
      {"debug /quiet", "Installer", RunMode::None},
      {"/quiet debug", "Installer", RunMode::None},
      {"/quiet /quiet", "Installer", RunMode::None},
      {" ", "Installer", RunMode::None},
      // The name display wins over a program whose manifest command would read the same.
      {"/GiveName", "iveName", RunMode::NameDisplay},
  };
  for (const ModeRow& row : rows) {
    EXPECT_EQ(app::SelectRunMode(row.commandLine, row.exeName), row.mode)
        << "command line \"" << row.commandLine << "\", program " << row.exeName;
  }
}

TEST(RunModes, SwitchesGiveWhoIsAtTheScreenAndTheLog) {
  using run::Presence;
  const struct {
    const char* text;
    Presence presence;
    bool noRestart;
    const char* logPath;
    bool uninstall = false;
    bool force = false;
  } accepted[] = {
      {"", Presence::Windows, false, ""},
      {"/quiet", Presence::Quiet, false, ""},
      {"/Quiet", Presence::Quiet, false, ""},
      {"/passive", Presence::Passive, false, ""},
      {"/norestart", Presence::Windows, true, ""},
      {"  /passive   /NORESTART ", Presence::Passive, true, ""},
      {"/log=C:\\a.log", Presence::Windows, false, "C:\\a.log"},
      {"/LOG=C:\\A.log /quiet", Presence::Quiet, false, "C:\\A.log"},
      {"/quiet /log=\"C:\\My Logs\\a b.log\"", Presence::Quiet, false, "C:\\My Logs\\a b.log"},
      {"/log=\"C:\\x.log\" /norestart", Presence::Windows, true, "C:\\x.log"},
      {"/log=relative.log", Presence::Windows, false, "relative.log"},
      {"/passive /Uninstall", Presence::Passive, false, "", true},
      {"/quiet /FORCE", Presence::Quiet, false, "", false, true},
  };
  for (const auto& row : accepted) {
    const auto switches = app::ParseSwitches(row.text);
    ASSERT_TRUE(switches.has_value()) << row.text;
    EXPECT_EQ(switches->presence, row.presence) << row.text;
    EXPECT_EQ(switches->noRestart, row.noRestart) << row.text;
    EXPECT_EQ(switches->logPath, row.logPath) << row.text;
    EXPECT_EQ(switches->uninstall, row.uninstall) << row.text;
    EXPECT_EQ(switches->force, row.force) << row.text;
  }
  for (const char* text :
       {"/uninstall /uninstall", "/quiet /passive", "/passive /quiet", "/quiet /QUIET",
        "/norestart /norestart", "/log=a /log=b", "/log=", "/log=\"\"", "/log=\"C:\\no end",
        "/log=\"C:\\a\"b", "/log C:\\a.log", "/S", "/q", "/quiet2", "-quiet", "quiet",
        "/quiet temp", "\t/quiet", "   ", "/force /force", "/forced"}) {
    EXPECT_FALSE(app::ParseSwitches(text).has_value()) << text;
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

TEST_F(MainTest, UnknownArgumentsEndSilentlyAsAnInvalidCommandLine) {
  for (const char* arguments :
       {"/S", "Temp", "/givename", "/ExTracT Other 1", "/quiet /passive", "/log=", "temp /s"}) {
    processes.arguments = arguments;
    try {
      app::Main();
      ADD_FAILURE() << arguments << " did not end";
    } catch (const fakes::ProcessEnded& ended) {
      EXPECT_EQ(ended.code, 1639) << arguments;
    }
  }
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(processes.started.empty());
}

// The ends that come before anything is changed: a log that cannot be written, a run already
// going. With windows the user is told; unattended, nobody is, and no box may wait.
TEST_F(MainTest, EndsBeforeAnythingChangesWithTheirCodes) {
  files.CreateFolder("C:\\Logs");
  const struct {
    const char* arguments;
    bool lockHeld;
    int code;
    size_t boxes;
    const char* logged;  // in C:\Logs\run.log, when the log could be written
  } rows[] = {
      {"/log=C:\\NoFolder\\run.log", false, 1603, 1, nullptr},
      {"/quiet /log=C:\\NoFolder\\run.log", false, 1603, 0, nullptr},
      {"/passive /log=C:\\Logs", false, 1603, 0, nullptr},
      {"temp", true, 1618, 1, nullptr},
      {"temp /log=C:\\Logs\\run.log", true, 1618, 1, "exit code: 1618"},
      {"temp /quiet /log=C:\\Logs\\run.log", true, 1618, 0, "already running"},
      {"temp /passive", true, 1618, 0, nullptr},
  };
  for (const auto& row : rows) {
    shell.messages.clear();
    run::State() = run::InstallerState();
    processes.lockHeldElsewhere = row.lockHeld;
    processes.arguments = row.arguments;
    try {
      app::Main();
      ADD_FAILURE() << row.arguments << " did not end";
    } catch (const fakes::ProcessEnded& ended) {
      EXPECT_EQ(ended.code, row.code) << row.arguments;
    }
    EXPECT_EQ(shell.messages.size(), row.boxes) << row.arguments;
    EXPECT_TRUE(processes.started.empty()) << row.arguments;
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\Temp\\Installer_InstallationFolder")));
    if (row.logged) {
      EXPECT_NE(ReadFile("C:\\Logs\\run.log").find(row.logged), std::string::npos);
    }
  }
  EXPECT_EQ(processes.locks.size(), 0u);
  // A log refused, as a run with administrator rights refuses a link: the box says why.
  files.alterLogFacts = [](os::LogFacts& facts) { facts.link = true; };
  shell.messages.clear();
  processes.arguments = "/log=C:\\Logs\\run.log";
  try {
    app::Main();
  } catch (const fakes::ProcessEnded& ended) {
    EXPECT_EQ(ended.code, 1603);
  }
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text,
            "The log C:\\Logs\\run.log cannot be written: a user could have prepared it.");
}

// Any account may make an object of the lock's name first: only a mutex whose owner a program
// with administrator rights alone can give is a run, and the lock file (which no other account
// can make or open) decides the rest. A run that goes ahead meets an unusable temporary
// folder here and ends with 1603.
TEST_F(MainTest, MachineLockCountsOnlyWhatAnAdministratorMade) {
  files.CreateFolder("C:\\Logs");
  using enum os::AdministratorsLock;
  const struct {
    os::MutexAnswer mutex;
    os::AdministratorsLock lockFile;
    int code;
    const char* logged;
  } rows[] = {
      {{183, true}, Taken, 1618, "already running"},
      {{5, false}, HeldElsewhere, 1618, "already running"},  // a run of another session
      {{183, false}, HeldElsewhere, 1618, "already running"},
      {{6, false}, HeldElsewhere, 1618, "already running"},  // an event of the name
      {{5, false}, Unavailable, 1618, "already running"},    // no rights to tell a squat from a run
      {{183, false}, Taken, 1603, "lock squatted: error 183\r\n"},
      {{5, false}, Taken, 1603, "lock squatted: error 5\r\n"},
      {{6, false}, Taken, 1603, "lock squatted: error 6\r\n"},
      {{6, false}, Unavailable, 1603, "exit code: 1603"},
      {{2, false}, Unavailable, 1603, "exit code: 1603"},  // no "Global\\" name space
      {{0, false}, Taken, 1603, "exit code: 1603"},
  };
  for (const auto& row : rows) {
    const std::string name = std::to_string(row.mutex.error) +
                             (row.mutex.adminOwned ? " admin " : " ") +
                             std::to_string(static_cast<int>(row.lockFile));
    run::State() = run::InstallerState();
    files.RemoveFile("C:\\Logs\\run.log");
    unicode.tempPath = u"C:\\\u4E2D\\";
    processes.mutex = row.mutex;
    processes.lockFile = row.lockFile;
    processes.arguments = "temp /quiet /log=C:\\Logs\\run.log";
    try {
      app::Main();
      ADD_FAILURE() << name << " did not end";
    } catch (const fakes::ProcessEnded& ended) {
      EXPECT_EQ(ended.code, row.code) << name;
    }
    EXPECT_NE(ReadFile("C:\\Logs\\run.log").find(row.logged), std::string::npos) << name;
  }
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
