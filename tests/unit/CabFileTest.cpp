// The cabinet object's contract over a scripted iterator that walks like SetupIterateCabinetA.
#include <cstring>
#include <gtest/gtest.h>

#include "cab/CabFile.h"
#include "cab/Callback.h"
#include "cab/ExtractFilesFromCab.h"
#include "os/Cabinets.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

using cab::CabError;
using cab::CabFile;

// Offers each stored name in turn and records what the handler answered. A file the handler
// wants is "written" by creating it (its folder must exist, as for the real iterator).
class ScriptedCabinets final : public os::Cabinets {
 public:
  struct Answer {
    std::string name;
    uint32_t fileOp;
    std::string target;
  };
  std::vector<std::string> names;
  std::map<std::string, uint32_t> writeErrors;  // stored name -> Win32Error of its write
  std::vector<uint32_t> extraNotifications;     // sent before the files
  std::vector<uint32_t> extraAnswers;
  std::vector<Answer> answers;
  std::vector<uint32_t> extractedAnswers;
  std::vector<std::string> cabinets;
  bool fail = false;
  uint32_t failCode = 0;
  os::Files* files = nullptr;

  bool Iterate(const std::string& cabinet, uintptr_t context, os::CabinetHandler handler,
               uint32_t& lastError) override {
    cabinets.push_back(cabinet);
    if (fail) {
      lastError = failCode;
      return false;
    }
    for (uint32_t code : extraNotifications) extraAnswers.push_back(handler(context, code, 0, 0));
    for (const std::string& name : names) {
      os::FileInCabinetInfo info;
      info.NameInCabinet = name.c_str();
      const uint32_t op =
          handler(context, os::kNotifyFileInCabinet, reinterpret_cast<uintptr_t>(&info), 0);
      answers.push_back({name, op, info.FullTargetName});
      if (op == os::kFileOpSkip) continue;
      if (op != os::kFileOpDoIt) {
        lastError = 995;
        return false;
      }
      uint32_t error = writeErrors.count(name) ? writeErrors[name] : 0;
      if (error == 0 && files && !files->WriteAll(info.FullTargetName, "data of " + name))
        error = 3;
      os::FilePaths paths;
      paths.Target = info.FullTargetName;
      paths.Win32Error = error;
      const uint32_t stop =
          handler(context, os::kNotifyFileExtracted, reinterpret_cast<uintptr_t>(&paths), 0);
      extractedAnswers.push_back(stop);
      if (stop != 0) {
        lastError = stop;
        return false;
      }
    }
    return true;
  }
};

class CabFileTest : public fakes::PlatformTest {
 protected:
  CabFileTest() {
    walker.files = &files;
    platform.cabinets = &walker;
    os::SetOs(platform);
    SetWorkPaths();
  }

  // The failure path ends with the final clean-up, which removes the work folder and clears
  // the paths; every run in these tests has them set, as the installation run has.
  static void SetWorkPaths() {
    run::State().TempFolder = "C:\\Temp\\";
    run::State().InstallFolder = "C:\\Temp\\Installer_InstallationFolder";
  }

  // Records the events of one object as "before:<name>" and "after:<target>".
  std::shared_ptr<CabFile> Recorded(const std::string& cabName) {
    auto object = CabFile::Create();
    object->CabName = cabName;
    object->BeforeExtract = [this](const std::string& name, bool&) -> cab::MaybeCabError {
      events.push_back("before:" + name);
      return std::nullopt;
    };
    object->AfterExtract = [this](const std::string& target) -> cab::MaybeCabError {
      events.push_back("after:" + target);
      return std::nullopt;
    };
    return object;
  }

  // Runs an extraction that is expected to take the failure path.
  void ExpectExtractionFailure(CabFile& object, const std::string& row) {
    SetWorkPaths();
    try {
      object.Extract("", "C:\\Temp\\out", "");
      ADD_FAILURE() << row << ": the run did not end";
    } catch (const fakes::ProcessEnded&) {
    }
    ASSERT_EQ(shell.messages.size(), 1u) << row;
    EXPECT_EQ(shell.messages[0].text, "Error while extracting files from the archive") << row;
    EXPECT_EQ(shell.messages[0].title, run::kAppTitle) << row;
    EXPECT_EQ(shell.messages[0].style, os::kMbOk) << row;
  }

