#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/ExtractionWorker.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"
#include "run/WorkFolders.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

TEST(EnsureTrailingBackslash, AddsExactlyOne) {
  EXPECT_EQ(run::EnsureTrailingBackslash(""), "\\");
  EXPECT_EQ(run::EnsureTrailingBackslash("C:\\X"), "C:\\X\\");
  EXPECT_EQ(run::EnsureTrailingBackslash("C:\\X\\"), "C:\\X\\");
}

class WorkFoldersTest : public fakes::PlatformTest {};

TEST_F(WorkFoldersTest, WorkPathsFollowTheProgramName) {
  processes.programPath = "C:\\Downloads\\Installer.exe";
  run::InitWorkPaths();
  EXPECT_EQ(run::State().TempFolder, "C:\\Temp\\");
  EXPECT_EQ(run::State().InstallFolder, "C:\\Temp\\Installer_InstallationFolder");
  run::InitWorkPaths();
  EXPECT_EQ(run::State().InstallFolder, "C:\\Temp\\Installer_InstallationFolder");
  processes.programPath = "C:\\Temp\\Ins1A2B.tmp.exe";
  run::InitWorkPaths();
  EXPECT_EQ(run::State().InstallFolder, "C:\\Temp\\Ins1A2B.tmp_InstallationFolder");
}

TEST_F(WorkFoldersTest, TempFileNamesAreNewEmptyFiles) {
  const std::string first = run::MakeTempFileName();
  const std::string second = run::MakeTempFileName();
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind("C:\\Temp\\Ins", 0), 0u) << first;
  EXPECT_TRUE(run::FileExists(first));
  EXPECT_EQ(files.Length(first), 0u);
  // Another account's folders at every name a copy would derive from the next few names: those
  // names are passed over, and the folders stay as they are.
  std::vector<std::string> taken;
  for (unsigned number = std::stoul(second.substr(11), nullptr, 16) + 1, n = 0; n < 6; ++n) {
    char name[64];
    std::snprintf(name, sizeof name, "C:\\Temp\\Ins%X.tmp%s", number + n / 2,
                  n % 2 ? ".run" : "_InstallationFolder");
    taken.push_back(name);
    ASSERT_EQ(files.CreateFolder(name), 0u) << name;
  }
  const std::string third = run::MakeTempFileName();
  EXPECT_TRUE(run::FileExists(third));
  for (const char* suffix : {".run", "_InstallationFolder"})
    EXPECT_FALSE(files.Attributes(third + suffix)) << third;
  for (const std::string& folder : taken) EXPECT_TRUE(run::FolderExists(folder)) << folder;
}

