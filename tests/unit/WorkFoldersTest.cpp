#include <gtest/gtest.h>

#include <fstream>

#include "app/InstallerState.h"
#include "app/WorkFolders.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

TEST(EnsureTrailingBackslash, AddsExactlyOne) {
  EXPECT_EQ(app::EnsureTrailingBackslash(""), "\\");
  EXPECT_EQ(app::EnsureTrailingBackslash("C:\\X"), "C:\\X\\");
  EXPECT_EQ(app::EnsureTrailingBackslash("C:\\X\\"), "C:\\X\\");
}

class WorkFoldersTest : public fakes::PlatformTest {};

TEST_F(WorkFoldersTest, WorkPathsFollowTheProgramName) {
  processes.programPath = "C:\\Downloads\\Installer.exe";
  app::InitWorkPaths();
  EXPECT_EQ(app::State().TempFolder, "C:\\Temp\\");
  EXPECT_EQ(app::State().InstallFolder, "C:\\Temp\\Installer_InstallationFolder");
  app::InitWorkPaths();
  EXPECT_EQ(app::State().InstallFolder, "C:\\Temp\\Installer_InstallationFolder");
  processes.programPath = "C:\\Temp\\Ins1A2B.tmp.exe";
  app::InitWorkPaths();
  EXPECT_EQ(app::State().InstallFolder, "C:\\Temp\\Ins1A2B.tmp_InstallationFolder");
}

TEST_F(WorkFoldersTest, TempFileNamesAreNewEmptyFiles) {
  const std::string first = app::MakeTempFileName();
  const std::string second = app::MakeTempFileName();
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind("C:\\Temp\\Ins", 0), 0u) << first;
  EXPECT_TRUE(app::FileExists(first));
  EXPECT_EQ(files.Length(first), 0u);
}

TEST_F(WorkFoldersTest, FileAndFolderTestsTellTheKindsApart) {
  WriteFile("C:\\Temp\\file.txt", "x");
  files.CreateFolder("C:\\Temp\\Empty");
  const struct {
    const char* path;
    bool file;
    bool folder;
  } rows[] = {
      {"C:\\Temp\\file.txt", true, false},
      {"C:\\TEMP\\FILE.TXT", true, false},
      {"C:\\Temp\\Empty", false, true},
      {"C:\\Temp\\Empty\\", false, true},
      {"C:\\Temp\\missing", false, false},
      {"Q:\\nothing\\here", false, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(app::FileExists(row.path), row.file) << row.path;
    EXPECT_EQ(app::FolderExists(row.path), row.folder) << row.path;
  }
}

TEST_F(WorkFoldersTest, DeleteFolderTreeRemovesNestedAndReadOnlyFiles) {
  files.CreateFolder("C:\\Temp\\Work");
  WriteFile("C:\\Temp\\Work\\1.cab", "cab");
  files.CreateFolder("C:\\Temp\\Work\\driver");
  files.CreateFolder("C:\\Temp\\Work\\driver\\2000_XP");
  files.CreateFolder("C:\\Temp\\Work\\driver\\2000_XP\\deep");
  WriteFile("C:\\Temp\\Work\\driver\\2000_XP\\deep\\a.inf", "inf");
  WriteFile("C:\\Temp\\Work\\driver\\ro.sys", "sys");
  files.SetAttributes("C:\\Temp\\Work\\driver\\ro.sys", os::kAttrReadOnly);
  files.CreateFolder("C:\\Temp\\Work\\empty");
  WriteFile("C:\\Temp\\keep.txt", "keep");

  app::DeleteFolderTree("C:\\Temp\\Work");

  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Temp\\Work")));
  EXPECT_EQ(ReadFile("C:\\Temp\\keep.txt"), "keep");
}

TEST_F(WorkFoldersTest, DeleteFolderTreeOfAMissingFolderDoesNothing) {
  app::DeleteFolderTree("C:\\Temp\\never");
  EXPECT_TRUE(std::filesystem::exists(Host("C:\\Temp")));
}

}  // namespace
