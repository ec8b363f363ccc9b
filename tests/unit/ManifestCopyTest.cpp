#include <gtest/gtest.h>

#include "app/ManifestCopy.h"
#include "app/RunModes.h"
#include "tests/unit/fakes/Fakes.h"

namespace {

TEST(ManifestCopyPath, StampIsMonthDayHourMinuteWithLeadingZeros) {
  const struct {
    os::LocalTime now;
    const char* path;
  } rows[] = {
      {{2026, 12, 7, 14, 30, 59}, "C:\\Out\\Setup_12071430.exe"},
      {{2027, 1, 3, 9, 5, 0}, "C:\\Out\\Setup_01030905.exe"},
      {{2027, 10, 31, 0, 0, 0}, "C:\\Out\\Setup_10310000.exe"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(app::ManifestCopyPath("C:\\Out", "Setup", row.now), row.path) << row.path;
}

class ManifestCopyTest : public fakes::PlatformTest {
 protected:
  ManifestCopyTest() {
    processes.programPath = "C:\\Out\\Setup.exe";
    processes.arguments = "/Addsetup/Manifest";
    files.CreateFolder("C:\\Out");
    WriteFile("C:\\Out\\Setup.exe", "MZ program bytes");
  }
};

TEST_F(ManifestCopyTest, WritesATimeStampedCopyWithTheManifestEmbedded) {
  WriteFile("C:\\Out\\Setup.exe.manifest", "<assembly/>\r\n");
  EXPECT_THROW(app::Main(), fakes::ProcessEnded);
  EXPECT_EQ(ReadFile("C:\\Out\\Setup_12071430.exe"), "MZ program bytes");
  EXPECT_EQ(ReadFile("C:\\Out\\Setup.exe"), "MZ program bytes");
  ASSERT_EQ(resources.written.size(), 1u);
  EXPECT_EQ(resources.written[0].file, "C:\\Out\\Setup_12071430.exe");
  EXPECT_EQ(resources.written[0].type, "#24");
  EXPECT_EQ(resources.written[0].name, 1);
  EXPECT_EQ(resources.written[0].language, 0);
  EXPECT_EQ(resources.written[0].bytes, "<assembly/>\r\n");
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text,
            "C:\\Out\\Setup_12071430.exe: A copy of the installer has been written, with the "
            "manifest file included.");
}

TEST_F(ManifestCopyTest, WithoutAManifestNothingIsWritten) {
  EXPECT_THROW(app::Main(), fakes::ProcessEnded);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "Manifest file not found.");
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Out\\Setup_12071430.exe")));
  EXPECT_TRUE(resources.written.empty());
}

TEST_F(ManifestCopyTest, AFailedResourceUpdateIsNeverReportedAsWritten) {
  WriteFile("C:\\Out\\Setup.exe.manifest", "<assembly/>");
  resources.writeSucceeds = false;
  EXPECT_THROW(app::Main(), fakes::ProcessEnded);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Out\\Setup_12071430.exe")));
}

}  // namespace
