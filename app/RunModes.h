#pragma once
// The roles one program file plays, chosen by its command line.
#include <optional>
#include <string>

namespace app {

enum class RunMode {
  NameDisplay,       // "/GiveName"
  ManifestCopy,      // "/Add" + lower-case name + "/Manifest"
  Relaunch,          // empty, or "debug" in any letter case
  InstallationRun,   // "temp"
  ExtractionWorker,  // "/ExTracT " + name + " " + resource id
  None,              // anything else: end at once, silently
};

RunMode SelectRunMode(const std::string& commandLine, const std::string& exeName);

// The command line that selects the manifest copy for this program file.
std::string ManifestCommandLine(const std::string& exeName);

// What follows the worker prefix and its separating character; nullopt when nothing does.
std::optional<std::string> WorkerArgument(const std::string& commandLine,
                                          const std::string& exeName);

// Gives the progress window's timer and the final clean-up the installation run's own steps.
void HandOverRunSteps();

// Runs the role of this process. True when a window stays open and the message loop must run.
bool Main();

}  // namespace app
