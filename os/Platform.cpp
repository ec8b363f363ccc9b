#include "os/Platform.h"

#include <cstdlib>

#include "os/Processes.h"

namespace os {
namespace {
Platform current;
}

Platform& Os() { return current; }
void SetOs(const Platform& platform) { current = platform; }

void EndProcess(int code) {
  current.processes->EndProcess(code);
  std::abort();  // a backend's EndProcess never returns
}

}  // namespace os
