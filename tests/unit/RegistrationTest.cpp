// The product's registration: the version resource's texts, the published INF names of the
// driver installer's log, and which return codes register at all.
#include <gtest/gtest.h>

#include "app/Registration.h"
#include "run/InstallerState.h"
#include "tests/unit/fakes/Fakes.h"
#include "tools/dpinst/RunReport.h"

namespace {

TEST(Registration, VersionTextFindsEachKeyOnItsBoundary) {
  const std::string resource = fakes::VersionResource(
      {{"CompanyName", "Norvane"}, {"ProductName", "Norvane A"}, {"ProductVersion", "1.04.0930"}});
  const struct {
    const char* key;
    std::string expected;
  } rows[] = {
      {"CompanyName", "Norvane"},       // value padded after an odd-length key
      {"ProductName", "Norvane A"},     // a key that is the head of a longer one
      {"ProductVersion", "1.04.0930"},  // the last value, up to the end
      {"Comments", ""},                 // missing
      {"Product", ""},                  // only the head of a key
  };
  for (const auto& row : rows)
    EXPECT_EQ(app::VersionText(resource, row.key), row.expected) << row.key;
  EXPECT_EQ(app::VersionText(resource.substr(0, resource.size() - 6), "ProductVersion"), "1.04.09");
  std::string wide = fakes::VersionResource({{"ProductName", "Ab"}});
  wide[wide.size() - 3] = '\x04';  // "b" becomes U+0462
  EXPECT_EQ(app::VersionText(wide, "ProductName"), "A?");
}

TEST(Registration, PublishedInfsListsTheFileNamesTheLogReports) {
  const auto published = [](const std::string& name, const std::string& stored) {
    return dpinst::LogLine(dpinst::Level::kSuccess,
                           "'" + name + dpinst::kPublishedAs + stored + "'.");
  };
  const struct {
    const char* what;
    std::string log;
    std::string expected;
  } rows[] = {
      {"none", dpinst::FolderLine("C:\\d\\") + dpinst::ReturnCodeLine(0x80000000), ""},
      {"one", published("a.inf", "C:\\Windows\\INF\\oem7.inf"), std::string("oem7.inf\0\0", 10)},
      {"two", published("a.inf", "C:\\W\\INF\\oem1.inf") + published("b.inf", "oem2.inf"),
       std::string("oem1.inf\0oem2.inf\0\0", 19)},
      {"cut short", "SUCCESS:'a.inf" + std::string(dpinst::kPublishedAs) + "C:\\W\\oem", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(app::PublishedInfs(row.log), row.expected) << row.what;
  // An update's list joins the earlier release's, each name once.
  const std::string a("norvusb.inf\0\0", 13), ab("norvusb.inf\0oem0.inf\0\0", 22);
  EXPECT_EQ(app::MergedInfLists(a, std::string("OEM0.INF\0NORVUSB.INF\0\0", 22)),
            std::string("norvusb.inf\0OEM0.INF\0\0", 22));
  EXPECT_EQ(app::MergedInfLists(ab, a), ab);
  EXPECT_EQ(app::MergedInfLists("", a), a);
  EXPECT_EQ(app::MergedInfLists("", ""), "");
}

class RegisterProductTest : public fakes::PlatformTest {};

TEST_F(RegisterProductTest, OnlyARunThatPutSomethingInWithoutFailureRegisters) {
  resources.resources[{"#16", 1}] = fakes::VersionResource({{"ProductName", "Norvane A"}});
  shell.specialFolders[0x26] = "C:\\Program Files";
  files.CreateFolder("C:\\Program Files");
  files.CreateFolder("C:\\dist");
  WriteFile("C:\\dist\\Installer.exe", "MZ program");
  run::State().InstallerPath = "C:\\dist\\Installer.exe";
  const struct {
    uint32_t returnCode;
    bool registered;
  } rows[] = {
      {0x00000001, true},  {0x00000100, true},  {0x40000001, true},   // installed, store, restart
      {0x00000000, false}, {0x40000000, false},                       // nothing put in
      {0x80010000, false}, {0x80010001, false}, {0xC0000101, false},  // failures, also partial
      {0x80000000, false},                                            // not started
  };
  for (const auto& row : rows) {
    registry.values.clear();
    app::RegisterProduct(row.returnCode);
    EXPECT_EQ(registry
                  .Value("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane A",
                         "DisplayName")
                  .has_value(),
              row.registered)
        << std::hex << row.returnCode;
  }
}

}  // namespace
