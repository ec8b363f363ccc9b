// The command-line mode selection and the worker argument behind it, over any command line and
// program name (split at the first NUL byte), and the switches of an unattended start.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/ExtractionWorker.h"
#include "app/RunModes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string commandLine = input.substr(0, cut);
  const std::string exeName = cut == std::string::npos ? "Installer" : input.substr(cut + 1);

  const app::RunMode mode = app::SelectRunMode(commandLine, exeName);
  const auto argument = app::WorkerArgument(commandLine, exeName);
  if (mode == app::RunMode::ExtractionWorker) {
    const std::string prefix = "/ExTracT " + exeName;
    if (commandLine.compare(0, prefix.size(), prefix) != 0) std::abort();
    // What the worker gets is the rest of the command line after one separating character.
    if (argument && prefix.size() + 1 + argument->size() != commandLine.size()) std::abort();
    if (argument) app::WorkerResourceId(*argument);
  }
  // Accepted switches carry a log path that is whole text of the line, never empty, and the
  // relauncher's copy, given them after "temp", runs the installation with the same switches.
  if (const auto switches = app::ParseSwitches(commandLine)) {
    if (!commandLine.empty() && switches->presence == run::Presence::Windows &&
        !switches->noRestart && !switches->uninstall && !switches->force &&
        switches->logPath.empty())
      std::abort();
    if (!switches->logPath.empty() && commandLine.find(switches->logPath) == std::string::npos)
      std::abort();
    if (!commandLine.empty() && mode == app::RunMode::Relaunch &&
        app::SelectRunMode("temp " + commandLine, exeName) != app::RunMode::InstallationRun)
      std::abort();
  }
  // The command the name display shows always selects the manifest copy.
  if (app::SelectRunMode(app::ManifestCommandLine(exeName), exeName) != app::RunMode::ManifestCopy)
    std::abort();
  return 0;
}
