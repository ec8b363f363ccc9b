#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/DriverLaunch.h"
#include "run/InstallerState.h"
#include "run/WorkFolders.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

const std::string kInstall = "C:\\Temp\\Ins1A2B.tmp_InstallationFolder";
const std::string kStaging = kInstall + "\\driver\\DPInst\\";

class DriverLaunchTest : public fakes::PlatformTest {
 protected:
  DriverLaunchTest() {
    shell.specialFolders[36] = "C:\\Windows";
    files.CreateFolder("C:\\Windows");
    run::State().InstallFolder = kInstall;
    files.CreateFolder(kInstall);
    files.CreateFolder(kInstall + "\\driver");
    files.CreateFolder(kInstall + "\\driver\\DPInst");
    files.CreateFolder(kInstall + "\\driver\\Vista 64bit");
    run::State().DriverSubfolder = "Vista 64bit\\";
    run::State().MsgInstalledCorrectly = "%1 installed";
    run::State().MsgInstalledDrvStore = "%1 in the store";
  }
  std::string DriverFolder() const { return kInstall + "\\Driver\\Vista 64bit\\"; }
  std::vector<std::string> DriverFolderNames() {
    std::vector<std::string> names;
    for (const auto& entry : files.List(DriverFolder() + "*.*"))
      if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(DriverLaunchTest, StagingPicksTheFirstCandidatePerWidth) {
  const std::vector<std::string> shipped = {"DPInst.xml", "DPInstX86Vista.exe",
                                            "DPInstX64Vista.exe", "prjRunWait.exe"};
  const struct {
    const char* name;
    int16_t width;
    std::vector<std::string> payload;
    std::map<std::string, std::string> staged;  // target name -> source it must be a copy of
    std::string program;                        // empty: nothing is run
  } rows[] = {
      {"shipped payload, 32-bit",
       1,
       shipped,
       {{"DPInst.xml", "DPInst.xml"},
        {"DPInstX86.exe", "DPInstX86Vista.exe"},
        {"RunDPInstX86.exe", "prjRunWait.exe"}},
       "RunDPInstX86.exe"},
      {"shipped payload, 64-bit",
       2,
       shipped,
       {{"DPInst.xml", "DPInst.xml"},
        {"DPInstX64.exe", "DPInstX64Vista.exe"},
        {"RunDPInstX64.exe", "prjRunWait.exe"}},
       "RunDPInstX64.exe"},
      {"no launcher, older installer name",
       1,
       {"DPInstX86.exe", "DPInstX64.exe"},
       {{"DPInstX86.exe", "DPInstX86.exe"}},
       "DPInstX86.exe"},
      {"first icon, licence and bitmap",
       2,
       {"NorvaneInt.ico", "Norvane.ico", "NorvaneTrv.ico", "EULA.txt", "Norvane.bmp",
        "DPInstX64.exe", "DPInstX64Vista.exe"},
       {{"NorvaneInt.ico", "NorvaneInt.ico"},
        {"EULA.txt", "EULA.txt"},
        {"Norvane.bmp", "Norvane.bmp"},
        {"DPInstX64.exe", "DPInstX64Vista.exe"}},
       "DPInstX64.exe"},
      {"launcher order, last two",
       1,
       {"Run.exe", "RunDPInst.exe"},
       {{"RunDPInstX86.exe", "RunDPInst.exe"}},
       "RunDPInstX86.exe"},
      {"launcher order, first two",
       2,
       {"prjRunWait.exe", "RunAddOn.exe"},
       {{"RunDPInstX64.exe", "RunAddOn.exe"}},
       "RunDPInstX64.exe"},
      {"unknown width", 3, shipped, {{"DPInst.xml", "DPInst.xml"}}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    run::DeleteFolderTree(DriverFolder());
    files.CreateFolder(DriverFolder());
    files.CreateFolder(kStaging);
    for (const std::string& name : row.payload) WriteFile(kStaging + name, "payload " + name);
    processes.started.clear();
    processes.waited.clear();
    windows = fakes::FakeWindows();
    run::State().InstallMode = "->DRIVER";
    int16_t width = row.width;
    std::string subfolder = "Vista 64bit\\";

    app::LaunchDriverInstaller(width, subfolder);

    EXPECT_EQ(subfolder, DriverFolder());
    std::vector<std::string> expectedNames;
    for (const auto& [target, source] : row.staged) {
      expectedNames.push_back(target);
      EXPECT_EQ(ReadFile(DriverFolder() + target), "payload " + source) << target;
    }
    EXPECT_EQ(DriverFolderNames(), expectedNames);
    if (row.program.empty()) {
      EXPECT_TRUE(processes.started.empty());
      EXPECT_TRUE(windows.wait.visible);
      EXPECT_TRUE(std::filesystem::exists(Host(kStaging)));
      continue;
    }
    EXPECT_FALSE(std::filesystem::exists(Host(kStaging)));
    ASSERT_EQ(processes.started.size(), 1u);
    const os::ShellRequest& request = processes.started[0];
    EXPECT_EQ(request.file, DriverFolder() + row.program);
    EXPECT_EQ(request.owner, windows.wait.Handle());
    EXPECT_EQ(request.verb, "open");
    EXPECT_EQ(request.parameters, "");
    EXPECT_EQ(request.directory, "");
    EXPECT_EQ(request.show, 1);
    EXPECT_EQ(processes.waited.size(), 1u);
    // A 64-bit run brings the progress window back; a 32-bit one leaves it hidden.
    EXPECT_EQ(windows.wait.visible, row.width == 2);
  }
}

TEST_F(DriverLaunchTest, ModesDecideStagingAndAnalysis) {
  const std::string earlierLog = "INFO:   an earlier run\r\n";
  const struct {
    const char* mode;
    std::string program;  // run from the driver folder
    bool staged;
    bool analysed;
    uint32_t programExit, runExit;  // the launched program's exit code, the run's
  } rows[] = {
      {"->DRIVER_SILENT", "RunDPInstX64.exe", true, true, 0x80010000, 0},  // the log decides
      {"->DRIVER", "RunDPInstX64.exe", true, false, 0x40000001, 3010},
      {"->DRIVER", "RunDPInstX64.exe", true, false, 0xC0010001, 1603},
      {"->driver_silent", "->driver_silent", false, false, 0, 0},
      {"Setup.exe", "Setup.exe", false, false, 3010, 3010},
      {"Setup.exe", "Setup.exe", false, false, 1, 1603},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    run::DeleteFolderTree(DriverFolder());
    files.CreateFolder(DriverFolder());
    files.CreateFolder(kStaging);
    for (const char* name : {"DPInst.xml", "DPInstX64Vista.exe", "prjRunWait.exe"})
      WriteFile(kStaging + name, name);
    files.RemoveFile("C:\\Windows\\DPINST.LOG");
    files.RemoveFile("C:\\Windows\\DPINST.128");
    WriteFile("C:\\Windows\\DPINST.LOG", earlierLog);
    processes.started.clear();
    processes.waited.clear();
    windows = fakes::FakeWindows();
    run::State().InstallMode = row.mode;
    run::State().ExitCode = run::kExitFailed;
    processes.exitCodes[7] = row.programExit;
    bool logSetAside = false;
    processes.onExecute = [&](const os::ShellRequest&) {
      logSetAside = !std::filesystem::exists(Host("C:\\Windows\\DPINST.LOG")) &&
                    ReadFile("C:\\Windows\\DPINST.128") == earlierLog;
      if (!files.Append("C:\\Windows\\DPINST.LOG", "")) WriteFile("C:\\Windows\\DPINST.LOG", "");
      files.Append("C:\\Windows\\DPINST.LOG", "INFO:   Current working directory: '" +
                                                  DriverFolder() +
                                                  "'\r\nINFO:   Returning with code 0x100\r\n");
      return os::ShellAnswer{true, 42, 0, 7};
    };
    int16_t width = 2;
    std::string subfolder = "Vista 64bit\\";

    app::LaunchDriverInstaller(width, subfolder);

    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(processes.started[0].file, DriverFolder() + row.program);
    EXPECT_EQ(processes.started[0].show, 1);
    EXPECT_EQ(std::filesystem::exists(Host(DriverFolder() + "DPInst.xml")), row.staged);
    EXPECT_EQ(std::filesystem::exists(Host(kStaging)), !row.staged);
    EXPECT_EQ(logSetAside, row.staged);
    EXPECT_EQ(windows.finish.shown, row.analysed);
    EXPECT_EQ(run::State().ExitCode, row.runExit);
    if (row.analysed) {
      EXPECT_EQ(windows.finish.label, "1 in the store");
    }
    // The analysis hides the progress window again for its outcome.
    EXPECT_EQ(windows.wait.visible, row.staged && !row.analysed);
  }
}

}  // namespace
