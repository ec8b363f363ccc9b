#pragma once
// The roles one program file plays, chosen by its command line.
#include <optional>
#include <string>
#include <string_view>
#include "run/RunLog.h"

namespace app {

enum class RunMode {
  NameDisplay,       // "/GiveName"
  ManifestCopy,      // "/Add" + lower-case name + "/Manifest"
  Relaunch,          // empty, "debug" in any letter case, or switches only
  InstallationRun,   // "temp", or "temp" + a blank + switches (from the relauncher)
  ExtractionWorker,  // "/ExTracT " + name + " " + resource id
  KeptCopyRemoval,   // "/RemoveKeptCopy" (from a removal run)
  None,              // anything else: end at once, silently, with 1639
};

// The switches of a start that nobody may watch.
struct Switches {
  run::Presence presence = run::Presence::Windows;
  bool noRestart = false;
  bool uninstall = false;
  bool force = false;   // over a driver at least as good
  std::string logPath;  // empty: no log
};

// Blank-separated "/quiet", "/passive", "/norestart", "/uninstall", "/force" and "/log=PATH" (PATH in double quotes when
// it holds blanks), in any letter case and order; "" gives none. Nullopt for anything else, for a
// switch written twice, /quiet with /passive, /log= without a path, or blanks only.
std::optional<Switches> ParseSwitches(std::string_view text);

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
