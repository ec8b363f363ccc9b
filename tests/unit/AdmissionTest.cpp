#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Admission.h"
#include "platform/Configuration.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

const std::string kServicePack4 =
    "This installation requires the use of Service Pack 4. Please download and install Service "
    "Pack 4 from Windows Update, or via the Microsoft website (http://www.microsoft.com), before "
    "continuing this installation.";
const std::string kServicePack2 =
    "This installation requires the use of Service Pack 2. Please download and install Service "
    "Pack 2 from Windows Update, or via the Microsoft website (http://www.microsoft.com), before "
    "continuing this installation.";
const std::string kServicePack1 =
    "This installation requires the use of Service Pack 1. Please download and install Service "
    "Pack 1 from Windows Update, or via the Microsoft website (http://www.microsoft.com), before "
    "continuing this installation.";

class AdmissionTest : public fakes::PlatformTest {
 protected:
  // Runs a check; the refusal text, or nothing when the check let the run go on.
  std::optional<std::string> Refusal(void (*check)()) {
    shell.messages.clear();
    try {
      check();
    } catch (const fakes::ProcessEnded&) {
      EXPECT_EQ(shell.messages.size(), 1u);
      if (shell.messages.empty()) return "<ended without a message>";
      EXPECT_EQ(shell.messages[0].title, app::kAppTitle);
      EXPECT_EQ(shell.messages[0].style, os::kMbOk);
      return shell.messages[0].text;
    }
    EXPECT_TRUE(shell.messages.empty());
    return std::nullopt;
  }
};

TEST_F(AdmissionTest, EveryKeyWithTheShippedConfiguration) {
  std::ifstream in(SOURCE_DIR "/resources/config.txt", std::ios::binary);
  std::stringstream shipped;
  shipped << in.rdbuf();
  const std::optional<std::string> passes;
  const struct {
    const char* key;
    std::optional<std::string> refusal;
  } rows[] = {
      {"", "This installer can't be used on "},
      {"95", "This installer can't be used on "},
      {"98", "This installer can't be used on Windows 98"},
      {"ME", "This installer can't be used on Windows ME"},
      {"Win2K", passes},
      {"WinXP", passes},
      {"WinXP64", passes},
      {"Win2K3", passes},
      {"Win2K364", passes},
      {"Vista", passes},
      {"Vista64", passes},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string("key '") + row.key + "'");
    app::State() = app::InstallerState();
    app::State().TempFolder = "C:\\Temp\\";
    app::State().InstallFolder = "C:\\Temp\\Installer_InstallationFolder";
    app::State().PlatformKey = row.key;
    WriteFile("C:\\Temp\\config.txt", shipped.str());
    platform::ReadConfiguration();
    EXPECT_EQ(Refusal(platform::CheckEditionSupported), row.refusal);
    // No service pack is required by the shipped file, whatever the platform answers.
    version.querySucceeds = false;
    if (!row.refusal) {
      EXPECT_EQ(Refusal(platform::CheckServicePack), passes);
    }
  }
}

TEST_F(AdmissionTest, DisplayNames) {
  const struct {
    const char* key;
    const char* name;
  } rows[] = {
      {"98", "Windows 98"},
      {"ME", "Windows ME"},
      {"Win2K", "Windows 2000"},
      {"WinXP", "Windows XP"},
      {"Win2K3", "Windows 2003"},
      {"WinXP64", "Windows XP (x86_64)"},
      {"Win2K364", "Windows 2003 (x86_64)"},
      {"Vista", "Windows Vista"},
      {"vista64", "Windows Vista (x86_64)"},
      {"95", ""},
      {"", ""},
      {"Win98SE", ""},
  };
  for (const auto& row : rows) {
    app::State().PlatformKey = row.key;
    EXPECT_EQ(platform::PlatformDisplayName(), row.name) << "key '" << row.key << "'";
  }
}

TEST_F(AdmissionTest, ServicePacks) {
  const std::optional<std::string> passes;
  const struct {
    const char* name;
    const char* key;
    bool queried;  // false: the version query fails
    uint32_t major, minor;
    const char* servicePack;
    app::Flag required;
    std::optional<std::string> refusal;
  } rows[] = {
      {"2000 SP2", "Win2K", true, 5, 0, "Service Pack 2", -1, kServicePack4},
      {"2000 SP4", "Win2K", true, 5, 0, "Service Pack 4", -1, passes},
      {"XP SP1 required", "WinXP", true, 5, 1, "Service Pack 1", -1, kServicePack2},
      {"XP SP1 not required", "WinXP", true, 5, 1, "Service Pack 1", 0, passes},
      {"XP SP3", "WinXP", true, 5, 1, "Service Pack 3", -1, passes},
      {"Vista RTM", "Vista", true, 6, 0, "", -1, kServicePack1},
      {"Vista SP2", "Vista", true, 6, 0, "Service Pack 2", -1, passes},
      {"7 RTM has what Vista SP1 brought", "Vista", true, 6, 1, "", -1, passes},
      {"10 seen as 6.2", "Vista", true, 6, 2, "", -1, passes},
      {"failed query on XP", "WinXP", false, 0, 0, "", -1, kServicePack2},
      {"failed query on Vista", "Vista", false, 0, 0, "", -1, kServicePack1},
      {"XP record under the 2000 key", "Win2K", true, 5, 1, "Service Pack 4", -1, kServicePack4},
      {"XP 64-bit", "WinXP64", false, 0, 0, "", -1, passes},
      {"2003", "Win2K3", false, 0, 0, "", -1, passes},
      {"2003 64-bit", "Win2K364", false, 0, 0, "", -1, passes},
      {"Vista 64-bit", "Vista64", false, 0, 0, "", -1, passes},
      {"98", "98", false, 0, 0, "", -1, passes},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    version.Set(2, row.major, row.minor, row.servicePack);
    version.querySucceeds = row.queried;
    version.queries = 0;
    app::State().PlatformKey = row.key;
    app::State().ServicePackRequired = row.required;
    EXPECT_EQ(Refusal(platform::CheckServicePack), row.refusal);
    // The platform is asked even when no service pack is required.
    const bool checked = std::string(row.key) == "Win2K" || std::string(row.key) == "WinXP" ||
                         std::string(row.key) == "Vista";
    EXPECT_EQ(version.queries > 0, checked);
  }
}

}  // namespace
