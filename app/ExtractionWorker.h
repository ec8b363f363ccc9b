#pragma once
// The hidden extraction workers and the parent side that starts them.
#include <cstdint>
#include <string>

namespace app {

// The parent side, called once by the progress window's timer with the counter at 45: runs the
// two workers, writes config.txt, and leaves the counter (and the bar) at 70.
void ExtractPayloads(int16_t& counter);

// Worker mode: writes resource CAB <argument> to InstallFolder\<argument>.cab.
void RunExtractionWorker(const std::string& workerArgument);

}  // namespace app
