// The pure half of the package installer and its launcher that travel in cabinet 386.
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "os/Platform.h"
#include "platform/InstallLog.h"
#include "run/InstallerState.h"
#include "tests/unit/fakes/Fakes.h"
#include "tools/dpinst/CommandLine.h"
#include "tools/dpinst/DriverRank.h"
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

// Each INF fragment read where our editions run: x86 on Windows 2000, XP, Server 2003 (a
// Datacenter server), Vista, 7 and 10; x64 on XP x64, Vista, 7 and 10; German (Austria) as the
// language. A cell lists what is read there; one cell serves all columns, two serve x86 and x64.
// The rows follow Microsoft's own INF examples where the documentation has them.
TEST(StandInInf, ReadsEachDocumentedRuleOnEachWindows) {
  const dpinst::System columns[] = {
      {Architecture::kX86, {5, 0}},          {Architecture::kX86, {5, 1}},
      {Architecture::kX86, {5, 2, 3, 0x82}}, {Architecture::kX86, {6, 0}},
      {Architecture::kX86, {6, 1}},          {Architecture::kX86, {10, 0, 1, 0, 19045}},
      {Architecture::kAmd64, {5, 2}},        {Architecture::kAmd64, {6, 0}},
      {Architecture::kAmd64, {6, 1}},        {Architecture::kAmd64, {10, 0, 1, 0, 19045}},
  };
  enum Read { kModels, kIds, kCatalog, kClass };
  const struct {
    const char* inf;
    Read read;
    const char* cells;                // "|" between cells
    const char16_t* utf16 = nullptr;  // the INF saved as UTF-16 in place of inf
  } rows[] = {
      {"[Manufacturer]\n%FooCorp%=FooMfg, NTx86....0x80, NTamd64", kModels,
       "FooMfg|FooMfg|FooMfg.NTx86....0x80|FooMfg|FooMfg|FooMfg|FooMfg.NTamd64|FooMfg.NTamd64|"
       "FooMfg.NTamd64|FooMfg.NTamd64"},
      {"[Manufacturer]\n%FooCorp%=FooMfg, NT, NT.5, NT.5.5, NT....0x80", kModels,
       "FooMfg|FooMfg.NT.5|FooMfg.NT.5|FooMfg.NT.5.5|FooMfg.NT.5.5|FooMfg.NT.5.5||||"},
      {"[Manufacturer]\n%MyName% = MyName,NTx86.6.0,NTx86.5.1,", kModels,
       "MyName|MyName.NTx86.5.1|MyName.NTx86.5.1|MyName.NTx86.6.0|MyName.NTx86.6.0|"
       "MyName.NTx86.6.0||||"},
      {"[Manufacturer]\n%MyMfg% = MyMfg, NTamd64.6.1, NTamd64.10.0, NTamd64.10.0...14310", kModels,
       "MyMfg|MyMfg|MyMfg|MyMfg|MyMfg|MyMfg|||MyMfg.NTamd64.6.1|MyMfg.NTamd64.10.0...14310"},
      {"[Manufacturer]\n%M% = M, NTamd64.6.1...99999, NTamd64.6.0", kModels,
       "M|M|M|M|M|M||M.NTamd64.6.0|M.NTamd64.6.0|M.NTamd64.6.1...99999"},
      {"[Manufacturer]\n%Msft% = Msft, NTx86.6.0, NTamd64.6.0", kModels,
       "Msft|Msft|Msft|Msft.NTx86.6.0|Msft.NTx86.6.0|Msft.NTx86.6.0||Msft.NTamd64.6.0|"
       "Msft.NTamd64.6.0|Msft.NTamd64.6.0"},
      {"[Manufacturer]\n%M% = M, NTamd64.6.1.3, NTamd64.6.1.1, NTamd64.6.0, NTx86.5.2.3", kModels,
       "M|M|M.NTx86.5.2.3|M|M|M||M.NTamd64.6.0|M.NTamd64.6.1.1|M.NTamd64.6.1.1"},
      {"[Manufacturer]\nM = M, NT.6.0, NTx86.6.0, NTarm64.10.0, NTia64, NTarm, NTamd64.10.0, NTx",
       kModels, "M|M|M|M.NTx86.6.0|M.NTx86.6.0|M.NTx86.6.0||||M.NTamd64.10.0"},
      {"[Manufacturer]\n%StdMfg% = StdMfg,NTamd64\n[StdMfg.NTamd64]\n"
       "%*pnp0f0c.DeviceDesc%= Ser_Inst,*PNP0F0C,SERENUM\\PNP0F0C,SERIAL_MOUSE",
       kIds, "|*PNP0F0C,SERENUM\\PNP0F0C,SERIAL_MOUSE"},
      // Names in any case, sections of one name merged, comments, quotes, continuation, tokens.
      {"; [Manufacturer] in a comment\r\n[MANUFACTURER]\r\n%Mfg% = \"Vendor;One\", \\\r\n"
       "    NTamd64 ; the decoration on the next line\r\n[Vendor;One]\r\n"
       "%D% = Install, \"PCI\\VEN_1;2\", PCI\\VEN_%%1\r\n[vendor;one.ntamd64]\r\n"
       "%D% = Install, \"USB\\VID_\"\"Q\"\"\", %Prefix%\\VID_F0CA\r\n[Vendor;One]\r\n"
       "%D% = Install, ROOT\\MERGED\r\n[Strings]\r\nPrefix = \"USB\"\r\n",
       kIds, "PCI\\VEN_1;2,PCI\\VEN_%1,ROOT\\MERGED|USB\\VID_\"Q\",USB\\VID_F0CA"},
      {"[Version]\nCatalogFile=plain.cat\nCatalogFile.ntx86=x86.cat", kCatalog,
       "x86.cat|plain.cat"},
      {"[Version]\nCatalogFile.NT = %Name%.cat\nCatalogFile.NTamd64=\"%Name%64.cat\"\n"
       "CatalogFile=plain.cat\n[Strings]\nName=norvane",
       kCatalog, "norvane.cat|norvane64.cat"},
      {"[version]\nsignature = \"$chicago$\"\nClass = %NetClass% ; the class\n"
       "[Strings]\nNetClass = \"Net\"",
       kClass, "Net"},
      {"[Version]\nSignature=$Windows 95$\nClass=Net", kClass, "(not an INF)"},
      {"[Version]\nSignature=$Windows NT$\nClass=%C%%D%\n[Strings]\nC=en\nD=!\n[Strings.0407]\n"
       "C=de\nD=!\n[Strings.0C07]\nC=at",
       kClass, "at%D%"},
      {"[Version]\nSignature=$Windows NT$\nClass=%C%\n[Strings]\nC=en\n[Strings.0407]\nC=de\n"
       "[Strings.0007]\nC=neutral",
       kClass, "neutral"},
      {"[Version]\nSignature=$Windows NT$\nClass=%C%\n[Strings]\nC=en\n[Strings.0409]\nC=us\n"
       "[Strings.0x0807]\nC=ch",
       kClass, "ch"},
      {"[Version]\nSignature=$Windows NT$\nClass=%C%\n[Strings]\nC=en\n[Strings.0409]\nC=us",
       kClass, "en"},
      {"", kCatalog, "Kataloğ.cat", u"[Version]\r\nCatalogFile = Kataloğ.cat ; 𝄞\r\n"},
  };
  for (const auto& row : rows) {
    std::string inf = row.inf;
    if (row.utf16) {
      inf = "\xFF\xFE";
      for (const char16_t* c = row.utf16; *c; ++c)
        inf += std::string{static_cast<char>(*c & 0xFF), static_cast<char>(*c >> 8)};
    }
    std::vector<std::string> cells;
    for (size_t at = 0;;) {
      const size_t bar = std::string_view(row.cells).find('|', at);
      cells.emplace_back(std::string_view(row.cells).substr(at, bar - at));
      if (bar == std::string_view::npos) break;
      at = bar + 1;
    }
    for (size_t column = 0; column < std::size(columns); ++column) {
      dpinst::System system = columns[column];
      system.language = 0x0C07;
      const dpinst::InfPackage package = dpinst::ParseInf(dpinst::InfText(inf), system);
      const std::vector<std::string>& list =
          row.read == kModels ? package.modelsSections : package.hardwareIds;
      std::string read = row.read == kCatalog ? package.catalogFile
                         : row.read == kClass
                             ? (package.validVersion ? package.className : "(not an INF)")
                             : "";
      for (const std::string& item : row.read <= kIds ? list : std::vector<std::string>{})
        read += (read.empty() ? "" : row.read == kIds ? "," : " ") + item;
      const size_t cell = cells.size() == 1 ? 0 : cells.size() == 2 ? column >= 6 : column;
      EXPECT_EQ(read, cells.at(cell)) << row.inf << "\ncolumn " << column;
    }
  }
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
    const dpinst::InfPackage package =
        dpinst::ParseInf(text.str(), {row.architecture, row.version});
    EXPECT_TRUE(package.validVersion) << row.folder;
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

// The installer reads the stand-in's log where Windows keeps it, through the fakes.
class StandInReport : public fakes::PlatformTest {
 protected:
  StandInReport() {
    shell.specialFolders[36] = "C:\\Windows";
    files.CreateFolder("C:\\Windows");
  }
};

TEST_F(StandInReport, ReturnCodeLinesAreWhatTheInstallerReads) {
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
    WriteFile("C:\\Windows\\DPINST.LOG", log);
    EXPECT_EQ(platform::ReadRunSection(folder + "\\").code, std::string(row.digits));
  }
  EXPECT_EQ(dpinst::LogLine(dpinst::Level::kError, "two\r\nlines"), "ERROR:  two  lines\r\n");
  EXPECT_EQ(dpinst::LogLine(dpinst::Level::kWarning, "w"), "WARNING:w\r\n");
}

