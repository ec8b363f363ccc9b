#pragma once
// The package installer's command line: without /u it installs the packages of its own folder
// and reads nothing from the line; /u INF removes one published package.
#include <string>
#include <string_view>
#include <vector>

namespace dpinst {

struct Command {
  bool uninstall = false;  // /u was given
  std::string inf;         // the argument after /u as given; empty when none followed
  bool quiet = false;      // /q: nothing is shown
  bool force = false;      // /f: installed even over a driver at least as good
};

// The arguments as Windows programs split their command line: blanks and tabs separate, double
// quotes group and are dropped, backslashes count only before a double quote (2n of them give n
// and a grouping quote, 2n+1 give n and a literal quote).
std::vector<std::string> SplitArguments(std::string_view line);

// Switches start with '/' and are read without regard to letter case or order. /u takes the next
// argument as its INF unless that is a switch; /sw, /d and switches of other uses change nothing.
Command ParseCommandLine(std::string_view line);

// The name looked up in the Windows INF folder for the INF argument of /u: the argument's file
// name part, so that a path anywhere still names only a file of that folder. Empty when that part
// is not an INF file name or could reach past the folder's plain files (a drive or stream colon,
// wildcards, control characters).
std::string PublishedInfName(std::string_view argument);

// Whether a name of the INF folder may be one of Windows' own INFs rather than a published
// package: from Windows XP on the driver store names every published INF oem<digits>.inf; Windows
// 2000 (and Wine) keep a first copy's own name, and then only the INF's provider tells.
bool MayBeWindowsOwnInf(std::string_view name, std::string_view provider);

}  // namespace dpinst
