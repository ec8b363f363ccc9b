#include <gtest/gtest.h>
#include <optional>

#include "tests/unit/fakes/Fakes.h"
#include "ui/WirelessServiceStep.h"

namespace {

class WirelessServiceStep : public fakes::PlatformTest {};

TEST_F(WirelessServiceStep, StartsTheEditionsServiceOnceAndSaysSoWhenItStartedIt) {
  const struct {
    const char* name;
    const char* key;
    run::Flag done, check;
    const char* answer;
    const char* message;
    const char* expectService;  // nullptr: no service asked
    const char* expectShown;    // nullptr: no message box
    run::Flag expectDone, expectCheck;
  } rows[] = {
      {"XP, started", "WinXP", 0, -1, "Started:Starting", "Started.", "WZCSVC", "Started.", -1, 0},
      {"XP 64", "WinXP64", 0, -1, ":Running", "Started.", "WZCSVC", nullptr, -1, 0},
      {"XP 64, running at once", "WinXP64", 0, -1, "Started:Running", "Up.", "WZCSVC", "Up.", -1,
       0},
      {"2003, continued", "Win2K3", 0, -1, "Started:Continuing", "A%$B", "WZCSVC", "A\nB", -1, 0},
      {"2003 64", "Win2K364", 0, -1, "Error:Error", "m", "WZCSVC", nullptr, -1, 0},
      {"Vista, two breaks", "Vista", 0, -1, "Started:Starting", "%$x%$", "WLansvc", "\nx\n", -1, 0},
      {"Vista, breaks among lone signs", "Vista", 0, -1, "Started:Starting", "%%$$%$%$%", "WLansvc",
       "%\n$\n\n%", -1, 0},
      {"Vista 64, empty message", "Vista64", 0, -1, "Started:Starting", "", "WLansvc", nullptr, -1,
       0},
      {"empty answer", "Vista", 0, -1, "", "m", "WLansvc", nullptr, -1, 0},
      {"unknown answer", "Vista", 0, -1, "Error:Unknown? ", "m", "WLansvc", nullptr, -1, 0},
      {"Windows 2000: nothing to start", "Win2K", 0, -1, "Started:Starting", "m", nullptr, nullptr,
       0, 0},
      {"empty key", "", 0, -1, "Started:Starting", "m", nullptr, nullptr, 0, 0},
      {"already done", "WinXP", -1, -1, "Started:Starting", "m", nullptr, nullptr, -1, -1},
      {"not configured", "WinXP", 0, 0, "Started:Starting", "m", nullptr, nullptr, 0, 0},
  };
  for (const auto& row : rows) {
    run::InstallerState& state = run::State();
    state.ServiceCheckDone = row.done;
    state.CheckWirelessService = row.check;
    state.MsgWirelessService = row.message;
    shell.messages.clear();
    std::optional<std::string> asked;
    int detections = 0;
    const auto detect = [&] {
      ++detections;
      return std::string(row.key);
    };
    ui::ShowWirelessServiceMessage(0x77, detect, [&](std::string& serviceName) {
      asked = serviceName;
      return std::string(row.answer);
    });

    if (row.expectService)
      EXPECT_EQ(asked, std::optional<std::string>(row.expectService)) << row.name;
    else
      EXPECT_EQ(asked, std::nullopt) << row.name;
    if (row.expectShown) {
      ASSERT_EQ(shell.messages.size(), 1u) << row.name;
      EXPECT_EQ(shell.messages[0].text, row.expectShown) << row.name;
      EXPECT_EQ(shell.messages[0].title, "Wireless Zero Configuration Service") << row.name;
      EXPECT_EQ(shell.messages[0].style, os::kMbOk | os::kMbIconInformation) << row.name;
      EXPECT_EQ(state.MsgWirelessService, row.expectShown) << row.name << ": stored back";
    } else {
      EXPECT_TRUE(shell.messages.empty()) << row.name;
    }
    const bool runs = row.done == 0 && row.check == -1;
    EXPECT_EQ(detections, runs ? 1 : 0)
        << row.name << ": the edition is asked only when the step runs";
    EXPECT_EQ(state.ServiceCheckDone, row.expectDone) << row.name;
    EXPECT_EQ(state.CheckWirelessService, row.expectCheck) << row.name;
  }
}

TEST_F(WirelessServiceStep, NeverRunsTwice) {
  run::State().CheckWirelessService = run::kTrue;
  run::State().MsgWirelessService = "Started.";
  int starts = 0;
  const auto start = [&](std::string&) {
    ++starts;
    return std::string("Started:Starting");
  };
  ui::ShowWirelessServiceMessage(
      0, [] { return std::string("WinXP"); }, start);
  run::State().CheckWirelessService = run::kTrue;  // even if something asked for it again
  ui::ShowWirelessServiceMessage(
      0, [] { return std::string("WinXP"); }, start);
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(shell.messages.size(), 1u);
}

TEST(Translucency, OnlyWindows2000AndLaterFadeIn) {
  for (const char* key : {"Win2K", "WinXP", "WinXP64", "Win2K3", "Win2K364", "Vista", "Vista64"})
    EXPECT_TRUE(ui::UsesTranslucency(key)) << key;
  for (const char* key : {"95", "98", "ME", "", "vista", "Win2K "})
    EXPECT_FALSE(ui::UsesTranslucency(key)) << '"' << key << '"';
}

}  // namespace