TEST_F(StandInReport, RunFollowsTheEncodingOfTheLogItJoins) {
  EXPECT_EQ(dpinst::EncodeForLog("ab\r\n", ""), "ab\r\n");
  EXPECT_EQ(dpinst::EncodeForLog("ab\r\n", "IN"), "ab\r\n");
  EXPECT_EQ(dpinst::EncodeForLog("ab", "\xFF\xFE"), std::string("a\0b\0", 4));
  const std::string log =
      "\xFF\xFE" +
      dpinst::EncodeForLog(dpinst::FolderLine("C:\\D") + dpinst::ReturnCodeLine(0x100), "\xFF\xFE");
  WriteFile("C:\\Windows\\DPINST.LOG", log);
  EXPECT_EQ(platform::ReadRunSection("C:\\D\\").code, "100");
}

TEST(StandInCommandLine, RemovalTakesOnlyAFileOfTheInfFolder) {
  const struct {
    const char* line;
    bool uninstall, quiet;
    const char* inf;   // the argument after /u
    const char* name;  // what is looked up in the INF folder; empty: nothing
  } rows[] = {
      {"", false, false, "", ""},
      {"/sw /d", false, false, "", ""},
      {"/u oem3.inf /q", true, true, "oem3.inf", "oem3.inf"},
      {"/Q /SW /U OEM12.INF /D", true, true, "OEM12.INF", "OEM12.INF"},
      {"/u /q", true, true, "", ""},
      {"/q /u", true, true, "", ""},
      {"/u \"\"", true, false, "", ""},
      {"/u \"C:\\Program Files\\My Driver\\norvusb.inf\"", true, false,
       "C:\\Program Files\\My Driver\\norvusb.inf", "norvusb.inf"},
      {"/u ..\\win.ini", true, false, "..\\win.ini", ""},
      {"/u ..\\..\\boot.inf", true, false, "..\\..\\boot.inf", "boot.inf"},
      {"/u ..", true, false, "..", ""},
      {"/u C:oem3.inf", true, false, "C:oem3.inf", ""},
      {"/u oem3.inf:hidden.inf", true, false, "oem3.inf:hidden.inf", ""},
      {"/u oem*.inf", true, false, "oem*.inf", ""},
      {"/u oem3.inf.", true, false, "oem3.inf.", ""},
      {"/u x/y.inf", true, false, "x/y.inf", "y.inf"},
      {"/u \"a\\\\\" b.inf", true, false, "a\\", ""},
      {"/u a\\\\\\\"b\" .inf\"", true, false, "a\\\"b .inf", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    const dpinst::Command command = dpinst::ParseCommandLine(row.line);
    EXPECT_EQ(command.uninstall, row.uninstall);
    EXPECT_EQ(command.quiet, row.quiet);
    EXPECT_EQ(command.inf, row.inf);
    EXPECT_EQ(dpinst::PublishedInfName(command.inf), row.name);
  }
  const struct {
    const char* name;
    const char* provider;
    bool windows;
  } names[] = {{"oem12.inf", "Microsoft", false}, {"OEM0.INF", "", false},
               {"oem.inf", "Norvane", false},     {"oem1a.inf", "", true},
               {"machine.inf", "Microsoft", true},
               {"norvusb.inf", "Norvane", false},  {"input.inf", "", true},
               {"x.inf", "microsoft corporation", true}};
  for (const auto& row : names)
    EXPECT_EQ(dpinst::MayBeWindowsOwnInf(row.name, row.provider), row.windows) << row.name;
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

// Windows' order among drivers: signed first, then the later date, then the higher version; what
// cannot be read ranks lowest.
TEST(StandInRanking, DriversRankBySignatureThenDateThenVersion) {
  const struct {
    const char* name;
    dpinst::DriverOffer present, package;
    int rank;  // of the present driver against the package's
  } rows[] = {
      {"later date", {false, "", "09/30/2026", "1.4.0.930"}, {false, "", "01/15/2019", "9.0"}, 1},
      {"driver key's date form", {false, "", "9-30-2026", "1"}, {false, "", "10/01/2026", "1"}, -1},
      {"same date, higher version", {false, "", "1/2/2026", "1.4.0.10"}, {false, "", "01/02/2026", "1.4.0.9"}, 1},
      {"missing parts count 0", {false, "", "1/2/2026", "1.4"}, {false, "", "1/2/2026", "1.4.0.0"}, 0},
      {"signed beats a later date", {true, "", "1/1/2000", "1"}, {false, "", "1/1/2030", "9"}, 1},
      {"unreadable date ranks lowest", {false, "", "2026-09-30", "9"}, {false, "", "1/1/2000", "1"}, -1},
      {"month 13", {false, "", "13/01/2026", "9"}, {false, "", "1/1/2000", "1"}, -1},
      {"unreadable version ranks lowest", {false, "", "1/1/2026", "1.x"}, {false, "", "1/1/2026", "0.1"}, -1},
      {"version part above 65535", {false, "", "1/1/2026", "70000"}, {false, "", "1/1/2026", "1"}, -1},
      {"neither readable", {false, "", "", ""}, {false, "", "", ""}, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(dpinst::CompareOffers(row.present, row.package), row.rank) << row.name;
    EXPECT_EQ(dpinst::CompareOffers(row.package, row.present), -row.rank) << row.name;
  }
  EXPECT_EQ(dpinst::ProblemSentence(77), "code 77). Device Manager tells what the code means.");
  EXPECT_EQ(dpinst::RefusalSentence(0xE000024B, ""), "its catalog does not cover one of its files.");
  EXPECT_EQ(dpinst::RefusalSentence(5, "x.sys"), "");
}
