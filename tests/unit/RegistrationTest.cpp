// The product's registration: the version resource's texts, the published INF names of the
// driver installer's log, and which return codes register at all.
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "app/Registration.h"
#include "os/Guard.h"
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

// The access lists and owners Windows could hand back, as the rule reads them.
TEST(Registration, KeptFolderOnlyWhereAdministratorsAloneCanChangeIt) {
  const auto sid = [](uint8_t authority, std::initializer_list<uint32_t> parts) {
    std::string bytes = {1, static_cast<char>(parts.size()), 0, 0, 0, 0,
                         0, static_cast<char>(authority)};
    for (const uint32_t part : parts) bytes.append(reinterpret_cast<const char*>(&part), 4);
    return bytes;
  };
  const std::string admins = sid(5, {32, 544}), system = sid(5, {18}), users = sid(5, {32, 545}),
                    creatorOwner = sid(3, {0}), someone = sid(5, {21, 1, 2, 3, 1001}),
                    trustedInstaller =
                        sid(5, {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464});
  const auto entry = [](uint8_t type, uint8_t flags, uint32_t mask, const std::string& who) {
    std::string bytes = {static_cast<char>(type), static_cast<char>(flags),
                         static_cast<char>(8 + who.size()), 0};
    return bytes.append(reinterpret_cast<const char*>(&mask), 4) + who;
  };
  const auto list = [](std::initializer_list<std::string> entries) {
    std::string body;
    for (const std::string& one : entries) body += one;
    return std::string{
               2, 0, static_cast<char>(8 + body.size()), 0, static_cast<char>(entries.size()), 0,
               0, 0} +
           body;
  };
  constexpr uint32_t kFull = 0x1F01FF, kReadRun = 0x1200A9, kGenericWrite = 0x40000000;
  // As Program Files passes it on: administrators and SYSTEM full, users read and run.
  const std::string programFiles =
      list({entry(0, 0x10, kFull, admins), entry(0, 0x10, kFull, system),
            entry(0, 0x1B, 0x10000000, creatorOwner), entry(0, 0x10, kReadRun, users),
            entry(0, 0x12, kFull, trustedInstaller)});
  const struct {
    const char* what;
    struct {
      std::string owner;
      std::optional<std::string> acl;
      std::string self;
    } guard;
    bool kept;
  } rows[] = {
      {"as Program Files passes it on", {admins, programFiles, {}}, true},
      {"owned by SYSTEM", {system, programFiles, {}}, true},
      {"owned by TrustedInstaller", {trustedInstaller, programFiles, {}}, true},
      {"owned by a user", {someone, programFiles, {}}, false},
      {"owned by the administrator it runs as",
       {someone, list({entry(0, 0x03, kFull, someone)}), someone},
       true},
      {"another user may write", {admins, list({entry(0, 0, kFull, users)}), someone}, false},
      {"owner unreadable", {"", programFiles, {}}, false},
      {"no list: anyone may do anything", {admins, std::nullopt, {}}, false},
      {"users may write", {admins, list({entry(0, 0, 0x2, users)}), {}}, false},
      {"a user may change the list", {admins, list({entry(0, 0, 0x40000, someone)}), {}}, false},
      {"generic write, for what is made inside only",
       {admins, list({entry(0, 0x0B, kGenericWrite, users)}), {}},
       false},
      {"a callback entry", {admins, list({entry(9, 0, kFull, users)}), {}}, false},
      {"denied to users", {admins, list({entry(1, 0, kFull, users)}), {}}, true},
      {"cut short", {admins, programFiles.substr(0, programFiles.size() - 3), {}}, false},
      {"an entry longer than the list",
       {admins, list({entry(0, 0, kReadRun, users)}).substr(0, 20), {}},
       false},
  };
  for (const auto& row : rows) {
    const os::Guard guard{row.guard.owner, row.guard.acl, row.guard.self};
    EXPECT_EQ(os::KeptByAdministratorsAlone(guard), row.kept) << row.what;
  }
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

// The next removal runs the kept program with administrator rights: a kept folder that others
// may change, or a link in its place, is not used; a new one is made for administrators alone.
TEST_F(RegisterProductTest, RegistersOnlyInAFolderAdministratorsAloneCanChange) {
  resources.resources[{"#16", 1}] = fakes::VersionResource({{"ProductName", "Norvane A"}});
  shell.specialFolders[0x26] = "C:\\Program Files";
  files.CreateFolder("C:\\Program Files");
  files.CreateFolder("C:\\dist");
  files.CreateFolder("C:\\elsewhere");
  WriteFile("C:\\dist\\Installer.exe", "MZ program");
  run::State().InstallerPath = "C:\\dist\\Installer.exe";
  const std::filesystem::path kept = Host("C:\\Program Files\\Norvane A");
  const struct {
    const char* what;
    std::function<void()> before;
    bool registered;
  } rows[] = {
      {"new", [] {}, true},
      {"left by an administrator", [&] { std::filesystem::create_directory(kept); }, true},
      {"others may write",
       [&] {
         std::filesystem::create_directory(kept);
         std::filesystem::permissions(kept, std::filesystem::perms::others_write,
                                      std::filesystem::perm_options::add);
       },
       false},
      {"a link to another folder",
       [&] { std::filesystem::create_directory_symlink(Host("C:\\elsewhere"), kept); }, false},
      {"an entry key others may change",
       [&] {
         registry.looseKeys = {
             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane A"};
       },
       false},
  };
  for (const auto& row : rows) {
    registry.values.clear();
    registry.looseKeys.clear();
    std::filesystem::remove_all(kept);
    row.before();
    app::RegisterProduct(1);
    EXPECT_EQ(registry.values.empty(), !row.registered) << row.what;
    EXPECT_EQ(std::filesystem::exists(Host("C:\\elsewhere\\Uninstall.exe")), false) << row.what;
    EXPECT_EQ(std::filesystem::exists(kept / "Uninstall.exe"), row.registered) << row.what;
  }
  // Made here: the owner's rights alone stand for Administrators and SYSTEM alone.
  registry.looseKeys.clear();
  std::filesystem::remove_all(kept);
  app::RegisterProduct(1);
  EXPECT_EQ(std::filesystem::status(kept).permissions(), std::filesystem::perms::owner_all);
}

}  // namespace