  ScriptedCabinets walker;
  std::vector<std::string> events;
};

TEST_F(CabFileTest, TargetsFollowFilterOutputFolderAndOutputName) {
  struct Row {
    const char* name;
    const char* cabName;
    const char* filter;
    const char* outputPath;
    const char* outputFile;
    std::vector<std::string> targets;  // in walk order
  };
  const std::vector<std::string> stored = {"2000_XP\\net.inf", "2000_XP\\net.sys", "readme.txt"};
  const Row rows[] = {
      {"every file below the folder",
       "C:\\Temp\\1.cab",
       "",
       "C:\\Temp\\out",
       "",
       {"C:\\Temp\\out\\2000_XP\\net.inf", "C:\\Temp\\out\\2000_XP\\net.sys",
        "C:\\Temp\\out\\readme.txt"}},
      {"trailing backslash gives the same targets",
       "C:\\Temp\\1.cab",
       "",
       "C:\\Temp\\out\\",
       "",
       {"C:\\Temp\\out\\2000_XP\\net.inf", "C:\\Temp\\out\\2000_XP\\net.sys",
        "C:\\Temp\\out\\readme.txt"}},
      {"empty output folder is the cabinet's folder",
       "C:\\Temp\\cabs\\1.cab",
       "",
       "",
       "",
       {"C:\\Temp\\cabs\\2000_XP\\net.inf", "C:\\Temp\\cabs\\2000_XP\\net.sys",
        "C:\\Temp\\cabs\\readme.txt"}},
      {"filter in another letter case",
       "C:\\Temp\\1.cab",
       "2000_xp\\NET.SYS",
       "C:\\Temp\\out",
       "",
       {"C:\\Temp\\out\\2000_XP\\net.sys"}},
      {"filter and output name",
       "C:\\Temp\\1.cab",
       "readme.txt",
       "C:\\Temp\\out",
       "new.txt",
       {"C:\\Temp\\out\\new.txt"}},
      {"output name without filter: one target for all",
       "C:\\Temp\\1.cab",
       "",
       "C:\\Temp\\out",
       "same.bin",
       {"C:\\Temp\\out\\same.bin", "C:\\Temp\\out\\same.bin", "C:\\Temp\\out\\same.bin"}},
      {"filter matching nothing", "C:\\Temp\\1.cab", "net.inf", "C:\\Temp\\out", "", {}},
  };
  // Notifications other than the files' are answered 0 (NO_ERROR): no new cabinet is offered.
  walker.extraNotifications = {os::kNotifyCabinetInfo, os::kNotifyNeedNewCabinet, 0x99};
  for (const Row& row : rows) {
    walker.names = stored;
    walker.answers.clear();
    events.clear();
    auto object = Recorded(row.cabName);
    ASSERT_TRUE(object->Extract(row.filter, row.outputPath, row.outputFile)) << row.name;
    std::vector<std::string> targets, expectedEvents;
    for (const auto& answer : walker.answers)
      if (answer.fileOp == os::kFileOpDoIt) targets.push_back(answer.target);
    EXPECT_EQ(targets, row.targets) << row.name;
    for (size_t i = 0, t = 0; i < walker.answers.size(); ++i) {
      if (walker.answers[i].fileOp != os::kFileOpDoIt) continue;
      expectedEvents.push_back("before:" + walker.answers[i].name);
      expectedEvents.push_back("after:" + row.targets[t++]);
    }
    EXPECT_EQ(events, expectedEvents) << row.name;
    for (const std::string& target : row.targets)
      EXPECT_TRUE(std::filesystem::is_regular_file(Host(target))) << row.name << ": " << target;
    EXPECT_TRUE(shell.messages.empty()) << row.name;
  }
  for (uint32_t answer : walker.extraAnswers) EXPECT_EQ(answer, 0u);
}

TEST_F(CabFileTest, CancelInBeforeExtractSkipsOnlyThatFile) {
  walker.names = {"a.txt", "b.txt", "c.txt"};
  auto object = Recorded("C:\\Temp\\1.cab");
  object->BeforeExtract = [this](const std::string& name, bool& cancel) -> cab::MaybeCabError {
    events.push_back("before:" + name);
    cancel = name == "b.txt";
    return std::nullopt;
  };
  ASSERT_TRUE(object->Extract("", "C:\\Temp\\out", ""));
  EXPECT_EQ(events,
            (std::vector<std::string>{"before:a.txt", "after:C:\\Temp\\out\\a.txt", "before:b.txt",
                                      "before:c.txt", "after:C:\\Temp\\out\\c.txt"}));
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Temp\\out\\b.txt")));
}

