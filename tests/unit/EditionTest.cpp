#include <gtest/gtest.h>

#include <cstring>

#include "platform/Edition.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

os::VersionRecord Record(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                         const std::string& servicePack) {
  os::VersionRecord record;
  record.platformId = platformId;
  record.major = major;
  record.minor = minor;
  record.build = build;
  std::memcpy(record.servicePack, servicePack.data(), servicePack.size());
  return record;
}

// Version records as Windows and Wine hand them to a program without a supportedOS manifest.
struct Edition {
  const char* name;
  std::optional<os::VersionRecord> record;
  const char* key32;        // on 32-bit Windows
  const char* key64;        // the 32-bit program on 64-bit Windows, or the 64-bit build
  run::Flag sp4, sp2, sp1;  // HasWindows2000SP4, HasWindowsXPSP2, HasWindowsVistaSP1
};

const Edition kEditions[] = {
    {"Wine win98", Record(1, 4, 10, 0x40A08AE, " A "), "98", "98", 0, 0, 0},
    {"Windows 95", Record(1, 4, 0, 950, ""), "95", "95", 0, 0, 0},
    {"Windows 98 with odd build", Record(1, 4, 10, 1, ""), "98", "98", 0, 0, 0},
    {"Windows ME", Record(1, 4, 90, 3000, " "), "ME", "ME", 0, 0, 0},
    {"Wine win2k", Record(2, 5, 0, 2195, "Service Pack 4"), "Win2K", "Win2K", -1, 0, 0},
    {"Windows 2000 SP2", Record(2, 5, 0, 2195, "Service Pack 2"), "Win2K", "Win2K", 0, 0, 0},
    {"Wine winxp", Record(2, 5, 1, 2600, "Service Pack 3"), "WinXP", "WinXP64", 0, -1, 0},
    {"Windows XP SP1", Record(2, 5, 1, 2600, "Service Pack 1"), "WinXP", "WinXP64", 0, 0, 0},
    {"Windows XP SP2", Record(2, 5, 1, 2600, "Service Pack 2"), "WinXP", "WinXP64", 0, -1, 0},
    {"Wine win2003", Record(2, 5, 2, 3790, "Service Pack 2"), "Win2K3", "Win2K364", 0, 0, 0},
    {"NT 5.3", Record(2, 5, 3, 0, ""), "", "", 0, 0, 0},
    {"Windows Vista RTM", Record(2, 6, 0, 6000, ""), "Vista", "Vista64", 0, 0, 0},
    {"Wine vista", Record(2, 6, 0, 6002, "Service Pack 2"), "Vista", "Vista64", 0, 0, -1},
    {"Wine win7", Record(2, 6, 1, 7601, "Service Pack 1"), "Vista", "Vista64", 0, 0, 0},
    {"Windows 7 RTM", Record(2, 6, 1, 7600, ""), "Vista", "Vista64", 0, 0, 0},
    {"Windows 8.1, 10, Wine win10", Record(2, 6, 2, 9200, ""), "Vista", "Vista64", 0, 0, 0},
    {"Windows 10 with manifest", Record(2, 10, 0, 19045, ""), "", "", 0, 0, 0},
    {"Windows NT 4", Record(2, 4, 0, 1381, "Service Pack 6"), "", "", 0, 0, 0},
    {"Win32s", Record(0, 3, 10, 0, ""), "", "", 0, 0, 0},
    {"service pack in small letters", Record(2, 5, 1, 2600, "service pack 2"), "WinXP", "WinXP64",
     0, 0, 0},
    {"failed query", std::nullopt, "", "", 0, 0, 0},
};

TEST(ClassifyEdition, RealVersionRecords) {
  for (const Edition& row : kEditions) {
    EXPECT_EQ(platform::ClassifyEdition(row.record, false), row.key32) << row.name;
    EXPECT_EQ(platform::ClassifyEdition(row.record, true), row.key64) << row.name;
  }
}

class EditionTest : public fakes::PlatformTest {
 protected:
  void Answer(const std::optional<os::VersionRecord>& record) {
    version.querySucceeds = record.has_value();
    version.record = record.value_or(os::VersionRecord());
  }
};

// The native machine never changes the key: Windows on ARM keeps the key of 64-bit Windows, and a
// configuration written for x86 and x64 keeps its meaning.
TEST_F(EditionTest, DetectAsksTheSixtyFourBitQuestionOnlyWhereItMatters) {
  for (const Edition& row : kEditions) {
    for (const std::optional<bool> wow64 : {std::optional<bool>(), std::optional(true)}) {
      for (const uint16_t machine :
           {os::kMachineUnknown, os::kMachineX86, os::kMachineX64, os::kMachineArm64}) {
        SCOPED_TRACE(std::string(row.name) + (wow64 ? " on 64-bit" : " without IsWow64Process") +
                     ", machine " + std::to_string(machine));
        Answer(row.record);
        version.wow64 = wow64;
        version.nativeMachine = machine;
        version.wow64Queries = 0;
        run::State().PlatformKey = "left alone";
        const std::string key = platform::DetectPlatformKey();
        EXPECT_EQ(key, wow64 ? row.key64 : row.key32);
        const bool asks = platform::AsksWow64(platform::BaseEditionKey(row.record));
        EXPECT_EQ(version.wow64Queries, asks ? 1 : 0);
        // The base key stays behind until the caller stores the result.
        EXPECT_EQ(run::State().PlatformKey,
                  asks ? platform::BaseEditionKey(row.record) : std::string("left alone"));
      }
    }
  }
}

TEST_F(EditionTest, ServicePackTests) {
  for (const Edition& row : kEditions) {
    Answer(row.record);
    EXPECT_EQ(platform::HasWindows2000SP4(), row.sp4) << row.name;
    EXPECT_EQ(platform::HasWindowsXPSP2(), row.sp2) << row.name;
    EXPECT_EQ(platform::HasWindowsVistaSP1(), row.sp1) << row.name;
  }
}

TEST(ServicePackTextContains, SearchesAllOfTheFixedField) {
  os::VersionRecord record;
  const std::string text = "Service Pack 2";
  std::memcpy(record.servicePack + 128 - text.size(), text.data(), text.size());
  EXPECT_TRUE(platform::ServicePackTextContains(record, "Service Pack 2"));
  std::memset(record.servicePack, 0, sizeof record.servicePack);
  std::memcpy(record.servicePack + 128 - text.size() + 1, text.data(), text.size() - 1);
  EXPECT_FALSE(platform::ServicePackTextContains(record, "Service Pack 2"));
}

TEST_F(EditionTest, AdministratorQuestion) {
  const struct {
    const char* key;
    std::optional<bool> shell;
    run::Flag expected;
    int asked;
  } rows[] = {
      {"WinXP", true, -1, 1},      {"Win2K", false, 0, 1},   {"Vista64", std::nullopt, 0, 1},
      {"Win2K364", true, -1, 1},   {"WinXP64", false, 0, 1}, {"Win2K3", false, 0, 1},
      {"Vista", false, 0, 1},      {"", false, -1, 0},       {"95", false, -1, 0},
      {"98", std::nullopt, -1, 0}, {"ME", false, -1, 0},     {"vista", false, -1, 0},
  };
  for (const auto& row : rows) {
    run::State().PlatformKey = row.key;
    version.admin = row.shell;
    version.adminQueries = 0;
    EXPECT_EQ(platform::HasAdministratorRights(), row.expected) << "key '" << row.key << "'";
    EXPECT_EQ(version.adminQueries, row.asked) << "key '" << row.key << "'";
  }
}

}  // namespace
