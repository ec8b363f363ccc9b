#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "platform/Configuration.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

using fakes::ShippedConfiguration;

class ConfigurationTest : public fakes::PlatformTest {
 protected:
  // Reads `bytes` as the program's configuration for `key`; true when the run ended with the
  // configuration error (or with `message`). The config.txt written from them has been changed
  // on disk since: what the run reads must not follow it.
  bool Read(const std::string& key, const std::optional<std::string>& bytes,
            const std::string& message = "Error reading configuration settings.") {
    run::State() = run::InstallerState();
    run::State().TempFolder = "C:\\Temp\\";
    run::State().InstallFolder = "C:\\Temp\\Installer_InstallationFolder";
    run::State().PlatformKey = key;
    shell.messages.clear();
    resources.resources.erase({"CONFIG", 7});
    if (bytes) resources.resources[{"CONFIG", 7}] = *bytes;
    WriteFile("C:\\Temp\\config.txt", "X:X  InstalledCorrectly=changed\r\n" + key +
                                          "=evil.exe\r\n$" + key +
                                          "=changed\\\r\nX:X  CheckSvc:Yes");
    try {
      platform::ReadConfiguration();
    } catch (const fakes::ProcessEnded&) {
      EXPECT_EQ(shell.messages.size(), 1u);
      EXPECT_EQ(shell.messages.at(0).text, message);
      EXPECT_EQ(shell.messages.at(0).title, run::kAppTitle);
      EXPECT_EQ(shell.messages.at(0).style, os::kMbOk);
      // Another program's file of that name is never touched.
      EXPECT_TRUE(std::filesystem::exists(Host("C:\\Temp\\config.txt")));
      return true;
    }
    EXPECT_TRUE(shell.messages.empty());
    return false;
  }
};

