#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/fakes/Fakes.h"
#include "tools/catalog/Catalog.h"
#include "tools/package/PackageCheck.h"

namespace {

namespace fs = std::filesystem;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

void Edit(const fs::path& file, const std::string& from, const std::string& to) {
  std::stringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  std::ofstream(file, std::ios::binary) << Replaced(text.str(), from, to);
}

const std::string kSigning = SOURCE_DIR "/tests/signing/norvane-test-only";
const char kTestSigned[] =
    "TREE/Vista 64bit: warning: the catalog norvusb.cat is signed by \"CN=Norvane Test Signing "
    "Only, O=Norvane (test only)\", not through Microsoft: 64-bit Windows 10 from 1607 on loads "
    "its kernel driver only with test signing on (Vista64)";

// The folder's catalog made anew: by the command, or, given an OS attribute, with that one.
void Recatalog(const fs::path& folder, const std::string& osAttribute = "") {
  const std::string catalogFile = (folder / "norvusb.cat").string();
  std::string command = "bash " SOURCE_DIR "/scripts/catalog '" + folder.string() + "' '" +
                        kSigning + ".pem' '" + kSigning + ".key' >/dev/null";
  if (!osAttribute.empty()) {
    std::vector<catalog::Member> members;
    for (const char* name : {"norvusb.inf", "norvusb.sys"}) {
      std::stringstream bytes;
      bytes << std::ifstream(folder / name, std::ios::binary).rdbuf();
      members.push_back(catalog::MemberFor(name, bytes.str(), catalog::Algorithm::kSha1));
    }
    std::ofstream(catalogFile, std::ios::binary) << catalog::WriteCatalog(members, osAttribute, 0);
    command = "osslsigncode sign -certs '" + kSigning + ".pem' -key '" + kSigning + ".key' -in '" +
              catalogFile + "' -out '" + catalogFile + ".signed' >/dev/null && mv '" + catalogFile +
              ".signed' '" + catalogFile + "'";
  }
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Each row breaks the shipped configuration or driver tree one way; the findings must name the
// fault where it is, and nothing else. The findings about catalogs are looked at only in the rows
// about catalogs (the shipped 64-bit catalog is test-signed, which is worth a warning).
TEST(PackageCheckTest, FindsEachFaultWhereItIs) {
  const std::string shipped = fakes::ShippedConfiguration();
  const std::string unsupported9x[] = {
      "config.txt:2: warning: Win98SE is left unsupported: the installer refuses it",
      "config.txt:3: warning: WinME is left unsupported: the installer refuses it"};
  const std::string kArm =
      "config.txt:25: warning: Vista64 covers x64 processors only: the installer refuses Windows "
      "on ARM";
  const struct {
    const char* name;
    std::function<std::string(std::string)> config;
    std::function<void(const fs::path&)> tree;
    std::vector<std::string> findings;  // beyond the two 9x warnings; TREE is the driver tree
    bool armWarning = true;             // beyond them too, where Vista64 is supported
    std::optional<package::Release> release = std::nullopt;
  } rows[] = {
      {"shipped", nullptr, nullptr, {}},
      {"removal texts",
       [](std::string c) {
         return Replaced(
             c, "[AfterSetup]",
             "[AfterSetup]\r\nX:X  Uninstalled=Gone.\r\nX:X  UninstallFailed=Not gone.");
       },
       nullptr,
       {}},
      {"LF line ends",
       [](std::string c) {
         std::erase(c, '\r');
         return c;
       },
       nullptr,
       {"config.txt:1: error: line ends with LF alone (and 34 more lines); the installer reads "
        "only CR LF line ends"}},
      {"a stray CR",
       [](std::string c) {
         return Replaced(c, "successfully installed", "successfully\r installed");
       },
       nullptr,
       {"config.txt:31: error: CR without LF; the installer reads only CR LF line ends"}},
      {"misspelt key",
       [](std::string c) { return Replaced(c, "Win2K3=->", "Win2k3=->"); },
       nullptr,
       {"config.txt:16: error: unknown key \"Win2k3\" (names are read exactly as written: "
        "\"Win2K3\"); the installer ignores the line",
        "config.txt: warning: Win2K3 is left unsupported: the installer refuses it"}},
      {"blank before =",
       [](std::string c) { return Replaced(c, "$Vista=", "$Vista ="); },
       nullptr,
       {"config.txt:23: error: unknown edition in a driver-folder line \"Vista \" (names are read "
        "exactly as written: \"Vista\"); the installer ignores the line",
        "config.txt:22: error: Vista is supported but has no driver folder (\"$Vista=folder\\\")"}},
      {"unknown section",
       [](std::string c) { return Replaced(c, "[AfterSetup]", "[After Setup]"); },
       nullptr,
       {"config.txt:30: error: unknown section \"[After Setup]\" (the sections are [Config] and "
        "[AfterSetup])"}},
      {"after-setup key with one space",
       [](std::string c) { return Replaced(c, "X:X  CheckSvc:No", "X:X CheckSvc:Yes"); },
       nullptr,
       {"config.txt:35: error: unknown after-setup line \"X:X CheckSvc:Yes\" (\"X:X\", two "
        "spaces, then InstalledCorrectly=, InstalledDrvStore=, InstallFailed=, InstallInfo=, "
        "KeptBetterDriver=, Uninstalled=, UninstallFailed=, InstallWZCMsg=, CheckSvc:Yes, "
        "CheckSvc:No or ForceInstall:Yes)"}},
      {"kept-driver text and forced installs are known; %1 stays as written in the text",
       [](std::string c) {
         return Replaced(c, "X:X  CheckSvc:No",
                         "X:X  KeptBetterDriver=Kept %1\r\nX:X  ForceInstall:Yes");
       },
       nullptr,
       {"config.txt:35: error: \"%1\" stands here as it is written: only InstalledCorrectly, "
        "InstalledDrvStore and InstallFailed have it replaced by a count"}},
      {"edition line without =",
       [](std::string c) { return Replaced(c, "WinXP=->DRIVER_SILENT", "WinXP"); },
       nullptr,
       {"config.txt:9: error: \"WinXP\" without \"=\": the installer stops with \"Error reading "
        "configuration settings.\" on that edition",
        "config.txt:9: warning: WinXP is left unsupported: the installer refuses it"}},
      {"%1 where nothing fills it in",
       [](std::string c) { return Replaced(c, "InstallWZCMsg= %$", "InstallWZCMsg=%1 %$"); },
       nullptr,
       {"config.txt:36: error: \"%1\" stands here as it is written: only InstalledCorrectly, "
        "InstalledDrvStore and InstallFailed have it replaced by a count"}},
      {"service-pack key of an edition without one",
       [](std::string c) { return Replaced(c, "VistaSP1Required", "Vista64SP1Required"); },
       nullptr,
       {"config.txt:27: error: service-pack key \"Vista64SP1Required\" for Vista64, which has no "
        "service-pack check (only Win2K, WinXP and Vista have one)"}},
      {"service pack of the wrong number",
       [](std::string c) { return Replaced(c, "WinXPSP2Required=False", "WinXPSP3Required=True"); },
       nullptr,
       {"config.txt:11: error: \"WinXPSP3Required\": the service-pack key of WinXP is "
        "\"WinXPSP2Required\""}},
      {"service-pack value neither true nor false",
       [](std::string c) { return Replaced(c, "Win2KSP4Required=False", "Win2KSP4Required=Yes"); },
       nullptr,
       {"config.txt:7: error: \"Win2KSP4Required=Yes\": the value is True or False (anything "
        "else means False)"}},
      {"folder leaving the tree",
       [](std::string c) {
         return Replaced(c, "$Vista64=Vista 64bit\\", "$Vista64=..\\Vista 64bit\\");
       },
       nullptr,
       {"config.txt:26: error: driver folder \"..\\Vista 64bit\\\" of Vista64 leaves the driver "
        "tree"}},
      {"folder without its backslash",
       [](std::string c) { return Replaced(c, "$Vista64=Vista 64bit\\", "$Vista64=Vista 64bit"); },
       nullptr,
       {"config.txt:26: error: driver folder \"Vista 64bit\" of Vista64 must end with \"\\\": "
        "file names are appended to it"}},
      {"program leaving its folder",
       [](std::string c) {
         return Replaced(c, "Vista64=->DRIVER_SILENT", "Vista64=..\\setup.exe");
       },
       nullptr,
       {"config.txt:25: error: program \"..\\setup.exe\" of Vista64 leaves its driver folder"}},
      {"program missing, then present in another letter case",
       [](std::string c) { return Replaced(c, "Vista64=->DRIVER_SILENT", "Vista64=Setup.exe"); },
       nullptr,
       {"TREE/Vista 64bit: error: program \"Setup.exe\" (InstallMode) missing from the driver "
        "folder (Vista64)"}},
      {"program present",
       [](std::string c) { return Replaced(c, "Vista64=->DRIVER_SILENT", "Vista64=Setup.exe"); },
       [](const fs::path& t) { std::ofstream(t / "Vista 64bit" / "SETUP.EXE") << "MZ"; },
       {}},
      {"shared folder missing",
       nullptr,
       [](const fs::path& t) { fs::remove_all(t / "2000_XP"); },
       {"TREE/2000_XP: error: driver folder missing (Win2K, WinXP, Win2K3)"}},
      {"folder without an INF, an INF in capitals is enough",
       nullptr,
       [](const fs::path& t) {
         fs::remove(t / "Vista 32bit" / "norvusb.inf");
         fs::rename(t / "Vista 64bit" / "norvusb.inf", t / "Vista 64bit" / "NORVUSB.INF");
       },
       {"TREE/Vista 32bit: error: driver folder holds no INF file (Vista)"}},
      {"no driver tree at all",
       nullptr,
       [](const fs::path& t) { fs::remove_all(t); },
       {"TREE: error: the driver tree is not a folder"}},
      {"an INF for x86 in the x64 folder, one for Windows 10 alone in the x86 folder",
       nullptr,
       [](const fs::path& t) {
         Edit(t / "Vista 64bit/norvusb.inf", "Norvane, NTamd64", "Norvane, NTx86");
         std::ofstream(t / "Vista 64bit/broken.inf") << "[Manufacturer]\nN = N, NTamd64\n";
         Edit(t / "Vista 32bit/norvusb.inf", "Norvane, NTx86", "Norvane, NTx86.10.0");
         Edit(t / "Vista 32bit/norvusb.inf", "[Norvane.NTx86]", "[Norvane.NTx86.10.0]");
       },
       {"TREE/Vista 64bit: error: no INF offers a device to x64 Windows 6.0, 6.1, 6.3, 10.0 build "
        "19045, 10.0 build 26100; broken.inf is no driver package (no [Version] with the signature "
        "$Windows NT$ or $Chicago$); norvusb.inf names the models sections Norvane, "
        "Norvane.NTx86 (Vista64)",
        "TREE/Vista 32bit: warning: no INF offers a device to x86 Windows 6.0, 6.1, 6.3 (only to "
        "10.0 build 19045, 10.0 build 26100) (Vista)"}},
      {"catalogs: named through a string in another case, missing, none",
       nullptr,
       [](const fs::path& t) {
         Edit(t / "2000_XP/norvusb.inf", "norvusb.cat", "%Name%.CAT");
         Edit(t / "2000_XP/norvusb.inf", "[Strings]", "[Strings]\r\nName = NorvUsb");
         Recatalog(t / "2000_XP");
         Edit(t / "Vista 64bit/norvusb.inf", "[Version]", "[Version]\nCatalogFile.NTamd64=n64.cat");
         Edit(t / "Vista 32bit/norvusb.inf", "CatalogFile = norvusb.cat\r\n", "");
         Edit(t / "XP_2003 64bit/norvusb.inf", "CatalogFile = norvusb.cat\r\n", "");
       },
       {"TREE/Vista 64bit: error: norvusb.inf names the catalog file \"n64.cat\" for x64, which "
        "the folder lacks (Vista64)",
        "TREE/XP_2003 64bit: warning: norvusb.inf names no catalog file: Windows installs it only "
        "as an unsigned package (option legacyMode) (WinXP64, Win2K364)",
        "TREE/Vista 32bit: warning: norvusb.inf names no catalog file: Windows installs it only as "
        "an unsigned package (option legacyMode) (Vista)"}},
      // What Windows answers for each when it installs the package: the catalog rows.
      {"catalog: one byte of the INF changed",
       nullptr,
       [](const fs::path& t) { Edit(t / "Vista 32bit/norvusb.inf", "Driver Disk", "Driver Disc"); },
       {"TREE/Vista 32bit: error: norvusb.inf has no member of matching hash in norvusb.cat: "
        "Windows answers \"The hash for the file is not present in the specified catalog file\" "
        "(Vista)",
        kTestSigned}},
      {"catalog: the INF's line ends converted to LF",
       nullptr,
       [](const fs::path& t) {
         std::stringstream text;
         text << std::ifstream(t / "2000_XP/norvusb.inf", std::ios::binary).rdbuf();
         std::string lf = text.str();
         std::erase(lf, '\r');
         std::ofstream(t / "2000_XP/norvusb.inf", std::ios::binary) << lf;
       },
       {"TREE/2000_XP: error: norvusb.inf has no member of matching hash in norvusb.cat: Windows "
        "answers \"The hash for the file is not present in the specified catalog file\" (Win2K, "
        "WinXP, Win2K3)",
        kTestSigned}},
      {"catalog: a driver file replaced",
       nullptr,
       [](const fs::path& t) { std::ofstream(t / "Vista 64bit/norvusb.sys") << "MZ release 2"; },
       {"TREE/Vista 64bit: error: norvusb.sys has no member of matching hash in norvusb.cat: "
        "Windows answers \"The hash for the file is not present in the specified catalog file\" "
        "(Vista64)",
        kTestSigned}},
      {"catalog: another package's",
       nullptr,
       [](const fs::path& t) {
         fs::copy_file(t / "2000_XP/norvusb.cat", t / "Vista 32bit/norvusb.cat",
                       fs::copy_options::overwrite_existing);
       },
       {"TREE/Vista 32bit: error: norvusb.inf has no member of matching hash in norvusb.cat: "
        "Windows answers \"The hash for the file is not present in the specified catalog file\" "
        "(Vista)",
        kTestSigned}},
      {"catalog: five random bytes, and one never signed",
       nullptr,
       [](const fs::path& t) {
         std::ofstream(t / "XP_2003 64bit/norvusb.cat", std::ios::binary) << "\x30\x03\x9b\x41\x07";
         std::stringstream inf;
         inf << std::ifstream(t / "Vista 64bit/norvusb.inf", std::ios::binary).rdbuf();
         std::ofstream(t / "Vista 64bit/norvusb.cat", std::ios::binary) << catalog::WriteCatalog(
             {catalog::MemberFor("norvusb.inf", inf.str(), catalog::Algorithm::kSha1)}, "2:6.0", 0);
       },
       {"TREE/XP_2003 64bit: error: \"norvusb.cat\", the catalog norvusb.inf names, is no catalog: "
        "Windows refuses the package as unsigned (WinXP64, Win2K364)",
        "TREE/Vista 64bit: error: \"norvusb.cat\", the catalog norvusb.inf names, is not signed: "
        "Windows refuses the package as unsigned (Vista64)"}},
      {"catalog: one byte of its signature flipped",
       nullptr,
       [](const fs::path& t) {
         std::fstream cat(t / "2000_XP/norvusb.cat",
                          std::ios::in | std::ios::out | std::ios::binary);
         cat.seekg(-20, std::ios::end);
         const char byte = static_cast<char>(cat.get() ^ 1);
         cat.seekp(-20, std::ios::end).put(byte);
       },
       {"TREE/2000_XP: error: the signature of norvusb.cat does not match its contents: Windows "
        "refuses the package as tampered (Win2K, WinXP, Win2K3)",
        kTestSigned}},
      {"catalog: its certificate changed after signing (the subject key identifier's type)",
       nullptr,
       [](const fs::path& t) {
         Edit(t / "2000_XP/norvusb.cat", std::string("\x06\x03\x55\x1d\x0e", 5),
              std::string("\x06\x03\x55\x1d\x2a", 5));
       },
       {"TREE/2000_XP: error: the signature of norvusb.cat does not match its contents: Windows "
        "refuses the package as tampered (Win2K, WinXP, Win2K3)",
        kTestSigned}},
      {"catalog: a member's hash changed after signing",
       nullptr,
       [](const fs::path& t) {
         std::stringstream inf;
         inf << std::ifstream(t / "Vista 32bit/norvusb.inf", std::ios::binary).rdbuf();
         std::string digest = catalog::MemberFor("", inf.str(), catalog::Algorithm::kSha1).digest,
                     flipped = digest;
         flipped[5] ^= 1;
         Edit(t / "Vista 32bit/norvusb.cat", digest, flipped);
       },
       {"TREE/Vista 32bit: error: the signature of norvusb.cat does not match its contents: "
        "Windows refuses the package as tampered (Vista)",
        "TREE/Vista 32bit: error: norvusb.inf has no member of matching hash in norvusb.cat: "
        "Windows answers \"The hash for the file is not present in the specified catalog file\" "
        "(Vista)",
        kTestSigned}},
      {"catalog: signed with a key that is not RSA",
       nullptr,
       [](const fs::path& t) {
         const std::string key = (t / "ec").string();
         ASSERT_EQ(std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 "
                                "-nodes -subj /CN=ec -keyout '" +
                                key + ".key' -out '" + key +
                                ".pem' 2>/dev/null && bash " SOURCE_DIR "/scripts/catalog '" +
                                (t / "Vista 32bit").string() + "' '" + key + ".pem' '" + key +
                                ".key' >/dev/null")
                                   .c_str()),
                   0);
       },
       {"TREE/Vista 32bit: warning: norvusb.cat carries a signature this check cannot read (not "
        "RSA, or without its certificate): whether it matches is not checked (Vista)",
        kTestSigned}},
      {"catalog: an OS attribute without the Windows of an edition",
       nullptr,
       [](const fs::path& t) { Recatalog(t / "Vista 32bit", "2:5.1,2:6.0"); },
       {"TREE/Vista 32bit: error: norvusb.cat serves no Windows 6.1, 6.3, 10.0 (its OSAttr is "
        "\"2:5.1,2:6.0\"): the catalog cannot sign the package there (Vista)",
        kTestSigned}},
      {"catalog: a file the INF copies left out of the folder",
       nullptr,
       [](const fs::path& t) { fs::remove(t / "Vista 32bit/norvusb.sys"); },
       {"TREE/Vista 32bit: error: norvusb.inf copies norvusb.sys ([SourceDisksFiles]), which the "
        "folder lacks (Vista)",
        kTestSigned}},
      {"edition left unsupported on purpose",
       [](std::string c) { return Replaced(c, "Win2K=->DRIVER_SILENT", "Win2K="); },
       nullptr,
       {"config.txt:5: warning: Win2K is left unsupported: the installer refuses it"}},
      {"no 64-bit Vista and later, so no word of ARM",
       [](std::string c) { return Replaced(c, "Vista64=->DRIVER_SILENT", "Vista64="); },
       nullptr,
       {"config.txt:25: warning: Vista64 is left unsupported: the installer refuses it"},
       false},
      // What winget's identifier rules, four-number versions and Windows Installer refuse.
      {"release: names winget takes, blanks left out, with an MSI",
       nullptr,
       nullptr,
       {},
       true,
       package::Release{"2.1.0.15", "Air Link 2", "Smith & Sons", true}},
      {"release: the shipped names and version",
       nullptr,
       nullptr,
       {"--version: error: \"1.04.0930\" is not four numbers up to 65535 such as 2.1.0.15: winget, "
        "Intune's detection rule and the MSI read the version the entry holds",
        "--product: error: \"Norvane Driver/Utility Installer v1.4\" cannot stand in winget's "
        "package identifier \"Norvane.NorvaneDriver/UtilityInstallerv1.4\": it holds \"/\" "
        "(winget refuses \\ / : * ? \" < > | in it)"},
       true,
       package::Release{"1.04.0930", "Norvane Driver/Utility Installer v1.4", "Norvane"}},
      {"release: an empty part, a part of 33 letters, a version beyond the MSI's",
       nullptr,
       nullptr,
       {"--version: error: \"256.0.0.1\": Windows Installer takes at most 255 in the first two "
        "numbers of the MSI's ProductVersion",
        "--publisher: error: \"Acme Inc.\" cannot stand in winget's package identifier "
        "\"AcmeInc..WirelessAdapterSetupUtilityExtras\": a dot at its start or end, or two "
        "together, leave a part empty",
        "--product: error: \"Wireless Adapter Setup Utility Extras\" cannot stand in winget's "
        "package identifier \"AcmeInc..WirelessAdapterSetupUtilityExtras\": "
        "\"WirelessAdapterSetupUtilityExtras\" is longer than the 32 characters winget takes "
        "between dots"},
       true,
       package::Release{"256.0.0.1", "Wireless Adapter Setup Utility Extras", "Acme Inc.", true}},
      {"release: a version of five numbers, a product of nine parts",
       nullptr,
       nullptr,
       {"--version: error: \"2.1.0.15.1\" is not four numbers up to 65535 such as 2.1.0.15: "
        "winget, "
        "Intune's detection rule and the MSI read the version the entry holds",
        "--product: error: \"a.b.c.d.e.f.g.h\" cannot stand in winget's package identifier "
        "\"Acme.a.b.c.d.e.f.g.h\": winget takes at most 8 parts between dots"},
       true,
       package::Release{"2.1.0.15.1", "a.b.c.d.e.f.g.h", "Acme"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path tree = fs::temp_directory_path() / ("packagecheck-" + std::to_string(getpid()));
    fs::remove_all(tree);
    fs::copy(SOURCE_DIR "/resources/payload/driver", tree, fs::copy_options::recursive);
    if (row.tree) row.tree(tree);
    const std::string config = row.config ? row.config(shipped) : shipped;

    std::vector<std::string> found;
    for (const package::Finding& finding :
         package::CheckPackage(config, "config.txt", tree, row.release)) {
      std::string line = package::FormatFinding(finding);
      if (line.starts_with(tree.string())) line.replace(0, tree.string().size(), "TREE");
      if (std::string(row.name).starts_with("catalog") || line.find("catalog") == std::string::npos)
        found.push_back(line);
    }
    std::vector<std::string> expected(std::begin(unsupported9x), std::end(unsupported9x));
    expected.insert(expected.end(), row.findings.begin(), row.findings.end());
    if (row.armWarning) expected.push_back(kArm);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    fs::remove_all(tree);
  }
}

}  // namespace
