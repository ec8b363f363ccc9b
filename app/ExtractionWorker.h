#pragma once
// The hidden extraction workers and the parent side that starts them.
#include <cstdint>
#include <string>

namespace app {

// The parent side, called once by the progress window's timer with the counter at 45: runs the
// two workers and leaves the counter (and the bar) at 70.
void ExtractPayloads(int16_t& counter);

// Worker mode: writes resource CAB <argument> to InstallFolder\<argument>.cab.
void RunExtractionWorker(const std::string& workerArgument);

// Writes the program's resource of this type and id to path, replacing the file. True when the
// bytes were written and flushed; a missing resource leaves an empty file and answers false.
bool SaveResourceToFile(int32_t id, const std::string& type, const std::string& path);

// Deletes the program file at InstallerPath; a running program file may refuse, which is fine.
void RemoveInstallerFile();

// The resource id at the start of a worker argument: leading blanks skipped, a decimal number
// rounded half to even; 0 when there is no number or it does not fit 32 bits.
int32_t WorkerResourceId(const std::string& workerArgument);

}  // namespace app