TEST_F(ConfigurationTest, ShippedFileForEveryKey) {
  const std::string shipped = ShippedConfiguration();
  ASSERT_FALSE(shipped.empty());
  const struct {
    const char* key;
    const char* installMode;
    const char* folder;
  } rows[] = {
      {"", "", ""},
      {"95", "", ""},
      {"98", "", ""},
      {"ME", "", ""},
      {"Win2K", "->DRIVER_SILENT", "2000_XP\\"},
      {"WinXP", "->DRIVER_SILENT", "2000_XP\\"},
      {"WinXP64", "->DRIVER_SILENT", "XP_2003 64bit\\"},
      {"Win2K3", "->DRIVER_SILENT", "2000_XP\\"},
      {"Win2K364", "->DRIVER_SILENT", "XP_2003 64bit\\"},
      {"Vista", "->DRIVER_SILENT", "Vista 32bit\\"},
      {"Vista64", "->DRIVER_SILENT", "Vista 64bit\\"},
      {"vista", "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string("key '") + row.key + "'");
    ASSERT_FALSE(Read(row.key, shipped));
    const run::InstallerState& state = run::State();
    EXPECT_EQ(state.InstallMode, row.installMode);
    EXPECT_EQ(state.DriverSubfolder, row.folder);
    EXPECT_EQ(state.ServicePackRequired, run::kFalse);
    EXPECT_EQ(state.MsgInstalledCorrectly, "The drivers have been successfully installed.");
    EXPECT_EQ(state.MsgInstalledDrvStore,
              "If your device isn't plugged in yet, connect it now to finish the installation.");
    EXPECT_EQ(state.MsgInstallFailed,
              "Something went wrong during the installation, or the setup has been cancelled. "
              "-(error:%1)");
    EXPECT_EQ(state.MsgInstallInfo, "");
    EXPECT_EQ(state.MsgWirelessService, " %$ %$%$ %$");
    EXPECT_EQ(state.CheckWirelessService, run::kFalse);
  }
}

struct Outcome {
  std::string installMode{};
  std::string folder{};
  run::Flag servicePackRequired = 0;
  run::Flag checkService = 0;
  std::string correctly{};  // MsgInstalledCorrectly
};

TEST_F(ConfigurationTest, HostileAndUnusualFiles) {
  const std::string megabyte(1 << 20, 'a');
  const struct {
    const char* name;
    const char* key;
    std::optional<std::string> bytes;
    bool error;
    Outcome outcome;
  } rows[] = {
      {"no resource", "WinXP", std::nullopt, true, {}},
      {"empty file", "WinXP", "", false, {}},
      {"own edition without =", "Win2K", "Win2K\r\nWin2K=late\r\n", true, {}},
      {"other edition without =", "WinXP", "Win2K\r\nWinXP=x", false, {.installMode = "x"}},
      {"own folder without =", "WinXP", "$WinXP\r\n", true, {}},
      {"own service pack without =", "Vista", "VistaSP1Required", true, {}},
      {"other service pack without =",
       "Vista",
       "WinXPSP2Required\r\nVista=v",
       false,
       {.installMode = "v"}},
      {"lone = and $", "WinXP", "=\r\n$\r\n$=\r\nWinXP=x", false, {.installMode = "x"}},
      {"doubled lines, later wins",
       "WinXP",
       "WinXP=1\r\n$WinXP=a\\\r\nWinXP=2\r\n$WinXP=b\\",
       false,
       {.installMode = "2", .folder = "b\\"}},
      {"value ends at a second =",
       "Win2K",
       "Win2K=->DRIVER_SILENT=more=x",
       false,
       {.installMode = "->DRIVER_SILENT"}},
      {"names are exact",
       "WinXP",
       "WINXP=a\r\nWinXP =b\r\n WinXP=c\r\n[WinXP=d\r\nwinxp=e",
       false,
       {}},
      {"nothing trimmed",
       "WinXP",
       "WinXP= setup.exe \r\n$WinXP= f\\ ",
       false,
       {.installMode = " setup.exe ", .folder = " f\\ "}},
      {"service pack true", "WinXP", "WinXPSP2Required=tRuE", false, {.servicePackRequired = -1}},
      {"service pack never reset",
       "Win2K",
       "Win2KSP4Required=TRUE\r\nWin2KSP4Required=False",
       false,
       {.servicePackRequired = -1}},
      {"service pack not quite true",
       "Vista",
       "VistaSP1Required=Yes\r\nVistaSP1Required=True ",
       false,
       {}},
      {"other edition's service pack", "WinXP", "Win2KSP4Required=True", false, {}},
      {"service pack name is no folder", "WinXP", "$WinXPSP2Required=True", false, {}},
      {"binary bytes",
       "WinXP",
       std::string("\0\xff\x80=\x01\r\nWinXP=b\xff\0y\r\n\x1a", 19),
       false,
       {.installMode = std::string("b\xff\0y", 4)}},
      {"megabyte line",
       "WinXP",
       "X:X  InstalledCorrectly=" + megabyte + "\r\nWinXP=" + megabyte,
       false,
       {.installMode = megabyte, .correctly = megabyte}},
      {"lone CR stays in the line",
       "WinXP",
       "WinXP=a\rWinXP=b\r\nX:X  CheckSvc:Yes\r",
       false,
       {.installMode = "a\rWinXP"}},
      {"lone LF stays in the line",
       "WinXP",
       "X:X  InstalledCorrectly=a\nX:X  CheckSvc:Yes\n",
       false,
       {.correctly = "a\nX:X  CheckSvc:Yes\n"}},
      {"switch on", "95", "X:X  CheckSvc:Yes\r\nX:X  CheckSvc:No", false, {.checkService = -1}},
      {"switch is exact",
       "95",
       "X:X  checksvc:Yes\r\nX:X  CheckSvc:Yes \r\nX:X CheckSvc:Yes",
       false,
       {}},
      {"after-setup key in any case",
       "95",
       "X:X  iNsTaLlEdCoRrEcTlY= Kept Case ",
       false,
       {.correctly = " Kept Case "}},
      {"after-setup later wins",
       "95",
       "X:X  InstalledCorrectly=one\r\nX:X  InstalledCorrectly=two",
       false,
       {.correctly = "two"}},
      {"marker in small letters or one space",
       "95",
       "x:x  InstalledCorrectly=a\r\nX:X InstalledCorrectly=b\r\nX:x  InstalledCorrectly=c",
       false,
       {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(Read(row.key, row.bytes), row.error);
    if (row.error) continue;
    const run::InstallerState& state = run::State();
    EXPECT_EQ(state.InstallMode, row.outcome.installMode);
    EXPECT_EQ(state.DriverSubfolder, row.outcome.folder);
    EXPECT_EQ(state.ServicePackRequired, row.outcome.servicePackRequired);
    EXPECT_EQ(state.CheckWirelessService, row.outcome.checkService);
    EXPECT_EQ(state.MsgInstalledCorrectly, row.outcome.correctly);
  }
}

// What the edition's lines name is joined to the driver folder: it must stay inside it. The
// markers of the driver installer's own modes name no file.
TEST_F(ConfigurationTest, PathsLeadingOutOfTheDriverFolderAreRefused) {
  const struct {
    const char* installMode;
    const char* folder;
    const char* outside;  // nullptr: admitted
  } rows[] = {
      {"->DRIVER_SILENT", "Vista 64bit\\", nullptr},
      {"setup.exe", "Vista 64bit\\", nullptr},
      {"tools\\setup.exe", "a\\b\\", nullptr},
      {"", "", nullptr},
      {"->DRIVER", "..\\", "..\\"},
      {"->DRIVER_SILENT", "Vista 64bit\\..\\..\\..\\", "Vista 64bit\\..\\..\\..\\"},
      {"->DRIVER_SILENT", "\\Windows\\", "\\Windows\\"},
      {"->DRIVER_SILENT", "/tmp/", "/tmp/"},
      {"->DRIVER_SILENT", "C:\\Users\\me\\", "C:\\Users\\me\\"},
      {"->DRIVER_SILENT", "\\\\server\\share\\", "\\\\server\\share\\"},
      {"..\\..\\..\\evil.exe", "Vista 64bit\\", "..\\..\\..\\evil.exe"},
      {"C:evil.exe", "Vista 64bit\\", "C:evil.exe"},
      {"setup.exe:stream", "Vista 64bit\\", "setup.exe:stream"},
      {"\\evil.exe", "", "\\evil.exe"},
      {"..\\evil.exe", "..\\", "..\\"},  // the folder is named first
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.installMode) + " in " + row.folder);
    const std::string bytes =
        std::string("Vista64=") + row.installMode + "\r\n$Vista64=" + row.folder;
    const bool refused =
        Read("Vista64", bytes,
             std::string(platform::kConfigurationPathError) + (row.outside ? row.outside : ""));
    EXPECT_EQ(refused, row.outside != nullptr);
  }
}

TEST_F(ConfigurationTest, EachAfterSetupKeyFillsItsOwnText) {
  ASSERT_FALSE(Read("98",
                    "X:X  INSTALLEDCORRECTLY=c\r\nX:X  InstalledDrvStore=d\r\nX:X  installfailed=f"
                    "\r\nX:X  InstallInfo=i\r\nX:X  InstallWZCMsg=w\r\nX:X  Other=o"));
  const run::InstallerState& state = run::State();
  EXPECT_EQ(state.MsgInstalledCorrectly, "c");
  EXPECT_EQ(state.MsgInstalledDrvStore, "d");
  EXPECT_EQ(state.MsgInstallFailed, "f");
  EXPECT_EQ(state.MsgInstallInfo, "i");
  EXPECT_EQ(state.MsgWirelessService, "w");
  EXPECT_EQ(state.InstallMode, "");
}

}  // namespace
