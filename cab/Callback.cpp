#include "cab/Callback.h"

#include <vector>

#include "cab/CabFile.h"
#include "os/Files.h"
#include "os/Platform.h"

namespace cab {
namespace {

std::shared_ptr<CabFile>& Slot() {
  static std::shared_ptr<CabFile> current;
  return current;
}

int CreateOneFolder(const std::string& path) {
  return FolderCreationCode(os::Os().files->CreateFolder(path));
}

}  // namespace

void SetCurrentCabinet(std::shared_ptr<CabFile> object) {
  Slot() = std::move(object);
}

const std::shared_ptr<CabFile>& CurrentCabinet() {
  return Slot();
}

uint32_t CabinetCallback(uintptr_t, uint32_t notification, uintptr_t param1, uintptr_t) noexcept {
  // Held for the call, so an event handler that registers another object cannot free this one
  // under its own feet.
  const std::shared_ptr<CabFile> current = Slot();
  if (!current) return 0;
  return current->HandleNotification(notification, param1);
}

std::string AddTrailingBackslash(const std::string& text) {
  if (!text.empty() && text.back() == '\\') return text;
  return text + '\\';
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) {
    folder.clear();
    name = path;
    return;
  }
  folder = path.substr(0, slash + 1);
  name = path.substr(slash + 1);
}

// CreateDirectoryA's answers in the two kinds the walk tells apart: ERROR_ALREADY_EXISTS (183),
// ERROR_FILE_EXISTS (80) and ERROR_ACCESS_DENIED (5) mean the folder is there or will not be
// made by us; ERROR_PATH_NOT_FOUND (3) means a folder above it is missing.
int FolderCreationCode(uint32_t win32Error) {
  switch (win32Error) {
    case 0:
      return 0;
    case 5:
    case 80:
    case 183:
      return kFolderAccessError;
    case 3:
      return kFolderPathNotFound;
    default:
      return -1;
  }
}

bool CreateFolderPath(std::string& path) {
  if (path.empty()) return false;
  if (path.back() == '\\') path.pop_back();

  const int first = CreateOneFolder(path);
  if (first == 0 || first == kFolderAccessError) return true;
  if (first != kFolderPathNotFound) return false;

  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t slash; (slash = path.find('\\', start)) != std::string::npos; start = slash + 1)
    parts.push_back(path.substr(start, slash - start));
  parts.push_back(path.substr(start));

  // Walk up to the deepest folder that exists or can be made, then build back down from it.
  std::string ancestor;
  int found = -1;
  for (int j = static_cast<int>(parts.size()) - 2; j >= 0; --j) {
    ancestor.clear();
    for (int i = 0; i <= j; ++i) ancestor += '\\' + parts[static_cast<size_t>(i)];
    if (ancestor.size() > 1) ancestor.erase(0, 1);
    const int code = CreateOneFolder(ancestor);
    if (code == 0 || code == kFolderAccessError) {
      found = j;
      break;
    }
    if (code != kFolderPathNotFound) return false;
  }
  // Nothing above the path exists: the folders below cannot be made either.
  if (found < 0) return false;

  for (size_t k = static_cast<size_t>(found) + 1; k < parts.size(); ++k) {
    ancestor += '\\' + parts[k];
    if (CreateOneFolder(ancestor) != 0) return false;
  }
  return true;
}

}  // namespace cab
