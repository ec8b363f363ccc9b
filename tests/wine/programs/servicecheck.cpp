// Runs the service operations from the command line against the real service manager and prints
// their results, one per line:
//   servicecheck start|stop|pause|continue NAME    result code
//   servicecheck startup NAME TYPE START ERRCTL     ChangeServiceStartup's result code
//   servicecheck state NAME                         state number and name
//   servicecheck config NAME                        the configuration record, Field=value
//   servicecheck change STATE NAME                  ChangeSvcState's answer
//   servicecheck run NAME [stop]                    Run's answer, then the name it was left with
//   servicecheck waitfor NAME STATENAME SECONDS     exit 0 once the state is reached, else 1
// NAME "-" stands for an empty name.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/Platform.h"
#include "os/Shell.h"
#include "os/win32/Backends.h"
#include "service/CheckService.h"
#include "service/NTServiceControl.h"

namespace {

int Usage() {
  std::fputs("usage: servicecheck COMMAND NAME ...\n", stderr);
  return 2;
}

int32_t Number(const char* text) {
  return static_cast<int32_t>(std::strtol(text, nullptr, 0));
}

}  // namespace

int main(int argc, char** argv) {
  os::SetOs(os::win32::Win32Platform());
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  std::string name = std::string(argv[2]) == "-" ? std::string() : argv[2];

  if (command == "start") {
    std::printf("%d\n", service::StartServiceByName(name));
  } else if (command == "stop") {
    std::printf("%d\n", service::StopServiceByName(name));
  } else if (command == "pause") {
    std::printf("%d\n", service::PauseServiceByName(name));
  } else if (command == "continue") {
    std::printf("%d\n", service::ContinueServiceByName(name));
  } else if (command == "startup" && argc == 6) {
    std::printf("%d\n", service::ChangeServiceStartup(name, Number(argv[3]), Number(argv[4]),
                                                      Number(argv[5])));
  } else if (command == "state") {
    const int32_t state = service::GetServiceState(name);
    std::printf("%d %s\n", state, service::ServiceStateName(state).c_str());
  } else if (command == "config") {
    const service::ServiceConfigInfo info = service::GetServiceConfig(name);
    std::printf(
        "ErrorCode=%d\nServiceStartName=%s\nDisplayName=%s\nDependencies=%s\n"
        "ErrorControl=%s\nTagId=%s\nLoadOrderGroup=%s\nBinaryPathName=%s\n"
        "StartType=%s\nServiceType=%s\n",
        info.ErrorCode, info.ServiceStartName.c_str(), info.DisplayName.c_str(),
        info.Dependencies.c_str(), info.ErrorControl.c_str(), info.TagId.c_str(),
        info.LoadOrderGroup.c_str(), info.BinaryPathName.c_str(), info.StartType.c_str(),
        info.ServiceType.c_str());
  } else if (command == "change" && argc == 4) {
    name = argv[3];
    std::printf("%d\n", service::CheckService().ChangeSvcState(Number(argv[2]), name));
  } else if (command == "run") {
    const bool stop = argc > 3 && std::string(argv[3]) == "stop";
    const std::string answer = service::CheckService().Run(name, stop);
    std::printf("%s\n%s\n", answer.c_str(), name.c_str());
  } else if (command == "waitfor" && argc == 5) {
    // Only the test waits; the operations themselves never do.
    const int tenths = Number(argv[4]) * 10;
    for (int i = 0; i <= tenths; ++i) {
      if (service::ServiceStateName(service::GetServiceState(name)) == argv[3]) return 0;
      os::Os().shell->Sleep(100);
    }
    return 1;
  } else {
    return Usage();
  }
  return 0;
}
