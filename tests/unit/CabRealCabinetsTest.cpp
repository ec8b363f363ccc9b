// The cabinet object over real cabinets: gcab-made MSZIP cabinets and hand-made ones with any
// stored name, walked by libmspack with SetupIterateCabinetA's per-file contract.
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

#include "cab/CabFile.h"
#include "cab/posix/MspackCabinets.h"
#include "tests/tools/CabWriter.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

namespace fs = std::filesystem;
using cab::CabFile;

class RealCabinetsTest : public fakes::PlatformTest {
 protected:
  RealCabinetsTest() : walker(files) {
    platform.cabinets = &walker;
    os::SetOs(platform);
  }

  void SetWorkPaths() {
    run::State().TempFolder = "C:\\Temp\\";
    run::State().InstallFolder = "C:\\Temp\\Installer_InstallationFolder";
  }

  // Packs the tree below C:\Temp\src with gcab -z into C:\Temp\<name>.
  void MakeGcabCabinet(const std::map<std::string, std::string>& tree, const std::string& name) {
    if (std::system("command -v gcab >/dev/null 2>&1") != 0) GTEST_SKIP() << "gcab is missing";
    std::string list;
    for (const auto& [path, bytes] : tree) {
      const fs::path host = root / "src" / path;
      fs::create_directories(host.parent_path());
      std::ofstream(host, std::ios::binary) << bytes;
      list += " '" + path + "'";
    }
    const std::string command = "cd '" + (root / "src").string() + "' && gcab -c -z '" +
                                Host("C:\\Temp").string() + "/" + name + "'" + list;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  // True when the extraction ended the run with the extraction error.
  bool ExtractEndsTheRun(const std::string& cabName, const std::string& folder) {
    SetWorkPaths();
    shell.messages.clear();
    auto object = CabFile::Create();
    object->CabName = cabName;
    try {
      object->Extract("", folder, "");
      return false;
    } catch (const fakes::ProcessEnded&) {
    }
    return shell.messages.size() == 1 &&
           shell.messages[0].text == "Error while extracting files from the archive";
  }

  // Every file below root, relative to it (the whole sandbox, so a file that escaped the target
  // is seen too).
  std::set<std::string> AllFiles() const {
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root))
      if (entry.is_regular_file()) found.insert(fs::relative(entry.path(), root).string());
    return found;
  }

  cab::posix::MspackCabinets walker;
};

std::string Bytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 2654435761u + seed) >> 13);
  return bytes;
}

const std::map<std::string, std::string> kTree = {
    {"2000_XP/net.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"},
    {"2000_XP/net.sys", Bytes(70000, 1)},
    {"Vista 64bit/x64/deep/net64.sys", Bytes(40000, 2)},
    {"XP_2003 64bit/readme.txt", "read me"},
    {"empty.txt", ""},
};

TEST_F(RealCabinetsTest, GcabCabinetWithNestedFoldersExtractsByteIdentical) {
  MakeGcabCabinet(kTree, "1.cab");
  auto object = CabFile::Create();
  object->CabName = "C:\\Temp\\1.cab";
  std::vector<std::string> after;
  object->AfterExtract = [&after](const std::string& target) -> cab::MaybeCabError {
    after.push_back(target);
    return std::nullopt;
  };
  ASSERT_TRUE(object->Extract("", "C:\\Temp\\work\\driver\\", ""));
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(after.size(), kTree.size());
  for (const auto& [path, bytes] : kTree) {
    std::string windowsPath = "C:\\Temp\\work\\driver\\" + path;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    EXPECT_EQ(ReadFile(windowsPath), bytes) << path;
    EXPECT_NE(std::find(after.begin(), after.end(), windowsPath), after.end()) << path;
  }
}

TEST_F(RealCabinetsTest, DamagedCabinetsFailCleanly) {
  MakeGcabCabinet(kTree, "good.cab");
  const std::string good = ReadFile("C:\\Temp\\good.cab");
  ASSERT_GT(good.size(), 200u);
  struct Row {
    std::string name;
    std::string bytes;
  };
  std::vector<Row> rows = {
      {"empty file", ""},
      {"header only", good.substr(0, 36)},
      {"cut in the file list", good.substr(0, 80)},
      {"cut in the data", good.substr(0, good.size() / 2)},
      {"cut one byte short", good.substr(0, good.size() - 1)},
      {"not a cabinet", std::string(4096, 'x')},
  };
  // Flipped bits inside the compressed data: checksums or the inflater catch them.
  for (size_t at : {good.size() - 100, good.size() / 2, good.size() * 3 / 4}) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x55);
    rows.push_back({"bits flipped at " + std::to_string(at), flipped});
  }
  rows.push_back({"missing file", "<none>"});
  for (const Row& row : rows) {
    fs::remove_all(Host("C:\\Temp\\out"));
    fs::remove(Host("C:\\Temp\\bad.cab"));
    if (row.bytes != "<none>") WriteFile("C:\\Temp\\bad.cab", row.bytes);
    EXPECT_TRUE(ExtractEndsTheRun("C:\\Temp\\bad.cab", "C:\\Temp\\out")) << row.name;
  }
}

TEST_F(RealCabinetsTest, HostileStoredNamesNeverLeaveTheTarget) {
  const char* hostile[] = {
      "..\\..\\escaped.txt",
      "ok\\..\\..\\..\\escaped.txt",
      "../../escaped.txt",
      "\\escaped.txt",
      "\\\\server\\share\\escaped.txt",
      "D:\\escaped.txt",
      "C:escaped.txt",
      "\\\\.\\escaped",
      "ok\\con",
  };
  for (const char* name : hostile) {
    fs::remove_all(Host("C:\\Temp\\t"));
    const std::string bytes = cabtest::MakeCabinet({{"first.txt", "1"}, {name, "evil"}});
    WriteFile("C:\\Temp\\hostile.cab", bytes);
    const std::set<std::string> before = AllFiles();
    EXPECT_TRUE(ExtractEndsTheRun("C:\\Temp\\hostile.cab", "C:\\Temp\\t\\a\\b\\")) << name;
    std::set<std::string> added;
    for (const std::string& file : AllFiles())
      if (!before.count(file)) added.insert(file);
    EXPECT_EQ(added, std::set<std::string>{"C/Temp/t/a/b/first.txt"}) << name;
  }
}

TEST_F(RealCabinetsTest, HandMadeCabinetKeepsOrdinaryNames) {
  const std::vector<cabtest::StoredFile> stored = {
      {"a.txt", "alpha"}, {"dir\\sub\\b.bin", Bytes(100000, 3)}, {"a..b", "dots"}};
  WriteFile("C:\\Temp\\made.cab", cabtest::MakeCabinet(stored));
  auto object = CabFile::Create();
  object->CabName = "C:\\Temp\\made.cab";
  ASSERT_TRUE(object->Extract("", "C:\\Temp\\out", ""));
  EXPECT_EQ(ReadFile("C:\\Temp\\out\\a.txt"), "alpha");
  EXPECT_EQ(ReadFile("C:\\Temp\\out\\dir\\sub\\b.bin"), stored[1].bytes);
  EXPECT_EQ(ReadFile("C:\\Temp\\out\\a..b"), "dots");
}

}  // namespace