TEST_F(CabFileTest, TargetOf259BytesFitsAnd260Fails) {
  const std::string folder = "C:\\Temp\\out";
  for (const size_t length : {size_t{258}, size_t{259}, size_t{260}, size_t{300}}) {
    const std::string row = "target of " + std::to_string(length) + " bytes";
    // Components stay below the host's 255-byte name limit.
    std::string name = std::string(100, 'd') + "\\";
    name += std::string(length - folder.size() - 1 - name.size(), 'f');
    walker.names = {name, "after.txt"};
    walker.answers.clear();
    shell.messages.clear();
    auto object = CabFile::Create();
    object->CabName = "C:\\Temp\\1.cab";
    ASSERT_EQ((folder + "\\" + name).size(), length) << row;
    if (length <= 259) {
      EXPECT_TRUE(object->Extract("", folder, "")) << row;
      ASSERT_EQ(walker.answers.size(), 2u) << row;
      EXPECT_EQ(walker.answers[0].target, folder + "\\" + name) << row;
    } else {
      ExpectExtractionFailure(*object, row);
      ASSERT_EQ(walker.answers.size(), 1u) << row << ": the walk must stop at the long name";
      EXPECT_EQ(walker.answers[0].fileOp, os::kFileOpAbort) << row;
    }
  }
}

TEST_F(CabFileTest, EmptyCabNameFailsBeforeAnyWalk) {
  auto object = CabFile::Create();
  windows.finish.loaded = true;
  ExpectExtractionFailure(*object, "Extract with empty CabName");
  EXPECT_TRUE(windows.finish.unloaded);
  EXPECT_TRUE(walker.cabinets.empty());
}

TEST_F(CabFileTest, IteratorFailureEndsTheRun) {
  walker.fail = true;
  walker.failCode = 13;
  auto object = Recorded("C:\\Temp\\bad.cab");
  ExpectExtractionFailure(*object, "Extract over a failing iterator");
  EXPECT_FALSE(windows.finish.unloaded) << "a finish window that was never loaded is left alone";
}

TEST_F(CabFileTest, FailedWriteEndsTheWalkWithoutAfterExtract) {
  walker.names = {"a.txt", "b.txt", "c.txt"};
  walker.writeErrors["b.txt"] = 112;
  auto object = Recorded("C:\\Temp\\1.cab");
  ExpectExtractionFailure(*object, "disk full on b.txt");
  EXPECT_EQ(walker.extractedAnswers, (std::vector<uint32_t>{0, 112}));
  EXPECT_EQ(events, (std::vector<std::string>{"before:a.txt", "after:C:\\Temp\\out\\a.txt",
                                              "before:b.txt"}));
  EXPECT_TRUE(std::filesystem::exists(Host("C:\\Temp\\out\\a.txt")))
      << "files written before a failure stay";
}

