// The parent side that runs the two workers, and the worker that writes one cabinet.
#include <gtest/gtest.h>

#include "app/ExtractionWorker.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

namespace fs = std::filesystem;

class ExtractionWorkerTest : public fakes::PlatformTest {
 protected:
  ExtractionWorkerTest() {
    processes.programPath = "C:\\Temp\\Installer.exe";
    run::State().InstallerPath = "C:\\Temp\\Installer.exe";
    WriteFile("C:\\Temp\\Installer.exe", "MZ program");
    resources.resources[{"CAB", 386}] = std::string("MSCF\0\0\x01\x02 dpinst payload", 24);
    resources.resources[{"CAB", 1}] = "MSCF driver payload";
    resources.resources[{"CONFIG", 7}] = "[Vista]\r\nSupported=yes\r\n";
  }

  std::vector<std::string> TempFolderFiles() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Host("C:\\Temp")))
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(ExtractionWorkerTest, PayloadsRunBothWorkersHiddenAndRaiseTheCounterTo70) {
  WriteFile("C:\\Temp\\config.txt", std::string(500, '#'));  // another program's
  int16_t counter = 45;
  app::ExtractPayloads(counter);
  EXPECT_EQ(counter, 70);
  EXPECT_EQ(windows.wait.progressHistory, (std::vector<int>{50, 60, 65, 70}));
  ASSERT_EQ(processes.started.size(), 2u);
  const char* parameters[] = {"/ExTracT Installer 386", "/ExTracT Installer 1"};
  for (size_t i = 0; i < 2; ++i) {
    const os::ShellRequest& request = processes.started[i];
    EXPECT_EQ(request.owner, 0u) << i;
    EXPECT_EQ(request.verb, "open") << i;
    EXPECT_EQ(request.file, "C:\\Temp\\Installer.exe") << i;
    EXPECT_EQ(request.parameters, parameters[i]) << i;
    EXPECT_EQ(request.directory, "") << i;
    EXPECT_EQ(request.show, 0) << i;
  }
  EXPECT_EQ(processes.waited.size(), 2u) << "each worker is waited for";
  EXPECT_EQ(shell.sleeps, (std::vector<uint32_t>{10, 10, 25}));
  EXPECT_FALSE(fs::exists(Host("C:\\Temp\\Installer.exe"))) << "the installer file is removed";
  EXPECT_EQ(ReadFile("C:\\Temp\\config.txt"), std::string(500, '#')) << "never touched";
  EXPECT_EQ(run::State().InstallFolder, "C:\\Temp\\Installer_InstallationFolder");
  EXPECT_FALSE(windows.wait.visible == false) << "hidden workers leave the window alone";
}

TEST_F(ExtractionWorkerTest, MissingConfigurationLeavesAnotherProgramsConfigTextAlone) {
  resources.resources.erase({"CONFIG", 7});
  WriteFile("C:\\Temp\\config.txt", "from an earlier run");
  int16_t counter = 45;
  app::ExtractPayloads(counter);
  EXPECT_EQ(counter, 70);
  EXPECT_EQ(ReadFile("C:\\Temp\\config.txt"), "from an earlier run");
}

TEST_F(ExtractionWorkerTest, WorkerWritesItsCabinetAndLeavesNoTemporaryFile) {
  const struct {
    const char* argument;
    const char* file;
    std::string bytes;
  } rows[] = {
      {"386", "386.cab", resources.resources[{"CAB", 386}]},
      {"1", "1.cab", resources.resources[{"CAB", 1}]},
      {"7", "7.cab", ""},  // no CAB 7: an empty file, as the parent expects of a failed worker
  };
  // The same files whether the platform renames the temporary file or copies and deletes it,
  // over a longer cabinet of that name that an earlier run left.
  for (const bool refuseMoves : {false, true}) {
    files.refuseMoves = refuseMoves;
    for (const auto& row : rows) {
      const std::string target = std::string("C:\\Temp\\Installer_InstallationFolder\\") + row.file;
      const std::string trace =
          std::string(row.argument) + (refuseMoves ? " by copy" : " by rename");
      fs::remove_all(Host("C:\\Temp\\Installer_InstallationFolder"));
      fs::create_directory(Host("C:\\Temp\\Installer_InstallationFolder"));
      WriteFile(target, std::string(4096, 'x'));
      const auto before = TempFolderFiles();
      app::RunExtractionWorker(row.argument);
      EXPECT_EQ(ReadFile(target), row.bytes) << trace;
      EXPECT_EQ(TempFolderFiles(), before) << trace << ": a temporary file was left";
      std::vector<std::string> inWorkFolder;
      for (const auto& entry :
           fs::directory_iterator(Host("C:\\Temp\\Installer_InstallationFolder")))
        inWorkFolder.push_back(entry.path().filename().string());
      EXPECT_EQ(inWorkFolder, std::vector<std::string>{row.file}) << trace;
    }
  }
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(processes.started.empty());
}

TEST_F(ExtractionWorkerTest, SaveResourceReplacesTheFileAndReportsMissingResources) {
  WriteFile("C:\\Temp\\out.bin", std::string(1000, 'z'));
  EXPECT_TRUE(app::SaveResourceToFile(1, "CAB", "C:\\Temp\\out.bin"));
  EXPECT_EQ(ReadFile("C:\\Temp\\out.bin"), "MSCF driver payload");
  EXPECT_FALSE(app::SaveResourceToFile(99, "CAB", "C:\\Temp\\out.bin"));
  EXPECT_EQ(ReadFile("C:\\Temp\\out.bin"), "");
  EXPECT_FALSE(app::SaveResourceToFile(1, "CAB", "C:\\Temp\\no\\such\\folder\\out.bin"));
}

TEST(WorkerResourceId, LeadingNumberRoundedToEven) {
  const std::pair<const char*, int32_t> rows[] = {
      {"386", 386},
      {"1", 1},
      {"  12", 12},
      {"\t5", 5},
      {"386 extra", 386},
      {"2.5", 2},
      {"3.5", 4},
      {"2.51", 3},
      {"2.500", 2},
      {"-2.5", -2},
      {".5", 0},
      {"1.", 1},
      {"2147483648", 0},
      {"-2147483648", INT32_MIN},
      {"-7", -7},
      {"", 0},
      {"abc", 0},
      {"0x1F", 0},
      {"inf", 0},
      {"9999999999", 0},
      {"2147483647", 2147483647},
  };
  for (const auto& [argument, id] : rows)
    EXPECT_EQ(app::WorkerResourceId(argument), id) << argument;
}

}  // namespace
