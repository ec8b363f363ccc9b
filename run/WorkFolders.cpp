#include "run/WorkFolders.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Version.h"
#include "run/AnsiPaths.h"
#include "run/InstallerState.h"

namespace run {

void InitWorkPaths() {
  State().TempFolder = GetTempFolder();
  State().InstallFolder = State().TempFolder + ExeName() + kWorkFolderSuffix;
}

std::string GetTempFolder() {
  os::Files& files = *os::Os().files;
  // The size is kept in 16 bits, as the run has always done; longer paths come out truncated
  // and the next file operation fails instead.
  const auto needed = static_cast<int16_t>(files.TempPath(nullptr, 0));
  std::string path;
  if (needed > 1) {
    std::vector<char> buffer(static_cast<size_t>(needed), '\0');
    files.TempPath(buffer.data(), static_cast<uint32_t>(buffer.size()));
    path.assign(buffer.data(), static_cast<size_t>(needed - 1));
    path.resize(path.find('\0') == std::string::npos ? path.size() : path.find('\0'));
  }
  return EnsureTrailingBackslash(UsableAnsiPath(path, WideTempPath()).value_or(path));
}

// The folder and the prefix (from the program's name) are usable ANSI forms already, and the
// platform adds only hexadecimal digits and ".tmp": the name it gives back is usable too.
std::string MakeTempFileName() {
  // A copy run from a folder named after the temporary file names its work folder after it too:
  // names another account has taken first are passed over.
  return os::Os().files->TempFileName(GetTempFolder(), ExeName(),
                                      {kCopyFolderSuffix, kWorkFolderSuffix});
}

std::string EnsureTrailingBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + "\\";
}

bool FileExists(const std::string& path) {
  const auto attributes = os::Os().files->Attributes(path);
  return attributes && (*attributes & os::kAttrDirectory) == 0;
}

bool FolderExists(const std::string& path) {
  return !os::Os().files->List(EnsureTrailingBackslash(path) + "*.*").empty();
}

// Every file and subfolder goes before the folder itself; whatever cannot be deleted (a file
// held open elsewhere) stays, and so do the folders above it. A junction, symbolic link or mount
// point goes as the link itself: followed, it would have the elevated run delete files anywhere.
void DeleteFolderTree(const std::string& path) {
  os::Files& files = *os::Os().files;
  if (RemoveIfLink(path)) return;
  const std::string folder = EnsureTrailingBackslash(path);
  for (const os::FolderEntry& entry : files.List(folder + "*.*")) {
    if (entry.name == "." || entry.name == "..") continue;
    const std::string full = folder + entry.name;
    if (entry.attributes & os::kAttrReparsePoint) {
      RemoveIfLink(full);
    } else if (entry.attributes & os::kAttrDirectory) {
      DeleteFolderTree(full + "\\");
    } else {
      files.SetAttributes(full, os::kAttrNormal);
      files.RemoveFile(full);
    }
  }
  files.RemoveFolder(folder);
}

bool RemoveIfLink(const std::string& path) {
  os::Files& files = *os::Os().files;
  std::string entry = path;
  if (entry.size() > 3 && entry.back() == '\\') entry.pop_back();
  const auto attributes = files.Attributes(entry);
  if (!attributes || !(*attributes & os::kAttrReparsePoint)) return false;
  // Its attributes are the link's own: clearing them would reach through to the target.
  if (*attributes & os::kAttrDirectory) {
    files.RemoveFolder(entry);
  } else {
    files.RemoveFile(entry);
  }
  return true;
}

namespace {
// Held from its creation to the final clean-up.
std::unique_ptr<os::HeldFolder> heldWorkFolder;
// Whether the workers make the folder (the run is not elevated), as decided when the folder was
// prepared: the clean-up must not ask again and get another answer. Empty before that.
std::optional<bool> leftToWorkers;
}  // namespace

// Windows 9x (platform 1) knows no rights: nothing there to protect a folder with.
bool RunsElevated() {
  os::VersionRecord record;
  return os::Os().version->Query(record) && record.platformId == 2 &&
         os::Os().version->IsUserAnAdmin().value_or(false);
}

// Made new or not at all: whatever stands at the name may be anyone's (the name is known as soon
// as the copy's temporary name appears), and deleting it would let its maker steer the elevated
// deletes. The caller ends with its message about the work folder instead.
bool CreateWorkFolder() {
  leftToWorkers = !RunsElevated();
  if (*leftToWorkers) return true;
  uint32_t error = 0;
  heldWorkFolder = os::Os().files->CreateProtectedFolder(State().InstallFolder, error);
  return heldWorkFolder != nullptr;
}

// Elevated, only the folder this run made and still holds goes, through its handle; not elevated,
// the folder the workers made, by its path. Before the folder was prepared no worker has run:
// whatever stands at its name is not this run's and stays.
void DeleteWorkFolder() {
  if (heldWorkFolder) {
    heldWorkFolder->DeleteTree();
    heldWorkFolder.reset();
  } else if (leftToWorkers.value_or(false) && FolderExists(State().InstallFolder)) {
    DeleteFolderTree(State().InstallFolder);
  }
  leftToWorkers.reset();
}

}  // namespace run
