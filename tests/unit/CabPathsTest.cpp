// The path procedures of the cabinet side, over real folders.
#include <gtest/gtest.h>

#include "cab/Callback.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

TEST(CabPaths, SplitPathCutsAfterTheLastBackslash) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
  } rows[] = {
      {"C:\\X\\file.inf", "C:\\X\\", "file.inf"},
      {"file.inf", "", "file.inf"},
      {"C:\\X\\", "C:\\X\\", ""},
      {"\\file", "\\", "file"},
      {"", "", ""},
      {"a/b\\c/d", "a/b\\", "c/d"},  // only "\" separates here
  };
  for (const auto& row : rows) {
    std::string folder = "stale", name = "stale";
    cab::SplitPath(row.path, folder, name);
    EXPECT_EQ(folder, row.folder) << row.path;
    EXPECT_EQ(name, row.name) << row.path;
  }
}

TEST(CabPaths, AddTrailingBackslashAddsOnlyWhenMissing) {
  const std::pair<const char*, const char*> rows[] = {
      {"C:\\X", "C:\\X\\"}, {"C:\\X\\", "C:\\X\\"}, {"", "\\"}, {"C:\\X\\\\", "C:\\X\\\\"}};
  for (const auto& [text, expected] : rows)
    EXPECT_EQ(cab::AddTrailingBackslash(text), expected) << text;
}

TEST(CabPaths, FolderCreationCodesFoldWindowsErrors) {
  const std::pair<uint32_t, int> rows[] = {{0, 0},  {183, 75}, {80, 75},  {5, 75},
                                           {3, 76}, {2, -1},   {123, -1}, {21, -1}};
  for (const auto& [error, code] : rows) EXPECT_EQ(cab::FolderCreationCode(error), code) << error;
}

class CreateFolderPathTest : public fakes::PlatformTest {};

TEST_F(CreateFolderPathTest, CreatesMissingParentsAndAcceptsExistingFolders) {
  WriteFile("C:\\Temp\\file.txt", "x");
  std::filesystem::create_directories(Host("C:\\Temp\\have"));
  const struct {
    const char* row;
    const char* path;
    bool result;
    const char* pathAfter;
    const char* mustExist;  // a folder, when the call should have made or kept it
  } rows[] = {
      {"existing folder", "C:\\Temp\\have", true, "C:\\Temp\\have", "C:\\Temp\\have"},
      {"existing folder with backslash", "C:\\Temp\\have\\", true, "C:\\Temp\\have",
       "C:\\Temp\\have"},
      {"one level", "C:\\Temp\\one", true, "C:\\Temp\\one", "C:\\Temp\\one"},
      {"three levels below an existing one", "C:\\Temp\\have\\a\\b\\c\\", true,
       "C:\\Temp\\have\\a\\b\\c", "C:\\Temp\\have\\a\\b\\c"},
      {"from the drive's root", "C:\\A\\B\\C", true, "C:\\A\\B\\C", "C:\\A\\B\\C"},
      {"empty path", "", false, "", nullptr},
      {"below a file", "C:\\Temp\\file.txt\\sub", false, "C:\\Temp\\file.txt\\sub", nullptr},
      {"a file of that name counts as there", "C:\\Temp\\file.txt", true, "C:\\Temp\\file.txt",
       nullptr},
  };
  for (const auto& row : rows) {
    std::string path = row.path;
    EXPECT_EQ(cab::CreateFolderPath(path), row.result) << row.row;
    EXPECT_EQ(path, row.pathAfter) << row.row;
    if (row.mustExist) {
      EXPECT_TRUE(std::filesystem::is_directory(Host(row.mustExist))) << row.row;
    }
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(Host("C:\\Temp\\file.txt")));
  EXPECT_EQ(ReadFile("C:\\Temp\\file.txt"), "x");
}

}  // namespace
