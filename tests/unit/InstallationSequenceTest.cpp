#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "app/InstallationSequence.h"
#include "run/InstallerState.h"
#include "run/WorkFolders.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

using fakes::ShippedConfiguration;

// A run whose workers have left nothing but the configuration, as after a failed extraction.
class InstallationSequenceTest : public fakes::PlatformTest {
 protected:
  ~InstallationSequenceTest() override { run::DeleteWorkFolder(); }
  InstallationSequenceTest() {
    processes.programPath = "C:\\Temp\\Ins1A2B.tmp.exe";
    version.Set(2, 6, 1, "Service Pack 1");  // Windows 7
    run::InitWorkPaths();
    run::CreateWorkFolder();  // elevated: only the folder the run made and holds is cleaned up
    WriteFile("C:\\Temp\\config.txt", ShippedConfiguration());
    shell.specialFolders[36] = "C:\\Windows";
    files.CreateFolder("C:\\Windows");
    version.wow64 = true;
  }

  // Runs the sequence to the end of the process; true when it ended there (with endedWith).
  bool RunToEnd() {
    try {
      app::RunInstallation();
    } catch (const fakes::ProcessEnded& ended) {
      endedWith = ended.code;
      return true;
    }
    return false;
  }
  int endedWith = -1;

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : shell.messages) texts.push_back(message.text);
    return texts;
  }
};

TEST_F(InstallationSequenceTest, EmptyDriverCabinetEndsWithTheExtractionMessageAndCleansUp) {
  WriteFile(run::State().InstallFolder + "\\1.cab", "");
  EXPECT_TRUE(RunToEnd());
  ASSERT_EQ(MessageTexts(), std::vector<std::string>{"Error extracting files"});
  EXPECT_EQ(shell.messages[0].title, "Norvane Driver/Utility Installer v1.4");
  EXPECT_EQ(endedWith, 1603);
  EXPECT_TRUE(processes.started.empty());
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Temp\\Ins1A2B.tmp_InstallationFolder")));
  EXPECT_TRUE(std::filesystem::exists(Host("C:\\Temp\\config.txt"))) << "not the run's";
}

TEST_F(InstallationSequenceTest, MissingCabinetsStillReachTheLaunchSilently) {
  EXPECT_TRUE(RunToEnd());  // no log afterwards: no finish window, so the run cleans up
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  ASSERT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(processes.started[0].file,
            "C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\Driver\\Vista 64bit\\DPInstX64.exe");
  EXPECT_EQ(windows.wait.statusText, "Files extracted. Loading Setup...");
  EXPECT_TRUE(windows.wait.timerStopped);
  EXPECT_EQ(windows.wait.progressHistory.front(), 90);
  EXPECT_TRUE(std::filesystem::exists(Host("C:\\Temp\\config.txt"))) << "not the run's";
}

TEST_F(InstallationSequenceTest, AdministratorQuestion) {
  const struct {
    const char* name;
    uint32_t platformId, major, minor;
    std::optional<bool> admin;
    int answer;
    bool asked, launched;
    int exitCode;  // a launch leaves no log here: nothing installed
  } rows[] = {
      {"administrator on Windows 7", 2, 6, 1, true, os::kIdYes, false, true, 1603},
      {"user on Windows 7 says no", 2, 6, 1, false, os::kIdNo, true, false, 1602},
      {"user on Windows 7 says yes", 2, 6, 1, false, os::kIdYes, true, true, 1603},
      {"test unreachable on XP, no", 2, 5, 1, std::nullopt, os::kIdNo, true, false, 1602},
      {"Windows 98 is never asked, refused", 1, 4, 10, false, os::kIdNo, false, false, 1633},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    shell.messages.clear();
    processes.started.clear();
    files.CreateFolder(run::State().InstallFolder);
    WriteFile("C:\\Temp\\config.txt", ShippedConfiguration());
    version.Set(row.platformId, row.major, row.minor, "");
    version.admin = row.admin;
    shell.answers = {row.answer};
    EXPECT_TRUE(RunToEnd());
    const bool asked = !shell.messages.empty() && shell.messages[0].title == "Critical Error";
    EXPECT_EQ(asked, row.asked);
    if (asked) {
      EXPECT_EQ(shell.messages[0].text,
                "You do not seem to have administrator rights. The installation might fail. Do "
                "you want to continue?");
      EXPECT_EQ(shell.messages[0].style, os::kMbYesNo);
    }
    EXPECT_EQ(!processes.started.empty(), row.launched);
    EXPECT_EQ(endedWith, row.exitCode);
    run::State().ExitCode = run::kExitFailed;
    run::InitWorkPaths();  // the clean-up emptied the paths
  }
}

TEST_F(InstallationSequenceTest, ProcessorWidthFollowsTheKeysEnding) {
  const struct {
    uint32_t major, minor;
    bool wow64;
    const char* program;
  } rows[] = {
      {6, 1, true, "Vista 64bit\\DPInstX64.exe"},   {6, 0, false, "Vista 32bit\\DPInstX86.exe"},
      {5, 1, true, "XP_2003 64bit\\DPInstX64.exe"}, {5, 1, false, "2000_XP\\DPInstX86.exe"},
      {5, 2, true, "XP_2003 64bit\\DPInstX64.exe"}, {5, 2, false, "2000_XP\\DPInstX86.exe"},
      {5, 0, true, "2000_XP\\DPInstX86.exe"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.major) + "." + std::to_string(row.minor));
    processes.started.clear();
    files.CreateFolder(run::State().InstallFolder);
    WriteFile("C:\\Temp\\config.txt", ShippedConfiguration());
    version.Set(2, row.major, row.minor, "Service Pack 4");
    version.wow64 = row.wow64;
    EXPECT_TRUE(RunToEnd());
    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(processes.started[0].file,
              std::string("C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\Driver\\") + row.program);
    run::InitWorkPaths();
  }
}

TEST_F(InstallationSequenceTest, FinishWindowOnScreenKeepsTheRunAlive) {
  // A log of one package left in the store, written by the started installer.
  processes.onExecute = [this](const os::ShellRequest&) {
    WriteFile("C:\\Windows\\DPINST.LOG",
              "INFO:   Current working directory: 'C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\"
              "Driver\\Vista 64bit'\r\nINFO:   Returning with code 0x100\r\n");
    return os::ShellAnswer{true, 42, 0, 7};
  };
  EXPECT_FALSE(RunToEnd());
  EXPECT_TRUE(windows.finish.shown);
  EXPECT_EQ(windows.finish.caption, "Finished");
  EXPECT_EQ(windows.finish.label,
            "If your device isn't plugged in yet, connect it now to finish the installation.");
  EXPECT_TRUE(std::filesystem::exists(Host("C:\\Temp\\config.txt")));
}

}  // namespace
