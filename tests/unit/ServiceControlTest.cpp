#include <functional>
#include <gtest/gtest.h>

#include "os/Platform.h"
#include "service/NTServiceControl.h"
#include "tests/unit/fakes/FakeServices.h"

namespace {

using fakes::FakeService;
using fakes::FakeServiceManager;

class ServiceControl : public ::testing::Test {
 protected:
  ServiceControl() : scoped_(Platform()) {}

  os::Platform Platform() {
    os::Platform platform;
    platform.services = &manager;
    return platform;
  }

  void ExpectHandlesBalanced(const std::string& row) {
    EXPECT_EQ(manager.OpenHandles(), 0u) << row << ": handles left open";
    EXPECT_EQ(manager.BadCloses(), 0) << row << ": a handle closed twice or out of order";
  }

  FakeServiceManager manager;

 private:
  os::ScopedPlatform scoped_;
};

TEST_F(ServiceControl, StateNamesCoverTheSevenStatesAndAnyOtherNumber) {
  const std::pair<int32_t, const char*> rows[] = {
      {1, "Stopped"},    {2, "Starting"},     {3, "Stopping"},         {4, "Running"},
      {5, "Continuing"}, {6, "Pausing"},      {7, "Paused"},           {0, "Unknown? 0"},
      {8, "Unknown? 8"}, {-1, "Unknown? -1"}, {1060, "Unknown? 1060"},
  };
  for (const auto& [state, name] : rows) {
    EXPECT_EQ(service::ServiceStateName(state), name) << "state " << state;
  }
}

struct Operation {
  const char* name;
  std::function<int32_t(const std::string&)> call;
  uint32_t initialState;  // a state in which the request is accepted
  const char* request;    // the call the manager must see
};

const Operation kOperations[] = {
    {"StartServiceByName", service::StartServiceByName, 1, "Start"},
    {"StopServiceByName", service::StopServiceByName, 4, "Control 1"},
    {"PauseServiceByName", service::PauseServiceByName, 4, "Control 2"},
    {"ContinueServiceByName", service::ContinueServiceByName, 7, "Control 3"},
    {"ChangeServiceStartup",
     [](const std::string& name) { return service::ChangeServiceStartup(name, -1, 2, -1); }, 1,
     "ChangeConfig -1 2 -1"},
};

// Every request operation on every path: the result code, the one request made (with a handle of
// the right access, which the fake enforces as Windows does) and every handle closed once.
TEST_F(ServiceControl, RequestsReturnTheManagersCodeAndCloseEveryHandle) {
  enum class Fault { None, Manager, Missing, OpenDenied, Request };
  const struct {
    const char* label;
    Fault fault;
    int32_t result;
    bool requestSent;
  } scenarios[] = {
      {"accepted", Fault::None, 0, true},
      {"manager cannot be opened", Fault::Manager, 5, false},
      {"no such service", Fault::Missing, 1060, false},
      {"service cannot be opened", Fault::OpenDenied, 5, false},
      {"request refused", Fault::Request, 1053, true},
  };
  for (const Operation& operation : kOperations) {
    for (const auto& scenario : scenarios) {
      const std::string row = std::string(operation.name) + ", " + scenario.label;
      manager = FakeServiceManager();
      FakeService& svc = manager.Add("WZCSVC", operation.initialState);
      if (scenario.fault == Fault::Manager) manager.managerError = 5;
      if (scenario.fault == Fault::OpenDenied) svc.openError = 5;
      if (scenario.fault == Fault::Request) {
        svc.startError = svc.controlError = svc.changeError = 1053;
      }
      const std::string name = scenario.fault == Fault::Missing ? "NoSuchSvc" : "WZCSVC";

      EXPECT_EQ(operation.call(name), scenario.result) << row;
      const std::vector<std::string> expected = scenario.requestSent
                                                    ? std::vector<std::string>{operation.request}
                                                    : std::vector<std::string>{};
      EXPECT_EQ(manager.Requests(), expected) << row;
      if (scenario.fault != Fault::Manager) {
        EXPECT_EQ(manager.calls.front(), "OpenManager 1") << row;
      }
      ExpectHandlesBalanced(row);
    }
  }
}

TEST_F(ServiceControl, ChangeServiceStartupWithNoChangeWritesOnlyTheStartType) {
  FakeService& svc = manager.Add("WLansvc", 1, 3);
  svc.config.serviceType = 0x20;
  svc.config.errorControl = 0;
  uint32_t tag = 7;
  EXPECT_EQ(service::ChangeServiceStartup("WLansvc", -1, 2, -1, &tag), 0);
  EXPECT_EQ(service::ChangeServiceStartup("WLansvc", -1, 4, -1), 0);
  EXPECT_EQ(svc.config.startType, 4u);
  EXPECT_EQ(svc.config.serviceType, 0x20u);
  EXPECT_EQ(svc.config.errorControl, 0u);
  EXPECT_EQ(manager.tagPointers, (std::vector<uint32_t*>{&tag, nullptr}));
  ExpectHandlesBalanced("change startup");
}

TEST_F(ServiceControl, StateIsTheCurrentStateOrZeroOnAnyFailure) {
  const struct {
    const char* row;
    const char* name;
    std::optional<uint32_t> managerError, openError, statusError;
    int32_t state;
  } rows[] = {
      {"running", "WZCSVC", {}, {}, {}, 4},
      {"no such service", "NoSuchSvc", {}, {}, {}, 0},
      {"manager cannot be opened", "WZCSVC", 5, {}, {}, 0},
      {"service cannot be opened", "WZCSVC", {}, 5, {}, 0},
      {"status query fails", "WZCSVC", {}, {}, 6, 0},
  };
  for (const auto& row : rows) {
    manager = FakeServiceManager();
    FakeService& svc = manager.Add("WZCSVC", 4);
    manager.managerError = row.managerError;
    svc.openError = row.openError;
    svc.statusError = row.statusError;
    EXPECT_EQ(service::GetServiceState(row.name), row.state) << row.row;
    ExpectHandlesBalanced(row.row);
  }
}

TEST_F(ServiceControl, ConfigIsReadIntoTheRecord) {
  FakeService& svc = manager.Add("WZCSVC", 4, 2);
  svc.config.tagId = 12;
  svc.config.loadOrderGroup = "NDIS";
  svc.config.dependencies = std::string("Tcpip\0NDIS", 10);
  const service::ServiceConfigInfo info = service::GetServiceConfig("WZCSVC");
  EXPECT_EQ(info.ErrorCode, 0);
  EXPECT_EQ(info.ServiceStartName, "LocalSystem");
  EXPECT_EQ(info.DisplayName, "WZCSVC service");
  EXPECT_EQ(info.Dependencies, "Tcpip");  // the list ends for us at its first zero byte
  EXPECT_EQ(info.ErrorControl, "1");
  EXPECT_EQ(info.TagId, "12");
  EXPECT_EQ(info.LoadOrderGroup, "NDIS");
  EXPECT_EQ(info.BinaryPathName, "C:\\windows\\system32\\WZCSVC.exe");
  EXPECT_EQ(info.StartType, "2");
  EXPECT_EQ(info.ServiceType, "16");
  ExpectHandlesBalanced("config");
}

TEST_F(ServiceControl, ConfigTextsAreCutAt255Bytes) {
  FakeService& svc = manager.Add("WZCSVC", 4);
  svc.config.binaryPathName = "C:\\" + std::string(400, 'p');
  svc.config.displayName = std::string(255, 'd');
  const service::ServiceConfigInfo info = service::GetServiceConfig("WZCSVC");
  EXPECT_EQ(info.BinaryPathName, svc.config.binaryPathName.substr(0, 255));
  EXPECT_EQ(info.DisplayName, svc.config.displayName);
}

// The second query gets needed / 36 + 1 records of 36 bytes, rounded half to even.
TEST_F(ServiceControl, ConfigBufferIsWholeRecordsLargerThanNeeded) {
  const std::pair<uint32_t, uint32_t> rows[] = {
      {10, 36}, {36, 72}, {50, 72}, {54, 72}, {60, 108}, {90, 144}, {126, 144}, {300, 324},
  };
  for (const auto& [needed, size] : rows) {
    manager = FakeServiceManager();
    manager.Add("WZCSVC", 4).bytesNeeded = needed;
    const service::ServiceConfigInfo info = service::GetServiceConfig("WZCSVC");
    EXPECT_EQ(manager.configBufferSizes, (std::vector<uint32_t>{0, size})) << "needed " << needed;
    EXPECT_EQ(info.ErrorCode, 0) << "needed " << needed;
  }
}

TEST_F(ServiceControl, ConfigFailureGivesTheStepsCodeAndEmptyTexts) {
  const struct {
    const char* row;
    const char* name;
    std::optional<uint32_t> managerError, openError, sizeError, configError;
    int32_t errorCode;
  } rows[] = {
      {"manager cannot be opened", "WZCSVC", 5, {}, {}, {}, 5},
      {"no such service", "NoSuchSvc", {}, {}, {}, {}, 1060},
      {"service cannot be opened", "WZCSVC", {}, 5, {}, {}, 5},
      {"sizing query fails otherwise than with 122", "WZCSVC", {}, {}, 6, {}, 6},
      // Not a success with a zero-filled record: the second query's failure is reported.
      {"query into the buffer fails", "WZCSVC", {}, {}, {}, 1450, 1450},
  };
  for (const auto& row : rows) {
    manager = FakeServiceManager();
    FakeService& svc = manager.Add("WZCSVC", 4, 2);
    manager.managerError = row.managerError;
    svc.openError = row.openError;
    svc.sizeError = row.sizeError;
    svc.configError = row.configError;
    const service::ServiceConfigInfo info = service::GetServiceConfig(row.name);
    EXPECT_EQ(info.ErrorCode, row.errorCode) << row.row;
    const std::string texts = info.ServiceStartName + info.DisplayName + info.Dependencies +
                              info.ErrorControl + info.TagId + info.LoadOrderGroup +
                              info.BinaryPathName + info.StartType + info.ServiceType;
    EXPECT_EQ(texts, "") << row.row;
    ExpectHandlesBalanced(row.row);
  }
}

}  // namespace
