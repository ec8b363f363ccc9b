#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "os/Files.h"
#include "platform/InstallLog.h"
#include "run/InstallerState.h"
#include "tools/dpinst/RunReport.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

const std::string kFolder = "C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\Driver\\Vista 64bit\\";
const std::string kReboot = "Please reboot your PC to complete the installation.";
const std::string kLogPath = "C:\\Windows\\DPINST.LOG";
const std::string kSavedPath = "C:\\Windows\\DPINST.128";  // "12/07/2026" and "8:53:52"

std::string FolderLine(const std::string& folder) {
  return "INFO:   Current working directory: '" + folder + "'\r\n";
}
std::string CodeLine(const std::string& digits) {
  return "INFO:   Returning with code 0x" + digits + "\r\n";
}
std::string LogRun(const std::string& folder, const std::string& digits) {
  return "INFO:   Option set: suppressWizard\r\n" + FolderLine(folder) +
         "SUCCESS:Installed package.\r\n" + CodeLine(digits);
}
std::string Utf16(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char c : text) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

std::string Utf16(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// Lines of other runs, `size` characters in all: puts what follows across a piece boundary.
std::string Filler(size_t size) {
  std::string text;
  while (text.size() < size) text += "INFO:   Installing 'C:\\Other\\norv.inf' of another run.\r\n";
  text.resize(size - 2);
  return text + "\r\n";
}

class InstallLogTest : public fakes::PlatformTest {
 protected:
  InstallLogTest() {
    shell.specialFolders[36] = "C:\\Windows";
    files.CreateFolder("C:\\Windows");
  }
};

// Files that fail the operations named in `failing`, to show that no step loses bytes.
class FailingFiles final : public os::Files {
 public:
  explicit FailingFiles(os::Files& inner) : inner_(inner) {}
  std::set<std::string> failing;
  int heldAppends = 0;       // appends refused outright, as while another program holds the file
  uint32_t largestRead = 0;  // the most bytes one read asked for

  uint32_t TempPath(char* b, uint32_t s) override { return inner_.TempPath(b, s); }
  std::string TempFileName(const std::string& f, const std::string& p,
                           std::initializer_list<const char*> a) override {
    return inner_.TempFileName(f, p, a);
  }
  std::optional<uint32_t> Attributes(const std::string& p) override { return inner_.Attributes(p); }
  bool SetAttributes(const std::string& p, uint32_t a) override {
    return inner_.SetAttributes(p, a);
  }
  std::vector<os::FolderEntry> List(const std::string& p) override { return inner_.List(p); }
  uint32_t CreateFolder(const std::string& p) override { return inner_.CreateFolder(p); }
  std::unique_ptr<os::HeldFolder> CreateProtectedFolder(const std::string& p,
                                                        uint32_t& e) override {
    return inner_.CreateProtectedFolder(p, e);
  }
  bool RemoveFolder(const std::string& p) override { return inner_.RemoveFolder(p); }
  bool RemoveFile(const std::string& p) override {
    return !failing.count("RemoveFile") && inner_.RemoveFile(p);
  }
  bool Copy(const std::string& f, const std::string& t) override {
    return !failing.count("Copy") && inner_.Copy(f, t);
  }
  bool Move(const std::string& f, const std::string& t) override {
    return !failing.count("Move") && inner_.Move(f, t);
  }
  std::optional<uint64_t> Length(const std::string& p) override {
    if (failing.count("Length")) return std::nullopt;
    return inner_.Length(p);
  }
  std::optional<std::string> ReadAll(const std::string& p) override {
    if (failing.count("ReadAll")) return std::nullopt;
    return inner_.ReadAll(p);
  }
  std::optional<std::string> ReadPiece(const std::string& p, uint64_t at, uint32_t n) override {
    largestRead = std::max(largestRead, n);
    if (failing.count("ReadPiece")) return std::nullopt;
    // A read that breaks off in the middle of the file.
    if (failing.count("LaterPiece") && at > 2) return std::nullopt;
    return inner_.ReadPiece(p, at, n);
  }
  bool WriteAll(const std::string& p, std::string_view b) override {
    return !failing.count("WriteAll") && inner_.WriteAll(p, b);
  }
  bool Append(const std::string& p, std::string_view b) override {
    if (heldAppends > 0) return --heldAppends, false;
    if (failing.count("Append")) {
      // A write that gives up half-way: part of the bytes reach the file.
      inner_.Append(p, b.substr(0, b.size() / 2));
      return false;
    }
    return inner_.Append(p, b);
  }
  bool Truncate(const std::string& p, uint64_t n) override {
    return !failing.count("Truncate") && inner_.Truncate(p, n);
  }
  std::unique_ptr<os::WritableFile> CreateExclusive(const std::string& p) override {
    return inner_.CreateExclusive(p);
  }
  std::unique_ptr<os::HeldFile> HoldUnchanged(const std::string& p) override {
    return inner_.HoldUnchanged(p);
  }
  std::unique_ptr<os::WritableFile> OpenLog(const std::string& p, bool a,
                                            os::LogFacts& f) override {
    return inner_.OpenLog(p, a, f);
  }
  bool OpenFileExists(const std::string& p) override { return inner_.OpenFileExists(p); }

 private:
  os::Files& inner_;
};

struct AnalysisRow {
  const char* name;
  std::string log;  // empty: no log at all
  std::string c = "Installed %1", d = "Store %1", f = "Failed %1";
  bool shown = false;
  std::string label = "", caption = "", message = "";
  bool waitHidden = true;
  std::string folder = kFolder;
  uint32_t exitCode = run::kExitFailed;  // the run's exit code afterwards
};

TEST_F(InstallLogTest, AnalysisFollowsTheOutcomeTable) {
  const std::string noFolder = "C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\Driver\\Vista 64bit";
  const std::string upper = "C:\\TEMP\\INS1A2B.TMP_INSTALLATIONFOLDER\\DRIVER\\VISTA 64BIT\\";
  const std::string other = "C:\\Temp\\Other\\Driver\\2000_XP\\";
  const AnalysisRow rows[] = {
      {.name = "store only 100",
       .log = LogRun(kFolder, "100"),
       .shown = true,
       .label = "Store 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "installed 1",
       .log = LogRun(kFolder, "1"),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "code 0",
       .log = LogRun(kFolder, "0"),
       .shown = true,
       .label = "Store 0",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "both 101",
       .log = LogRun(kFolder, "101"),
       .shown = true,
       .label = "Installed 1\n\nStore 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "two digits A0",
       .log = LogRun(kFolder, "A0"),
       .shown = true,
       .label = "Installed 160",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "restart, installed",
       .log = LogRun(kFolder, "40000001"),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .message = "Installed 1\r\n\r\n" + kReboot,
       .exitCode = 3010},
      {.name = "restart, store only",
       .log = LogRun(kFolder, "40000100"),
       .shown = true,
       .label = "Store 1\r\n\r\n" + kReboot,
       .caption = "Finished",
       .exitCode = 3010},
      {.name = "restart, both",
       .log = LogRun(kFolder, "40000203"),
       .shown = true,
       .label = "Installed 3",
       .caption = "Finished",
       .message = "Installed 3\nStore 2\r\n\r\n" + kReboot,
       .exitCode = 3010},
      {.name = "failed 1",
       .log = LogRun(kFolder, "80010000"),
       .shown = true,
       .label = "Failed 1",
       .caption = "Failed"},
      {.name = "aborted",
       .log = LogRun(kFolder, "80000000"),
       .shown = true,
       .label = "Aborted",
       .caption = "Failed"},
      {.name = "partial",
       .log = LogRun(kFolder, "C0010001"),
       .shown = true,
       .label = "The drivers were partially installed.\n\n" + kReboot,
       .caption = "Finished"},
      {.name = "unknown flag 20", .log = LogRun(kFolder, "20000001")},
      {.name = "flags 0 without texts",
       .log = LogRun(kFolder, "1"),
       .c = "",
       .d = "",
       .exitCode = 0},
      {.name = "flags 40 without texts",
       .log = LogRun(kFolder, "40000001"),
       .c = "",
       .d = "",
       .exitCode = 3010},
      {.name = "flags C0 without texts", .log = LogRun(kFolder, "C0010001"), .c = "", .d = ""},
      {.name = "failure without texts",
       .log = LogRun(kFolder, "80010000"),
       .c = "",
       .d = "",
       .f = "",
       .shown = true,
       .label = "",
       .caption = "Failed"},
      {.name = "nine digits", .log = LogRun(kFolder, "100000001"), .waitHidden = false},
      {.name = "empty code",
       .log = FolderLine(kFolder) + "INFO:   Returning with code 0x\r\n",
       .waitHidden = false},
      {.name = "no code line",
       .log = FolderLine(kFolder) + "INFO:   Still working\r\n",
       .waitHidden = false},
      {.name = "other folder only", .log = LogRun(other, "1"), .waitHidden = false},
      {.name = "no log", .log = "", .waitHidden = false},
      {.name = "folder in upper case",
       .log = LogRun(upper, "1"),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "folder without backslash",
       .log = LogRun(noFolder, "1"),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "UTF-16 log",
       .log = Utf16(LogRun(kFolder, "100")),
       .shown = true,
       .label = "Store 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "UTF-16 log, restart",
       .log = Utf16(LogRun(other, "0") + LogRun(kFolder, "40000001")),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .message = "Installed 1\r\n\r\n" + kReboot,
       .exitCode = 3010},
      {.name = "older run of the folder first",
       .log = LogRun(kFolder, "1") + LogRun(kFolder, "80000000"),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "other run's code before ours",
       .log = LogRun(other, "80000000") + LogRun(kFolder, "100"),
       .shown = true,
       .label = "Store 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "later folder lines passed over",
       .log = FolderLine(kFolder) + FolderLine(other) + CodeLine("1") + CodeLine("80000000"),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "UTF-16 log, temporary folder outside ASCII",
       .log = Utf16(u"INFO:   Current working directory: 'C:\\Users\\Zoë Łódź\\Temp\\D\\'\r\n"
                    u"INFO:   Returning with code 0x1\r\n"),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .folder = "C:\\Users\\Zo\xEB L\xF3"
                 "dz\\Temp\\D\\",  // "Ł" as its look-alike, "ź" too
       .exitCode = 0},
      {.name = "three pieces, the folder line across the last boundary",
       .log = Filler(3 * 65536 - 56) + LogRun(kFolder, "1"),
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "UTF-16, three pieces, the folder line across the last boundary",
       .log = Utf16(Filler(3 * 32768 - 56) + LogRun(other, "0") + LogRun(kFolder, "100")),
       .shown = true,
       .label = "Store 1",
       .caption = "Finished",
       .exitCode = 0},
      // Our package installer's own lines: a device kept its better driver; Windows refused the
      // driver; the adapter does not work. The first failure sentence is shown as it stands.
      {.name = "kept a better driver",
       .log = FolderLine(kFolder) + "INFO:   The device 'ROOT\\NET\\0000" +
              dpinst::kKeepsBetterDriver + "Norvane 2.0.0.0 of 01/01/2027, signed\r\n" +
              CodeLine("100"),
       .shown = true,
       .label = "Kept",
       .caption = "Finished",
       .exitCode = 0},
      {.name = "refused, then a later failure",
       .log = FolderLine(kFolder) + "ERROR:  " + dpinst::kRefused + "it is not signed.\r\n" +
              "ERROR:  " + dpinst::kDoesNotWork + "code 10: x). y\r\n" + CodeLine("80010000"),
       .shown = true,
       .label = std::string(dpinst::kRefused) + "it is not signed.",
       .caption = "Failed"},
      {.name = "does not work, restart asked too, no texts",
       .log = FolderLine(kFolder) + "ERROR:  " + dpinst::kDoesNotWork + "code 52: x). y\r\n" +
              CodeLine("C0010001"),
       .c = "",
       .d = "",
       .shown = true,
       .label = std::string(dpinst::kDoesNotWork) + "code 52: x). y",
       .caption = "Failed"},
      {.name = "a sentence of another run is not ours",
       .log = LogRun(other, "80010000") + FolderLine(other) + "ERROR:  " + dpinst::kRefused +
              "x.\r\n" + LogRun(kFolder, "80010000"),
       .shown = true,
       .label = "Failed 1",
       .caption = "Failed"},
      {.name = "LF-only line ends",
       .log = "INFO:   Current working directory: '" + kFolder +
              "'\nINFO:   Returning with code 0x1\n",
       .shown = true,
       .label = "Installed 1",
       .caption = "Finished",
       .exitCode = 0},
  };
  for (const AnalysisRow& row : rows) {
    SCOPED_TRACE(row.name);
    windows = fakes::FakeWindows();
    shell.messages.clear();
    files.RemoveFile(kLogPath);
    if (!row.log.empty()) WriteFile(kLogPath, row.log);
    run::State().MsgInstalledCorrectly = row.c;
    run::State().MsgInstalledDrvStore = row.d;
    run::State().MsgInstallFailed = row.f;
    run::State().MsgKeptBetterDriver = "Kept";
    run::State().ExitCode = run::kExitFailed;

    bool heldWhileOpen = false;
    shell.onMessage = [&](const fakes::ShownMessage&) { heldWhileOpen = windows.finish.held; };
    FailingFiles pieces(files);
    pieces.failing = {"ReadAll"};  // a log read whole takes memory as large as the log
    platform.files = &pieces;
    os::SetOs(platform);
    platform::AnalyseInstallLog(row.folder);
    platform.files = &files;
    os::SetOs(platform);

    EXPECT_LE(pieces.largestRead, 65536u);
    EXPECT_EQ(run::State().ExitCode, row.exitCode);
    EXPECT_EQ(windows.finish.shown, row.shown);
    EXPECT_EQ(windows.finish.loaded, row.shown);
    EXPECT_EQ(windows.finish.label, row.label);
    EXPECT_EQ(windows.finish.caption, row.caption);
    EXPECT_EQ(windows.wait.visible, !row.waitHidden);
    if (row.message.empty()) {
      EXPECT_TRUE(shell.messages.empty());
    } else {
      ASSERT_EQ(shell.messages.size(), 1u);
      EXPECT_EQ(shell.messages[0].text, row.message);
      EXPECT_EQ(shell.messages[0].title, run::kAppTitle);
      EXPECT_EQ(shell.messages[0].style, os::kMbOk);
      EXPECT_TRUE(heldWhileOpen) << "the countdown could end the run under the open box";
      EXPECT_FALSE(windows.finish.held);
    }
  }
}

TEST_F(InstallLogTest, PlaceholdersAreReplacedForTheRestOfTheRun) {
  WriteFile(kLogPath, LogRun(kFolder, "20301"));
  run::State().MsgInstalledCorrectly = "%1 of %1 installed";
  run::State().MsgInstalledDrvStore = "%1 stored";
  run::State().MsgInstallFailed = "%1%1 failed";
  platform::AnalyseInstallLog(kFolder);
  EXPECT_EQ(run::State().MsgInstalledCorrectly, "1 of 1 installed");
  EXPECT_EQ(run::State().MsgInstalledDrvStore, "3 stored");
  EXPECT_EQ(run::State().MsgInstallFailed, "22 failed");
}

TEST_F(InstallLogTest, WindowsFolderComesTrimmedFromTheShell) {
  shell.specialFolders[36] = "  C:\\Windows ";
  EXPECT_EQ(platform::FindSystemFolder(36), "C:\\Windows");
  shell.specialFolders.erase(36);
  EXPECT_EQ(platform::FindSystemFolder(36), "");
}

TEST(HexToNumber, ReadsDigitsOfEitherCase) {
  const struct {
    const char* text;
    double number;
  } rows[] = {
      {"0", 0},
      {"1", 1},
      {"a0", 160},
      {"A0", 160},
      {"&hFF", 255},
      {"&HfF", 255},
      {"G1", 1},
      {"", 0},
      {"&h", 0},
      {"10000", 65536},
      {"FFFFFFFFFFFFFFFFFFFFFFF", 4.951760157141521e27},  // 23 digits: still read
      {"FFFFFFFFFFFFFFFFFFFFFFFF", 0},                    // 24 digits: empty
      {"&h00000000000000000000001", 1},
  };
  for (const auto& row : rows)
    EXPECT_DOUBLE_EQ(platform::HexToNumber(row.text), row.number) << row.text;
}

TEST_F(InstallLogTest, SetAsideAndMergeKeepEveryByte) {
  const std::string earlier = "earlier runs\r\n\x00\xFF binary tail";
  const std::string fresh = LogRun(kFolder, "1");
  const struct {
    const char* name;
    std::set<std::string> failSetAside, failMerge;
    std::string mergeTime;  // the time text at closing down
    bool merged;
    bool installerWrites = true;
    std::string dateText = "12/07/2026";
    bool savedLeft = false;  // the set-aside copy may stay beside the merged log
  } rows[] = {
      {"all well", {}, {}, "8:59:59", true},
      {"copy fails when setting aside", {"Copy"}, {}, "8:59:59", false},
      {"delete fails when setting aside", {"RemoveFile"}, {}, "8:59:59", false},
      {"read fails when merging", {}, {"ReadPiece"}, "8:59:59", false},
      {"read breaks off when merging", {}, {"LaterPiece"}, "8:59:59", false},
      {"length fails when merging", {}, {"Length"}, "8:59:59", false},
      {"append fails half-way", {}, {"Append"}, "8:59:59", false},
      {"copy back fails", {}, {"Copy"}, "8:59:59", false},
      {"delete of the saved copy fails",
       {},
       {"RemoveFile"},
       "8:59:59",
       true,
       true,
       "12/07/2026",
       true},
      {"hour changed before closing", {}, {}, "9:00:01", true},
      {"the installer wrote no log", {}, {}, "8:59:59", true, false},
      {"date text holds a slash", {}, {}, "8:59:59", true, true, "7/12/2026"},
      {"slash, no log written", {}, {}, "9:00:01", true, false, "7/12/2026"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    files.RemoveFile(kLogPath);
    files.RemoveFile(kSavedPath);
    FailingFiles failing(files);
    platform.files = &failing;
    os::SetOs(platform);
    shell.timeText = "8:53:52";
    shell.dateText = row.dateText;
    WriteFile(kLogPath, earlier);

    failing.failing = row.failSetAside;
    platform::PreserveInstallLog(1);
    failing.failing.clear();
    // The driver installer appends its run, to a fresh log or to the one left in place.
    if (row.installerWrites && !files.Append(kLogPath, fresh)) WriteFile(kLogPath, fresh);
    shell.timeText = row.mergeTime;
    failing.failing = row.failMerge;
    platform::PreserveInstallLog(2);
    failing.failing.clear();

    const std::string log = files.ReadAll(kLogPath).value_or("");
    const std::string saved = files.ReadAll(kSavedPath).value_or("");
    const std::string everything = saved + log;
    EXPECT_NE(everything.find(earlier), std::string::npos);
    if (row.installerWrites) {
      EXPECT_NE(everything.find(fresh), std::string::npos);
    }
    EXPECT_TRUE(saved.empty() || saved == earlier || saved == earlier + fresh)
        << "a part of the run was left in the set-aside log";
    if (row.merged) {
      EXPECT_EQ(log, row.installerWrites ? earlier + fresh : earlier);
      int setAside = 0;
      for (const auto& entry : files.List("C:\\Windows\\*.*"))
        setAside += entry.name.rfind("DPINST.", 0) == 0 && entry.name != "DPINST.LOG";
      EXPECT_EQ(setAside, row.savedLeft ? 1 : 0) << "a set-aside copy was left";
    }
    platform.files = &files;
    os::SetOs(platform);
  }
}

TEST(SavedLogName, AlwaysAValidFileNameAndUnchangedWhereItWasOne) {
  const struct {
    const char* date;
    const char* time;
    const char* name;
  } rows[] = {
      {"12/07/2026", "8:53:52", "DPINST.128"},
      {"07.12.2026", "08:53:52", "DPINST.070"},
      {"7/12/2026", "8:53:52", "DPINST.7_8"},
      {"2026-12-07", "\t8", "DPINST.20_"},
      {"1\\", "*", "DPINST.1__"},
      {"<>", "|", "DPINST.___"},
      {"\"?", ":", "DPINST.___"},
      {"", "", "DPINST."},
  };
  for (const auto& row : rows)
    EXPECT_EQ(platform::SavedLogName(row.date, row.time), row.name) << row.date << " " << row.time;
}

TEST_F(InstallLogTest, AnOrphanedSavedLogIsExtendedNotReplaced) {
  // An earlier run set its log aside at 8:xx and closed down after 9:00: no merge happened.
  WriteFile(kSavedPath, "oldest\r\n");
  WriteFile(kLogPath, "older run\r\n");
  platform::PreserveInstallLog(1);
  EXPECT_FALSE(std::filesystem::exists(Host(kLogPath)));
  WriteFile(kLogPath, "new run\r\n");
  platform::PreserveInstallLog(2);
  EXPECT_EQ(ReadFile(kLogPath), "oldest\r\nolder run\r\nnew run\r\n");
  EXPECT_FALSE(std::filesystem::exists(Host(kSavedPath)));
}

TEST_F(InstallLogTest, NothingToSetAsideOrMerge) {
  platform::PreserveInstallLog(1);
  EXPECT_FALSE(std::filesystem::exists(Host(kSavedPath)));
  WriteFile(kLogPath, "only the new run");
  platform::PreserveInstallLog(2);
  EXPECT_EQ(ReadFile(kLogPath), "only the new run");
  EXPECT_FALSE(std::filesystem::exists(Host(kSavedPath)));
}

TEST_F(InstallLogTest, AppendFileBytesAnswersTheFormerLength) {
  WriteFile("C:\\Windows\\a", std::string("\x00\r\nsrc", 6));
  WriteFile("C:\\Windows\\b", "target");
  EXPECT_EQ(platform::AppendFileBytes("C:\\Windows\\a", "C:\\Windows\\b"), 6u);
  EXPECT_EQ(ReadFile("C:\\Windows\\b"), std::string("target\x00\r\nsrc", 12));
  EXPECT_EQ(platform::AppendFileBytes("C:\\Windows\\missing", "C:\\Windows\\b"), std::nullopt);
  EXPECT_EQ(platform::AppendFileBytes("C:\\Windows\\a", "C:\\Windows\\missing"), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Windows\\missing")));
}

// Appending one log to another: in the target's encoding, piece by piece, never counted done
// when the bytes did not all arrive.
TEST_F(InstallLogTest, AppendKeepsTheTargetsEncodingAndReportsWhatFails) {
  const auto wide = [](const std::string& text) {
    std::string bytes;
    for (const char c : text) bytes += std::string{c, '\0'};
    return bytes;
  };
  const std::string bom = "\xFF\xFE";
  const std::string longRun = std::string(70000, 'x') + "\r\n";  // more than one piece
  const struct {
    const char* name;
    std::string target, source;
    std::set<std::string> failing;
    int heldAppends;
    std::optional<std::string> after;  // nullopt: the append fails, the target as it was
    int sleeps;
    bool doubleByte = false;  // the ANSI code page
  } rows[] = {
      {"ANSI behind UTF-16",
       bom + wide("old\r\n"),
       "new\r\n",
       {},
       0,
       bom + wide("old\r\nnew\r\n"),
       0},
      {"UTF-16 behind ANSI", "old\r\n", bom + wide("new\r\n"), {}, 0, "old\r\nnew\r\n", 0},
      {"UTF-16 behind UTF-16: one mark",
       bom + wide("a"),
       bom + wide("b"),
       {},
       0,
       bom + wide("ab"),
       0},
      {"into an empty file, as it is", "", bom + wide("b"), {}, 0, bom + wide("b"), 0},
      {"longer than a piece", "old", longRun, {}, 0, "old" + longRun, 0},
      {"the read breaks off", "old", longRun, {"LaterPiece"}, 0, std::nullopt, 0},
      {"held for a moment", "old", "new", {}, 2, "oldnew", 2},
      {"held for good", "old", "new", {}, 100, std::nullopt, 4},
      {"a write gives up half-way", "old", longRun + "new\r\n", {"Append"}, 0, std::nullopt, 0},
      {"a double-byte character across a piece boundary",
       bom + wide("old"),
       "a\r\n" + std::string(65532, 'x') + "\x82\xA0\r\n",
       {},
       0,
       bom + wide("old") + wide("a\r\n" + std::string(65532, 'x')) + "\xA0\x82" + wide("\r\n"),
       0,
       true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteFile("C:\\Windows\\target", row.target);
    WriteFile("C:\\Windows\\source", row.source);
    FailingFiles failing(files);
    failing.failing = row.failing;
    failing.heldAppends = row.heldAppends;
    platform.files = &failing;
    os::SetOs(platform);
    shell.sleeps.clear();
    unicode.doubleByte = row.doubleByte;
    const auto answer = platform::AppendFileBytes("C:\\Windows\\source", "C:\\Windows\\target");
    unicode.doubleByte = false;
    platform.files = &files;
    os::SetOs(platform);
    EXPECT_EQ(answer.has_value(), row.after.has_value());
    if (row.after) {
      EXPECT_EQ(*answer, row.target.size());
      EXPECT_EQ(ReadFile("C:\\Windows\\target"), *row.after);
    } else {
      EXPECT_EQ(ReadFile("C:\\Windows\\target"), row.target);
    }
    EXPECT_EQ(ReadFile("C:\\Windows\\source"), row.source) << "the source is never changed";
    EXPECT_EQ(static_cast<int>(shell.sleeps.size()), row.sleeps);
  }
}

}  // namespace
