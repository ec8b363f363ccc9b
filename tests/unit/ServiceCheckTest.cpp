#include <gtest/gtest.h>

#include "os/Platform.h"
#include "service/CheckService.h"
#include "tests/unit/fakes/FakeServices.h"

namespace {

using fakes::FakeService;
using fakes::FakeServiceManager;

class ServiceCheck : public ::testing::Test {
 protected:
  ServiceCheck() : scoped_(Platform()) {}

  os::Platform Platform() {
    os::Platform platform;
    platform.services = &manager;
    return platform;
  }

  FakeServiceManager manager;

 private:
  os::ScopedPlatform scoped_;
};

struct RunRow {
  const char* row;
  uint32_t state;
  bool svcStop;
  void (*script)(FakeService&);
  const char* answer;
  std::vector<std::string> requests;
  uint32_t startTypeAfter;  // the service starts as demand start (3)
};

void Nothing(FakeService&) {}

TEST_F(ServiceCheck, RunDecidesByTheStateFound) {
  const std::vector<std::string> autoStart = {"ChangeConfig -1 2 -1", "Start"};
  const std::vector<std::string> autoContinue = {"ChangeConfig -1 2 -1", "Control 3"};
  const std::vector<std::string> none;
  const RunRow rows[] = {
      {"stopped, starts", 1, false, Nothing, "Started:Starting", autoStart, 2},
      {"stopped, runs at once", 1, false, [](FakeService& s) { s.stateAfterStart = 4; },
       "Started:Running", autoStart, 2},
      {"stopped, start refused", 1, false, [](FakeService& s) { s.startError = 1053; },
       "Error:Stopped", autoStart, 2},
      {"stopped, stops again at once", 1, false, [](FakeService& s) { s.stateAfterStart = 1; },
       "Error:Stopped", autoStart, 2},
      {"stopped, start type cannot be changed", 1, false, [](FakeService& s) { s.changeError = 5; },
       "Started:Starting", autoStart, 3},
      {"paused, continues", 7, false, Nothing, "Started:Continuing", autoContinue, 2},
      {"paused, continue refused", 7, false, [](FakeService& s) { s.controlError = 1052; },
       "Error:Paused", autoContinue, 2},
      {"stopped, to stop", 1, true, Nothing, "Stopped:Stopped", {"ChangeConfig -1 3 -1"}, 3},
      {"paused, to stop",
       7,
       true,
       Nothing,
       "Stopped:Stopping",
       {"ChangeConfig -1 3 -1", "Control 1"},
       3},
      {"paused, to stop, already running again",
       7,
       true,
       [](FakeService& s) { s.stateAfterStop = 4; },
       "Error:Running",
       {"ChangeConfig -1 3 -1", "Control 1"},
       3},
      // A refused stop request is an error, not "Stopped".
      {"paused, to stop, stop refused",
       7,
       true,
       [](FakeService& s) { s.controlError = 1051; },
       "Error:Paused",
       {"ChangeConfig -1 3 -1", "Control 1"},
       3},
      {"running", 4, false, Nothing, ":Running", none, 3},
      {"running, to stop", 4, true, Nothing, ":Running", none, 3},
      {"starting", 2, false, Nothing, ":Starting", none, 3},
      {"stopping", 3, false, Nothing, ":Stopping", none, 3},
      {"continuing", 5, false, Nothing, ":Continuing", none, 3},
      {"pausing", 6, false, Nothing, ":Pausing", none, 3},
      {"state unreadable", 1, false, [](FakeService& s) { s.statusError = 5; }, ":Unknown? 0", none,
       3},
      {"state out of range", 9, false, Nothing, ":Unknown? 9", none, 3},
  };
  for (const RunRow& row : rows) {
    manager = FakeServiceManager();
    FakeService& svc = manager.Add("WLansvc", row.state, 3);
    row.script(svc);
    std::string name = "WLansvc";
    EXPECT_EQ(service::CheckService().Run(name, row.svcStop), row.answer) << row.row;
    EXPECT_EQ(manager.Requests(), row.requests) << row.row;
    EXPECT_EQ(svc.config.startType, row.startTypeAfter) << row.row;
    EXPECT_EQ(name, "WLansvc") << row.row;
    EXPECT_EQ(manager.OpenHandles(), 0u) << row.row;
    EXPECT_EQ(manager.BadCloses(), 0) << row.row;
  }
}

TEST_F(ServiceCheck, MissingServiceIsUnknownAndUntouched) {
  std::string name = "NoSuchSvc";
  service::CheckService check;
  EXPECT_EQ(check.Run(name, false), ":Unknown? 0");
  EXPECT_TRUE(manager.Requests().empty());
  EXPECT_EQ(check.LastConfig().ErrorCode, 1060);
  // Empty texts get their defaults.
  EXPECT_EQ(check.LastConfig().StartType, "Unknown");
  EXPECT_EQ(check.LastConfig().ServiceStartName, "None");
  EXPECT_EQ(check.LastConfig().DisplayName, "");
  EXPECT_EQ(manager.OpenHandles(), 0u);
}

TEST_F(ServiceCheck, EmptyNameChecksWzcsvcAndChangesTheCallersName) {
  manager.Add("WZCSVC", 1);
  std::string name;
  EXPECT_EQ(service::CheckService().Run(name, false), "Started:Starting");
  EXPECT_EQ(name, "WZCSVC");
  EXPECT_EQ(manager.services.at("WZCSVC").config.startType, 2u);
}

TEST_F(ServiceCheck, ChangeSvcStateSendsOneRequestAndAnswersOneOrZero) {
  const struct {
    int32_t state;
    uint32_t initial;
    std::vector<std::string> requests;
    int16_t answer;
  } rows[] =
      {
          {-1, 1, {"Start"}, 1},    {0, 1, {"Start"}, 1},
          {-1, 4, {"Start"}, 0},  // 1056: the request failed, whatever the state
          {1, 4, {"Control 1"}, 0}, {2, 4, {"Control 2"}, 0},
          {3, 7, {"Control 3"}, 1}, {4, 1, {}, 0},
          {-2, 1, {}, 0},
      };
  for (const auto& row : rows) {
    manager = FakeServiceManager();
    manager.Add("WZCSVC", row.initial);
    EXPECT_EQ(service::CheckService().ChangeSvcState(row.state, "WZCSVC"), row.answer)
        << "State " << row.state << " on state " << row.initial;
    EXPECT_EQ(manager.Requests(), row.requests) << "State " << row.state;
    EXPECT_EQ(manager.OpenHandles(), 0u) << "State " << row.state;
  }
}

}  // namespace
