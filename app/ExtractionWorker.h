#pragma once
// The hidden extraction workers and the parent side that starts them.
#include <cstdint>
#include <string>

namespace app {

// Worker mode: writes resource CAB <argument> to InstallFolder\<argument>.cab.
void RunExtractionWorker(const std::string& workerArgument);

}  // namespace app
