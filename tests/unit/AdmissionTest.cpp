#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Admission.h"
#include "platform/Configuration.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

// One message in full; the other two differ only in the service pack's number.
const std::string kServicePack2 =
    "This installation requires the use of Service Pack 2. Please download and install Service "
    "Pack 2 from Windows Update, or via the Microsoft website (http://www.microsoft.com), before "
    "continuing this installation.";

std::string ServicePackMessage(char number) {
  std::string message = kServicePack2;
  for (auto at = message.find("Pack 2"); at != std::string::npos; at = message.find("Pack 2", at))
    message[at + 5] = number;
  return message;
}
const std::string kServicePack4 = ServicePackMessage('4');
const std::string kServicePack1 = ServicePackMessage('1');

class AdmissionTest : public fakes::PlatformTest {
 protected:
  // Runs a check; the refusal text, or nothing when the check let the run go on.
  std::optional<std::string> Refusal(void (*check)()) {
    shell.messages.clear();
    try {
      check();
    } catch (const fakes::ProcessEnded& ended) {
      EXPECT_EQ(ended.code, 1633);
      EXPECT_EQ(shell.messages.size(), 1u);
      if (shell.messages.empty()) return "<ended without a message>";
      EXPECT_EQ(shell.messages[0].title, run::kAppTitle);
      EXPECT_EQ(shell.messages[0].style, os::kMbOk);
      return shell.messages[0].text;
    }
    EXPECT_TRUE(shell.messages.empty());
    return std::nullopt;
  }
};

TEST_F(AdmissionTest, EveryKeyWithTheShippedConfigurationAndWithout) {
  const std::string shipped = fakes::ShippedConfiguration();
  const struct {
    const char* key;
    const char* displayName;
    bool shippedSupports;
  } rows[] = {
      {"", "", false},
      {"95", "", false},
      {"98", "Windows 98", false},
      {"ME", "Windows ME", false},
      {"Win2K", "Windows 2000", true},
      {"WinXP", "Windows XP", true},
      {"WinXP64", "Windows XP (x86_64)", true},
      {"Win2K3", "Windows 2003", true},
      {"Win2K364", "Windows 2003 (x86_64)", true},
      {"Vista", "Windows Vista", true},
      {"Vista64", "Windows Vista (x86_64)", true},
      {"vista64", "Windows Vista (x86_64)", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string("key '") + row.key + "'");
    const std::string refusal = std::string("This installer can't be used on ") + row.displayName;
    run::State() = run::InstallerState();
    run::State().TempFolder = "C:\\Temp\\";
    run::State().InstallFolder = "C:\\Temp\\Installer_InstallationFolder";
    run::State().PlatformKey = row.key;
    WriteFile("C:\\Temp\\config.txt", shipped);
    platform::ReadConfiguration();
    EXPECT_EQ(Refusal(platform::CheckEditionSupported),
              row.shippedSupports ? std::nullopt : std::optional(refusal));
    if (row.shippedSupports) {
      // The shipped file requires no service pack, whatever the platform answers.
      version.querySucceeds = false;
      EXPECT_EQ(Refusal(platform::CheckServicePack), std::nullopt);
      run::State().InstallMode.clear();
      EXPECT_EQ(Refusal(platform::CheckEditionSupported), refusal);
    }
  }
}

// The 32-bit program on 32-bit Windows, or on 64-bit Windows (which the 64-bit build always is).
TEST_F(AdmissionTest, Machines) {
  const std::optional<std::string> passes;
  const std::optional<std::string> refused =
      "This installer has no driver for Windows on ARM processors.";
  const struct {
    const char* name;
    uint16_t machine;
    std::optional<std::string> refusal;
  } rows[] = {
      {"no IsWow64Process2 (before Windows 10 1709)", os::kMachineUnknown, passes},
      {"x86", os::kMachineX86, passes},
      {"x64", os::kMachineX64, passes},
      {"ARM64", os::kMachineArm64, refused},
      {"ARM32, or any other", 0x01c4, refused},
  };
  for (const auto& row : rows) {
    for (const bool wow64 : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (wow64 ? ", 64-bit" : ", 32-bit"));
      version.wow64 = wow64;
      version.nativeMachine = row.machine;
      EXPECT_EQ(Refusal(platform::CheckMachineSupported), row.refusal);
    }
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
    run::Flag required;
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
    run::State().PlatformKey = row.key;
    run::State().ServicePackRequired = row.required;
    EXPECT_EQ(Refusal(platform::CheckServicePack), row.refusal);
    // The platform is asked even when no service pack is required.
    const bool checked = std::string(row.key) == "Win2K" || std::string(row.key) == "WinXP" ||
                         std::string(row.key) == "Vista";
    EXPECT_EQ(version.queries > 0, checked);
  }
}

}  // namespace
