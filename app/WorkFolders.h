#pragma once
// The work folders in the user's temporary folder and the small file helpers of the run.
#include <string>

namespace app {

void InitWorkPaths();               // sets TempFolder and InstallFolder
std::string GetTempFolder();        // ends with "\"
std::string MakeTempFileName();     // a new, empty temporary file
std::string EnsureTrailingBackslash(const std::string& path);
bool FileExists(const std::string& path);    // exists and is not a folder
bool FolderExists(const std::string& path);  // listing path\*.* yields anything
void DeleteFolderTree(const std::string& path);

}  // namespace app
