// The pure halves of the product's registration: the version resource's texts and the
// published INF names of the driver installer's log.
#include <gtest/gtest.h>

#include "app/Registration.h"
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
}

}  // namespace
