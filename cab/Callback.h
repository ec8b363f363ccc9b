#pragma once
// The bridge between the cabinet iterator's plain callback and the one CabFile that receives its
// notifications, and the path procedures of the cabinet side.
#include <cstdint>
#include <memory>
#include <string>

namespace cab {

class CabFile;

// The object that receives the notifications. The slot keeps it alive and is never cleared: it
// changes only when another object starts a walk.
void SetCurrentCabinet(std::shared_ptr<CabFile> object);
const std::shared_ptr<CabFile>& CurrentCabinet();

// The handler given to the iterator. With no object registered every notification gets 0.
uint32_t CabinetCallback(uintptr_t context, uint32_t notification, uintptr_t param1,
                         uintptr_t param2) noexcept;

// The text with "\" appended, unless it already ends with one ("" gives "\").
std::string AddTrailingBackslash(const std::string& text);

// Cuts the path after its last "\": folder keeps the "\", name is the rest. Without any "\" the
// folder is empty and the name is the whole path.
void SplitPath(const std::string& path, std::string& folder, std::string& name);

// Creates the folder and every missing folder above it; an existing folder counts as created.
// Drops one trailing "\" from the caller's path. False for an empty path or a folder that cannot
// be made.
bool CreateFolderPath(std::string& path);

// How a folder creation failed, in the two codes the walk distinguishes.
inline constexpr int kFolderAccessError = 75;   // exists already, or access refused
inline constexpr int kFolderPathNotFound = 76;  // a folder above it is missing
// 0, kFolderAccessError, kFolderPathNotFound, or -1 for any other failure.
int FolderCreationCode(uint32_t win32Error);

}  // namespace cab