TEST_F(WorkFoldersTest, FileAndFolderTestsTellTheKindsApart) {
  WriteFile("C:\\Temp\\file.txt", "x");
  files.CreateFolder("C:\\Temp\\Empty");
  const struct {
    const char* path;
    bool file;
    bool folder;
  } rows[] = {
      {"C:\\Temp\\file.txt", true, false}, {"C:\\TEMP\\FILE.TXT", true, false},
      {"C:\\Temp\\Empty", false, true},    {"C:\\Temp\\Empty\\", false, true},
      {"C:\\Temp\\missing", false, false}, {"Q:\\nothing\\here", false, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(run::FileExists(row.path), row.file) << row.path;
    EXPECT_EQ(run::FolderExists(row.path), row.folder) << row.path;
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

  run::DeleteFolderTree("C:\\Temp\\Work");

  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Temp\\Work")));
  EXPECT_EQ(ReadFile("C:\\Temp\\keep.txt"), "keep");
}

// Links planted in the tree, or the tree itself a link: each goes as a link and what it points
// at stays whole.
TEST_F(WorkFoldersTest, DeleteFolderTreeRemovesLinksAsLinks) {
  namespace fs = std::filesystem;
  const struct {
    const char* name;
    const char* link;  // where the link stands
    bool toFolder;
  } rows[] = {
      {"folder link inside", "C:\\Temp\\Work\\driver\\planted", true},
      {"file link inside", "C:\\Temp\\Work\\driver\\planted.sys", false},
      {"the tree is a folder link", "C:\\Temp\\Work", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(Host("C:\\Temp\\Work"));
    fs::create_directories(Host("C:\\Elsewhere\\inner"));
    WriteFile("C:\\Elsewhere\\inner\\keep.txt", "keep");
    WriteFile("C:\\Elsewhere\\keep.sys", "keep");
    if (std::string(row.link) != "C:\\Temp\\Work") {
      fs::create_directories(Host("C:\\Temp\\Work\\driver"));
      WriteFile("C:\\Temp\\Work\\driver\\a.inf", "inf");
    }
    const std::string linkText = row.link;
    const auto cut = linkText.rfind('\\');
    const fs::path linkPath = Host(linkText.substr(0, cut)) / linkText.substr(cut + 1);
    if (row.toFolder) {
      fs::create_directory_symlink(Host("C:\\Elsewhere"), linkPath);
    } else {
      fs::create_symlink(Host("C:\\Elsewhere\\keep.sys"), linkPath);
    }
    ASSERT_TRUE(*files.Attributes(row.link) & os::kAttrReparsePoint);

    run::DeleteFolderTree("C:\\Temp\\Work");

    EXPECT_FALSE(fs::exists(fs::symlink_status(linkPath))) << "the link stayed";
    EXPECT_FALSE(fs::exists(fs::symlink_status(Host("C:\\Temp\\Work"))));
    EXPECT_EQ(ReadFile("C:\\Elsewhere\\inner\\keep.txt"), "keep");
    EXPECT_EQ(ReadFile("C:\\Elsewhere\\keep.sys"), "keep");
    EXPECT_TRUE(files.Attributes("C:\\Elsewhere\\keep.sys").has_value());
  }
}

// Fails to remove anything under one folder, as a file held open by another process would.
class StuckFiles final : public os::posix::PosixFiles {
 public:
  using PosixFiles::PosixFiles;
  std::string stuck;
  bool RemoveFolder(const std::string& path) override {
    return Under(path) ? false : PosixFiles::RemoveFolder(path);
  }
  bool RemoveFile(const std::string& path) override {
    return Under(path) ? false : PosixFiles::RemoveFile(path);
  }

 private:
  bool Under(const std::string& path) const {
    return !stuck.empty() && run::LowerCase(path).rfind(run::LowerCase(stuck), 0) == 0;
  }
};

// The work folder before the workers run: made new where only administrators can write when the
// run is elevated; whatever stood at its name is someone else's, stays untouched, and the run
// ends with its message. As before when it is not elevated.
TEST_F(WorkFoldersTest, ExtractionPreparesTheWorkFolder) {
  namespace fs = std::filesystem;
  StuckFiles stuckFiles(root);
  platform.files = &stuckFiles;
  os::SetOs(platform);
  processes.programPath = "C:\\Temp\\Ins1A2B.tmp.exe";
  const std::string work = "C:\\Temp\\Ins1A2B.tmp_InstallationFolder";
  enum Before { kNothing, kFolder, kFolderLink, kFileLink, kFile, kStuckFolder };
  const struct {
    const char* name;
    bool elevated;
    Before before;
    bool refused;
    bool windows9x = false;
  } rows[] = {
      {"elevated, nothing there", true, kNothing, false},
      {"elevated, a folder with files", true, kFolder, true},
      {"elevated, a link to a folder", true, kFolderLink, true},
      {"elevated, a link to a file", true, kFileLink, true},
      {"elevated, a file", true, kFile, true},
      {"elevated, a folder that cannot be removed", true, kStuckFolder, true},
      {"not elevated, nothing there", false, kNothing, false},
      {"not elevated, a folder with files", false, kFolder, false},
      {"Windows 98, which knows no rights", true, kFolder, false, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    run::DeleteWorkFolder();
    stuckFiles.stuck.clear();
    fs::remove_all(Host(work));
    fs::create_directories(Host("C:\\Elsewhere"));
    WriteFile("C:\\Elsewhere\\keep.txt", "keep");
    shell.messages.clear();
    processes.started.clear();
    version.Set(row.windows9x ? 1 : 2, row.windows9x ? 4 : 6, 1, "");
    version.admin = row.elevated;
    switch (row.before) {
      case kNothing:
        break;
      case kFolder:
      case kStuckFolder:
        fs::create_directories(Host(work + "\\driver"));
        WriteFile(work + "\\driver\\old.sys", "old");
        if (row.before == kStuckFolder) stuckFiles.stuck = work;
        break;
      case kFolderLink:
        fs::create_directory_symlink(Host("C:\\Elsewhere"), Host(work));
        break;
      case kFileLink:
        fs::create_symlink(Host("C:\\Elsewhere\\keep.txt"),
                           Host("C:\\Temp") / "Ins1A2B.tmp_InstallationFolder");
        break;
      case kFile:
        WriteFile(work, "a file");
        break;
    }

    int16_t counter = 45;
    bool ended = false;
    try {
      app::ExtractPayloads(counter);
    } catch (const fakes::ProcessEnded&) {
      ended = true;
    }

    EXPECT_EQ(ended, row.refused);
    EXPECT_EQ(ReadFile("C:\\Elsewhere\\keep.txt"), "keep");
    if (row.refused) {
      ASSERT_EQ(shell.messages.size(), 1u);
      EXPECT_EQ(shell.messages[0].text.rfind(
                    "The installer could not prepare its work folder " + work + ". ", 0),
                0u)
          << shell.messages[0].text;
      EXPECT_EQ(processes.started.size(), 0u) << "no worker after a refusal";
      EXPECT_TRUE(fs::exists(fs::symlink_status(Host(work)))) << "what stood there stays";
      if (row.before == kFolder) {
        EXPECT_EQ(ReadFile(work + "\\driver\\old.sys"), "old");
      }
      continue;
    }
    EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
    const fs::path host = Host(work);
    if (!row.elevated || row.windows9x) {
      // The workers make the folder; one left by an earlier run keeps its files.
      EXPECT_EQ(fs::exists(host), row.before == kFolder);
      continue;
    }
    ASSERT_TRUE(fs::is_directory(fs::symlink_status(host))) << "a real folder, not a link";
    EXPECT_TRUE(fs::is_empty(host)) << "made fresh";
    EXPECT_EQ(fs::status(host).permissions() & fs::perms::all, fs::perms::owner_all);
  }
  run::DeleteWorkFolder();
}

TEST_F(WorkFoldersTest, DeleteFolderTreeOfAMissingFolderDoesNothing) {
  run::DeleteFolderTree("C:\\Temp\\never");
  EXPECT_TRUE(std::filesystem::exists(Host("C:\\Temp")));
}

// The program's own decimal texts (log, messages, countdown), without the standard library's.
TEST(DecimalTextTest, SignsLimitsAndZeros) {
  const struct {
    long number;
    const char* text;
  } rows[] = {{0, "0"}, {7, "7"}, {-7, "-7"}, {2147483647L, "2147483647"},
              {-2147483647L - 1, "-2147483648"}, {1000, "1000"}};
  for (const auto& row : rows) EXPECT_EQ(run::DecimalText(row.number), row.text) << row.number;
  std::string stamp = "at ";
  run::AppendDecimal(stamp, 5, 2);
  run::AppendDecimal(stamp, 4294967295UL);
  EXPECT_EQ(stamp, "at 054294967295");
  std::string padded;
  run::AppendDecimal(padded, 42, 40);  // more zeros than any number has digits
  EXPECT_EQ(padded, std::string(38, '0') + "42");
}

// Every conversion the log's format check lets through prints as written.
TEST_F(WorkFoldersTest, LogLinesPrintEveryConversionTheFormatCheckAccepts) {
  run::State().LogPath = "C:\\Temp\\run.log";
  shell.now = {2026, 1, 2, 3, 4, 5};
  ASSERT_EQ(run::OpenRunLog(), nullptr);
  run::Log("%s|%d|%u|100%%|%%s", "a\r\nb", -12, 4294967295u);
  run::LogLine("%% at the end %");  // a lone % that only a call past the check could pass
  run::State().LogPath.clear();
  EXPECT_EQ(files.ReadAll("C:\\Temp\\run.log"),
            "2026-01-02 03:04:05 a  b|-12|4294967295|100%|%s\r\n"
            "2026-01-02 03:04:05 % at the end \r\n");
}

// With administrator rights, a log that anyone but an administrator could have prepared is
// refused before a line goes into it; without them, the run writes as its own account.
TEST_F(WorkFoldersTest, ALogAUserCouldHavePreparedIsRefused) {
  shell.now = {2026, 1, 2, 3, 4, 5};
  const struct {
    const char* name;
    bool existing, elevated, refused;
    std::function<void(os::LogFacts&)> alter;
    bool copy = false;  // the relauncher's copy: its relauncher checked the owner
  } rows[] = {
      {"new", false, true, false, nullptr},
      {"new, owner unreadable", false, true, false, [](os::LogFacts& f) { f.adminOwned = false; }},
      {"an administrator's", true, true, false, nullptr},
      {"a user's", true, true, true, [](os::LogFacts& f) { f.adminOwned = false; }},
      {"a user's, no rights", true, false, false, [](os::LogFacts& f) { f.adminOwned = false; }},
      {"two names", true, true, true, [](os::LogFacts& f) { f.names = 2; }},
      {"new, two names", false, true, true, [](os::LogFacts& f) { f.names = 2; }},
      {"a link", true, true, true, [](os::LogFacts& f) { f.link = true; }},
      {"a user's, to the copy", true, true, false, [](os::LogFacts& f) { f.adminOwned = false; },
       true},
      {"a link, to the copy", true, true, true, [](os::LogFacts& f) { f.link = true; }, true},
      {"a folder on the way leads elsewhere", true, true, true,
       [](os::LogFacts& f) { f.elsewhere = true; }},
  };
  files.CreateFolder("C:\\Logs");
  for (const auto& row : rows) {
    files.RemoveFile("C:\\Logs\\run.log");
    if (row.existing) files.WriteAll("C:\\Logs\\run.log", "earlier\r\n");
    files.alterLogFacts = row.alter;
    version.admin = row.elevated;
    run::State().LogPath = "C:\\Logs\\run.log";
    const char* refused = run::OpenRunLog(!row.copy);
    EXPECT_STREQ(refused, row.refused ? ": a user could have prepared it" : nullptr) << row.name;
    run::Log("a line");
    EXPECT_EQ(*files.ReadAll("C:\\Logs\\run.log"),
              (row.existing ? "earlier\r\n" : "") +
                  std::string(refused ? "" : "2026-01-02 03:04:05 a line\r\n"))
        << row.name;
  }
}

// The final path Windows gives against the path asked for: another case, a share, elsewhere.
TEST(LogPathTest, FinalPathNamesThePathAskedFor) {
  const struct {
    const char* finalPath;
    const char* asked;
    bool same;
  } rows[] = {
      {"\\\\?\\c:\\LOGS\\Run.log", "C:\\Logs\\run.log", true},
      {"\\\\?\\UNC\\server\\logs\\run.log", "\\\\server\\logs\\run.log", true},
      {"\\\\?\\UNC\\server\\logs\\run.log", "C:\\server\\logs\\run.log", false},
      {"\\\\?\\C:\\Users\\me\\run.log", "C:\\Logs\\run.log", false},
      {"\\\\?\\C:\\Logs\\run.log.txt", "C:\\Logs\\run.log", false},
      {"\\\\?\\C:\\Logs\\@run.log", "C:\\Logs\\`run.log", false},  // letters alone fold
  };
  for (const auto& row : rows)
    EXPECT_EQ(os::SameFinalPath(row.finalPath, row.asked), row.same) << row.finalPath;
}

}  // namespace