TEST_F(CabFileTest, FailureInAnEventHandlerStopsTheWalkAndEndsTheRun) {
  struct Row {
    const char* name;
    bool inBefore;
    bool alsoCancels;  // a failure outweighs the handler's Cancel
  };
  const Row rows[] = {
      {"failure from BeforeExtract", true, false},
      {"failure from BeforeExtract that also cancels", true, true},
      {"failure from AfterExtract", false, false},
  };
  for (const Row& row : rows) {
    walker.names = {"a.txt", "b.txt"};
    walker.answers.clear();
    walker.extractedAnswers.clear();
    shell.messages.clear();
    auto object = CabFile::Create();
    object->CabName = "C:\\Temp\\1.cab";
    const CabError refused;
    if (row.inBefore)
      object->BeforeExtract = [&](const std::string&, bool& cancel) -> cab::MaybeCabError {
        cancel = row.alsoCancels;
        return refused;
      };
    else
      object->AfterExtract = [&](const std::string&) -> cab::MaybeCabError { return refused; };
    ExpectExtractionFailure(*object, row.name);
    ASSERT_EQ(walker.answers.size(), 1u) << row.name << ": the second file must not be offered";
    if (row.inBefore) {
      EXPECT_EQ(walker.answers[0].fileOp, os::kFileOpAbort) << row.name;
    } else {
      ASSERT_EQ(walker.extractedAnswers.size(), 1u) << row.name;
      EXPECT_NE(walker.extractedAnswers[0], 0u) << row.name;
    }
    // The kept failure belongs to that walk only: the next one starts clean.
    int offered = 0;
    object->BeforeExtract = [&](const std::string&, bool& cancel) -> cab::MaybeCabError {
      ++offered;
      cancel = true;
      return std::nullopt;
    };
    object->AfterExtract = nullptr;
    try {
      EXPECT_TRUE(object->Extract("", "C:\\Temp\\out", "")) << row.name;
    } catch (const fakes::ProcessEnded&) {
      ADD_FAILURE() << row.name << ": a failure outlived its walk";
    }
    EXPECT_EQ(offered, 2) << row.name;
  }
}

// A stored name never lands outside the target: the pass fails as an invalid name would, and
// nothing is created for it.
TEST_F(CabFileTest, HostileStoredNamesFailThePassAndWriteNothing) {
  const char* rows[] = {
      "..\\evil.txt",
      "sub\\..\\..\\evil.txt",
      "../evil.txt",
      "sub/../../evil.txt",
      "\\evil.txt",
      "\\\\server\\share\\evil.txt",
      "\\\\.\\evil",
      "\\\\?\\C:\\evil.txt",
      "C:evil.txt",
      "D:\\evil.txt",
      "sub\\.. \\evil.txt",
      "sub\\...\\evil.txt",
      "CON",
      "sub\\nul.txt",
      "lpt1",
      "/evil.txt",
  };
  for (const char* name : rows) {
    walker.names = {name, "later.txt"};
    walker.answers.clear();
    shell.messages.clear();
    std::filesystem::remove_all(Host("C:\\Temp\\t"));
    SetWorkPaths();
    auto object = CabFile::Create();
    object->CabName = "C:\\Temp\\1.cab";
    try {
      object->Extract("", "C:\\Temp\\t\\x\\y", "");
      ADD_FAILURE() << name << ": the run did not end";
    } catch (const fakes::ProcessEnded&) {
    }
    EXPECT_EQ(shell.messages.size(), 1u) << name;
    ASSERT_EQ(walker.answers.size(), 1u) << name;
    EXPECT_EQ(walker.answers[0].fileOp, os::kFileOpAbort) << name;
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\Temp\\t"))) << name << ": folders were made";
  }
}

TEST(StoredNames, OrdinaryNamesStayInside) {
  for (const char* name :
       {"readme.txt", "2000_XP\\net.inf", "Vista 64bit\\x64\\a.sys", "a..b.txt", ".profile",
        "sub/dir/file", "CONFIG.SYS", "com10", "console.txt", "dpinst.xml"})
    EXPECT_TRUE(cab::StaysInsideTarget(name)) << name;
}

TEST_F(CabFileTest, ExtractFilesFromCabReplacesTheHeldObjectAndAnswersEmpty) {
  walker.names = {"x\\a.txt"};
  EXPECT_EQ(cab::ExtractFilesFromCab("C:\\Temp\\1.cab", "C:\\Temp\\w\\driver\\"), "");
  const std::shared_ptr<CabFile> first = cab::HeldCabinet();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->CabName, "C:\\Temp\\1.cab");
  EXPECT_EQ(cab::CurrentCabinet(), first);
  EXPECT_TRUE(std::filesystem::is_regular_file(Host("C:\\Temp\\w\\driver\\x\\a.txt")));
  EXPECT_EQ(cab::ExtractFilesFromCab("C:\\Temp\\386.cab", "C:\\Temp\\w\\driver\\DPInst\\"), "");
  EXPECT_NE(cab::HeldCabinet(), first);
  EXPECT_EQ(cab::HeldCabinet()->CabName, "C:\\Temp\\386.cab");
  EXPECT_TRUE(std::filesystem::is_regular_file(Host("C:\\Temp\\w\\driver\\DPInst\\x\\a.txt")));
}

}  // namespace
