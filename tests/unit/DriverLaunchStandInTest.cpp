// The pure half of the package installer and its launcher that travel in cabinet 386.
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "run/InstallerState.h"
#include "os/Platform.h"
#include "platform/InstallLog.h"
#include "tests/unit/fakes/Fakes.h"
#include "tools/dpinst/Inf.h"
#include "tools/dpinst/Options.h"
#include "tools/dpinst/RunReport.h"
#include "tools/launcher/LaunchTarget.h"

namespace {

using dpinst::Architecture;

TEST(StandInOptions, ReadsTheDirectChildrenOfDpInst) {
  const struct {
    const char* name;
    const char* xml;
    bool found, wizard, quiet, strict, legacy, scan;
  } rows[] = {
      {"shipped",
       "<?xml version=\"1.0\" ?>\r\n<dpInst>\r\n  <suppressWizard/>\r\n"
       "  <quietInstallStrict/>\r\n  <legacyMode/>\r\n</dpInst>\r\n",
       true, true, false, true, true, false},
      {"content and spaces", "<dpInst><quietInstall>1</quietInstall><scanHardware /></dpInst>",
       true, false, true, false, false, true},
      {"comment and nested",
       "<!-- <legacyMode/> --><dpInst><language code=\"0x0409\">"
       "<legacyMode/></language><suppressWizard/></dpInst>",
       true, true, false, false, false, false},
      {"empty root", "<dpInst/>", true, false, false, false, false, false},
      {"other root", "<options><legacyMode/></options>", false, false, false, false, false, false},
      {"names are case-sensitive", "<dpInst><LegacyMode/></dpInst>", true, false, false, false,
       false, false},
      {"unclosed root", "<dpInst><legacyMode/>", false, false, false, false, false, false},
      {"cut in a tag", "<dpInst><legacyMo", false, false, false, false, false, false},
      {"two roots", "<dpInst/><dpInst><legacyMode/></dpInst>", false, false, false, false, false,
       false},
      {"empty", "", false, false, false, false, false, false},
  };
  for (const auto& row : rows) {
    const dpinst::Options options = dpinst::ParseOptions(row.xml);
    EXPECT_EQ(options.found, row.found) << row.name;
    EXPECT_EQ(options.suppressWizard, row.wizard) << row.name;
    EXPECT_EQ(options.quietInstall, row.quiet) << row.name;
    EXPECT_EQ(options.quietInstallStrict, row.strict) << row.name;
    EXPECT_EQ(options.legacyMode, row.legacy) << row.name;
    EXPECT_EQ(options.scanHardware, row.scan) << row.name;
  }
}

TEST(StandInInf, ModelsSectionFollowsArchitectureAndVersion) {
  const std::vector<std::string> all = {"NTx86", "NTamd64", "NTamd64.6.0"};
  const struct {
    const char* name;
    std::vector<std::string> decorations;
    Architecture architecture;
    dpinst::WindowsVersion version;
    std::string section;
  } rows[] = {
      {"x86 on XP", all, Architecture::kX86, {5, 1}, "M.NTx86"},
      {"x86, NT of the same level loses", {"NT", "ntx86"}, Architecture::kX86, {5, 1}, "M.ntx86"},
      {"higher NT version wins", {"NTx86", "NT.5.1"}, Architecture::kX86, {5, 1}, "M.NT.5.1"},
      {"amd64 on Server 2003", all, Architecture::kAmd64, {5, 2}, "M.NTamd64"},
      {"amd64 on Vista", all, Architecture::kAmd64, {6, 1}, "M.NTamd64.6.0"},
      {"x86 without fitting decoration", {"NTamd64"}, Architecture::kX86, {6, 0}, "M"},
      {"x86 without decorations (Windows 2000)", {}, Architecture::kX86, {5, 0}, "M"},
      {"amd64 needs a decoration", {}, Architecture::kAmd64, {6, 0}, ""},
      {"amd64, only x86 decorated", {"NTx86"}, Architecture::kAmd64, {6, 0}, ""},
      {"version above the running one", {"NTamd64.6.1"}, Architecture::kAmd64, {6, 0}, ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(dpinst::ChooseModelsSection("M", row.decorations, row.architecture, row.version),
              row.section)
        << row.name;
}

TEST(StandInInf, ReadsVersionCatalogueAndHardwareIds) {
  const std::string inf =
      "; comment [Version]\r\n"
      "[version]\r\n"
      "Signature = \"$Windows NT$\"\r\n"
      "Class = %NetClass% ; the class\r\n"
      "CatalogFile = plain.cat\r\n"
      "CatalogFile.NTamd64 = x64.cat\r\n"
      "[Manufacturer]\r\n"
      "%Mfg% = Vendor, NTx86, NTamd64\r\n"
      "\"Other\" = Second\r\n"
      "[Vendor.NTx86]\r\n"
      "%Dev% = Install, USB\\VID_F0CA&PID_0104, USB\\Class_E0\r\n"
      "[VENDOR.NTAMD64]\r\n"
      "%Dev% = Install, USB\\VID_F0CA&PID_0104, \\\r\n"
      "        %CompatId%\r\n"
      "%Dev2% = Install, usb\\vid_f0ca&pid_0104\r\n"
      "[Second]\r\n"
      "%Dev% = Install, PCI\\VEN_F0CA&DEV_0001\r\n"
      "[Strings]\r\n"
      "NetClass = \"Net\"\r\n"
      "CompatId = \"USB\\Class_E0&SubClass_01\"\r\n";
  const dpinst::InfPackage x64 = dpinst::ParseInf(inf, Architecture::kAmd64, {6, 1});
  EXPECT_TRUE(x64.hasVersionSection);
  EXPECT_EQ(x64.signature, "$Windows NT$");
  EXPECT_EQ(x64.className, "Net");
  EXPECT_EQ(x64.catalogFile, "x64.cat");
  EXPECT_EQ(x64.hardwareIds,
            (std::vector<std::string>{"USB\\VID_F0CA&PID_0104", "USB\\Class_E0&SubClass_01"}));
  const dpinst::InfPackage x86 = dpinst::ParseInf(inf, Architecture::kX86, {5, 1});
  EXPECT_EQ(x86.catalogFile, "plain.cat");
  EXPECT_EQ(x86.hardwareIds, (std::vector<std::string>{"USB\\VID_F0CA&PID_0104", "USB\\Class_E0",
                                                       "PCI\\VEN_F0CA&DEV_0001"}));
  EXPECT_FALSE(
      dpinst::ParseInf("[Strings]\r\nA = B\r\n", Architecture::kX86, {5, 1}).hasVersionSection);
  // The same INF saved as UTF-16LE reads the same.
  std::string wide = "\xFF\xFE";
  for (const char c : inf) wide += std::string{c, '\0'};
  EXPECT_EQ(
      dpinst::ParseInf(dpinst::InfAsSingleByteText(wide), Architecture::kAmd64, {6, 1}).hardwareIds,
      x64.hardwareIds);
}

TEST(StandInInf, ShippedSamplePackagesFitTheirFolders) {
  const struct {
    const char* folder;
    Architecture architecture;
    dpinst::WindowsVersion version;
  } rows[] = {
      {"2000_XP", Architecture::kX86, {5, 0}},         {"2000_XP", Architecture::kX86, {5, 1}},
      {"XP_2003 64bit", Architecture::kAmd64, {5, 2}}, {"Vista 32bit", Architecture::kX86, {6, 0}},
      {"Vista 64bit", Architecture::kAmd64, {6, 0}},
  };
  for (const auto& row : rows) {
    const std::string path =
        std::string(SOURCE_DIR) + "/resources/payload/driver/" + row.folder + "/norvusb.inf";
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const dpinst::InfPackage package = dpinst::ParseInf(text.str(), row.architecture, row.version);
    EXPECT_EQ(package.className, "Net") << row.folder;
    EXPECT_EQ(package.signature, "$Windows NT$") << row.folder;
    EXPECT_EQ(package.hardwareIds, std::vector<std::string>{"USB\\VID_F0CA&PID_0104"})
        << row.folder;
    // The file the package copies travels with it.
    EXPECT_TRUE(std::ifstream(std::string(SOURCE_DIR) + "/resources/payload/driver/" + row.folder +
                              "/norvusb.sys")
                    .good())
        << row.folder;
  }
}

TEST(StandInInf, DevicesMatchWithoutRegardToCase) {
  const std::vector<std::string> inf = {"USB\\VID_F0CA&PID_0104", "USB\\Class_E0"};
  EXPECT_EQ(dpinst::MatchingIds(inf, {"ROOT\\X", "usb\\class_e0", "USB\\CLASS_E0"}),
            std::vector<std::string>{"USB\\Class_E0"});
  EXPECT_TRUE(dpinst::MatchingIds(inf, {"USB\\VID_F0CA&PID_0105"}).empty());
  EXPECT_TRUE(dpinst::IsInfFileName("NORVUSB.INF"));
  EXPECT_FALSE(dpinst::IsInfFileName("norvusb.inf_old"));
  EXPECT_FALSE(dpinst::IsInfFileName(".inf"));
}

TEST(StandInReport, ReturnCodeLinesAreWhatTheInstallerReads) {
  const struct {
    const char* name;
    dpinst::Tally tally;
    uint32_t code;
    const char* digits;
  } rows[] = {
      {"nothing", {}, 0x0, "0"},
      {"store only", {0, 1, 0, false}, 0x100, "100"},
      {"installed", {1, 0, 0, false}, 0x1, "1"},
      {"restart", {1, 0, 0, true}, 0x40000001, "40000001"},
      {"one failed", {0, 1, 1, false}, 0x80010100, "80010100"},
      {"failed and restart", {2, 0, 1, true}, 0xC0010002, "C0010002"},
      {"counts stop at 255", {300, 256, 0, false}, 0xFFFF, "FFFF"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const uint32_t code = dpinst::ReturnCode(row.tally);
    EXPECT_EQ(code, row.code);
    EXPECT_EQ(dpinst::HexDigits(code), row.digits);
    // The installer's own reading of the two lines finds the code again.
    const std::string folder = "C:\\Temp\\Work\\Driver\\Vista 64bit";
    const std::string log =
        dpinst::LogLine(dpinst::Level::kInfo, "run started") + dpinst::FolderLine(folder) +
        dpinst::LogLine(dpinst::Level::kSuccess, "stored") + dpinst::ReturnCodeLine(code);
    EXPECT_EQ(platform::FindReturnCode(log, folder + "\\"), std::string(row.digits));
  }
  EXPECT_EQ(dpinst::LogLine(dpinst::Level::kError, "two\r\nlines"), "ERROR:  two  lines\r\n");
  EXPECT_EQ(dpinst::LogLine(dpinst::Level::kWarning, "w"), "WARNING:w\r\n");
}

TEST(StandInReport, RunFollowsTheEncodingOfTheLogItJoins) {
  EXPECT_EQ(dpinst::EncodeForLog("ab\r\n", ""), "ab\r\n");
  EXPECT_EQ(dpinst::EncodeForLog("ab\r\n", "IN"), "ab\r\n");
  EXPECT_EQ(dpinst::EncodeForLog("ab", "\xFF\xFE"), std::string("a\0b\0", 4));
  const std::string log =
      "\xFF\xFE" +
      dpinst::EncodeForLog(dpinst::FolderLine("C:\\D") + dpinst::ReturnCodeLine(0x100), "\xFF\xFE");
  fakes::FakeUnicode unicode;
  os::Platform withUnicode;
  withUnicode.unicode = &unicode;
  os::ScopedPlatform scoped(withUnicode);
  EXPECT_EQ(platform::FindReturnCode(platform::LogAsSingleByteText(log), "C:\\D\\"), "100");
}

TEST(StandInLauncher, StartsTheInstallerItWasStagedFor) {
  const struct {
    const char* path;
    bool wide;
    const char* installer;
  } rows[] = {
      {"C:\\Temp\\x\\RunDPInstX86.exe", true, "DPInstX86.exe"},
      {"C:\\Temp\\x\\rundpinstx64.EXE", false, "DPInstX64.exe"},
      {"RunDPInstX64", false, "DPInstX64.exe"},
      {"C:\\Temp\\x\\prjRunWait.exe", false, "DPInstX86.exe"},
      {"C:\\Temp\\x\\prjRunWait.exe", true, "DPInstX64.exe"},
      {"C:\\RunDPInstX86.exe\\Other.exe", true, "DPInstX64.exe"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(launcher::InstallerFor(row.path, row.wide), row.installer) << row.path;
}

}  // namespace
