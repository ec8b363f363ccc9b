#include "cab/CabFile.h"

#include <cstring>

#include "cab/Callback.h"
#include "os/Platform.h"
#include "os/Shell.h"
#include "run/CloseDown.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"
#include "run/Windows.h"

namespace cab {
namespace {

// The iterator is asked to stop after a written file with this code (ERROR_OPERATION_ABORTED);
// the kept failure, not the iterator's answer, is what fails the walk.
constexpr uint32_t kStopAfterFile = 995;

std::string FromAnsi(const char* text) {
  return text ? std::string(text) : std::string();
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, with any extension.
bool IsDeviceName(std::string component) {
  component = run::UpperCase(component.substr(0, component.find('.')));
  while (!component.empty() && component.back() == ' ') component.pop_back();
  if (component == "CON" || component == "PRN" || component == "AUX" || component == "NUL")
    return true;
  return component.size() == 4 && (component.starts_with("COM") || component.starts_with("LPT")) &&
         component[3] >= '1' && component[3] <= '9';
}

[[noreturn]] void EndAfterExtractionError() {
  run::Tell(0, "Error while extracting files from the archive", run::kAppTitle, os::kMbOk);
  if (run::Ui().IsFinishLoaded()) run::Ui().Finish().Unload();
  run::UnloadWait();
}

}  // namespace

bool StaysInsideTarget(const std::string& storedName) {
  if (storedName.empty()) return true;  // names the folder itself; the platform refuses that
  if (IsSeparator(storedName.front())) return false;
  if (storedName.find(':') != std::string::npos) return false;
  size_t start = 0;
  while (start <= storedName.size()) {
    size_t end = start;
    while (end < storedName.size() && !IsSeparator(storedName[end])) ++end;
    const std::string component = storedName.substr(start, end - start);
    // Windows drops trailing dots and blanks of a component, so ".", "..", ". ." and the like
    // all turn into a step up, a step nowhere or an empty name.
    if (component.find_first_not_of(". ") == std::string::npos) return false;
    if (IsDeviceName(component)) return false;
    start = end + 1;
  }
  return true;
}

std::shared_ptr<CabFile> CabFile::Create() {
  return std::shared_ptr<CabFile>(new CabFile());
}

bool CabFile::Extract(const std::string& fileToExtract, const std::string& outputPath,
                      const std::string& outputFile) {
  if (!CabName.empty()) {
    FileToExtract = fileToExtract;
    OutputPath = outputPath;
    OutputFile = outputFile;
    if (Walk()) return true;
  }
  // Every failure ends the same way, whatever it was.
  EndAfterExtractionError();
}

bool CabFile::Walk() {
  SetCurrentCabinet(shared_from_this());
  // A failure kept by a notification belongs to its own walk only.
  failedInNotification_ = false;
  uint32_t lastError = 0;
  // The bridge finds this object as the current cabinet, so the context carries nothing.
  const bool walked = os::Os().cabinets->Iterate(CabName, 0, CabinetCallback, lastError);
  return walked && !failedInNotification_;
}

uint32_t CabFile::HandleNotification(uint32_t notification, uintptr_t param1) noexcept {
  MaybeCabError failure;
  switch (notification) {
    case os::kNotifyFileInCabinet: {
      auto& info = *reinterpret_cast<os::FileInCabinetInfo*>(param1);
      bool write = false;
      failure = PrepareFileTarget(info, write);
      if (!failure) return write ? os::kFileOpDoIt : os::kFileOpSkip;
      break;
    }
    case os::kNotifyFileExtracted: {
      const os::FilePaths paths = *reinterpret_cast<const os::FilePaths*>(param1);
      if (paths.Win32Error == 0 && AfterExtract) failure = AfterExtract(FromAnsi(paths.Target));
      if (!failure) return paths.Win32Error;
      break;
    }
    case os::kNotifyCabinetInfo:
    case os::kNotifyNeedNewCabinet:
    default:
      return 0;
  }
  failedInNotification_ = true;
  return notification == os::kNotifyFileExtracted ? kStopAfterFile : os::kFileOpAbort;
}

MaybeCabError CabFile::PrepareFileTarget(os::FileInCabinetInfo& info, bool& write) {
  write = false;
  const std::string storedName = FromAnsi(info.NameInCabinet);
  if (!FileToExtract.empty() && run::LowerCase(storedName) != run::LowerCase(FileToExtract))
    return std::nullopt;

  bool cancel = false;
  if (BeforeExtract)
    if (MaybeCabError failure = BeforeExtract(storedName, cancel)) return failure;
  if (cancel) return std::nullopt;

  std::string target;
  if (MaybeCabError failure = TargetPathFor(storedName, target)) return failure;
  std::string folder, name;
  SplitPath(target, folder, name);
  if (!CreateFolderPath(folder)) return std::nullopt;

  // The record holds MAX_PATH bytes with the terminating NUL: 259 bytes of path at most.
  if (target.size() >= os::kMaxTargetName) return CabError{};
  std::memcpy(info.FullTargetName, target.data(), target.size());
  info.FullTargetName[target.size()] = '\0';
  write = true;
  return std::nullopt;
}

MaybeCabError CabFile::TargetPathFor(const std::string& storedName, std::string& target) const {
  std::string folder = OutputPath;
  if (folder.empty()) {
    std::string cabinetName;
    SplitPath(CabName, folder, cabinetName);
  }
  // A cabinet names its own files; a name that climbs out of the target or names another drive,
  // share or device would write where nobody asked for files.
  if (OutputFile.empty() && !StaysInsideTarget(storedName)) return CabError{};
  target = AddTrailingBackslash(folder) + (OutputFile.empty() ? storedName : OutputFile);
  return std::nullopt;
}

}  // namespace cab
