#pragma once
// The work folders in the user's temporary folder and the small file helpers of the run.
#include <string>

namespace run {

// What a run names after its temporary file: the folder its elevated copy runs from, and the
// work folder.
inline constexpr char kCopyFolderSuffix[] = ".run";
inline constexpr char kWorkFolderSuffix[] = "_InstallationFolder";

void InitWorkPaths();         // sets TempFolder and InstallFolder
std::string GetTempFolder();  // ends with "\"
// A new, empty temporary file; nothing stands at its name with either suffix after it either.
std::string MakeTempFileName();
std::string EnsureTrailingBackslash(const std::string& path);
bool FileExists(const std::string& path);    // exists and is not a folder
bool FolderExists(const std::string& path);  // listing path\*.* yields anything
void DeleteFolderTree(const std::string& path);
// Removes the path when it is a junction, symbolic link or mount point, as the link itself;
// true when it was one (removed or not), false when it is anything else or nothing.
bool RemoveIfLink(const std::string& path);

// True when this process runs on Windows NT with administrator rights (elevated, where Windows
// splits them).
bool RunsElevated();
// Elevated, the work folder InstallFolder is made new where only administrators can write, and
// held so that nobody can move it away. False when that cannot be done, also when anything
// stands at its name already (that stays). Not elevated: nothing here, the workers make it.
bool CreateWorkFolder();
// The final clean-up of the work folder: elevated, the held folder with everything in it,
// deleted through handles; not elevated, the folder at InstallFolder's path.
void DeleteWorkFolder();

}  // namespace run
