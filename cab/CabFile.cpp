#include "cab/CabFile.h"

#include <climits>
#include <cstring>
#include <new>

#include "app/CloseDown.h"
#include "app/InstallerState.h"
#include "app/Windows.h"
#include "cab/Callback.h"
#include "os/Platform.h"
#include "os/Shell.h"

namespace cab {
namespace {

constexpr const char* kSource = "CabFile";
constexpr const char* kCallbackSource = "CabFile.CabCallBack";
// The iterator is asked to stop after a written file with this code (ERROR_OPERATION_ABORTED);
// the kept failure, not this code, is what the caller then sees.
constexpr uint32_t kStopAfterFile = 995;

std::string FromAnsi(const char* text) {
  return text ? std::string(text) : std::string();
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, with any extension.
bool IsDeviceName(std::string component) {
  component = app::UpperCase(component.substr(0, component.find('.')));
  while (!component.empty() && component.back() == ' ') component.pop_back();
  if (component == "CON" || component == "PRN" || component == "AUX" || component == "NUL")
    return true;
  return component.size() == 4 && (component.starts_with("COM") || component.starts_with("LPT")) &&
         component[3] >= '1' && component[3] <= '9';
}

// The notification logic's view of a failure: same number and text, its own source.
CabError FromCallback(const CabError& failure) {
  return CabError(failure.number, kCallbackSource, failure.description);
}

[[noreturn]] void EndAfterExtractionError() {
  os::Os().shell->ShowMessage(0, "Error while extracting files from the archive", app::kAppTitle,
                              os::kMbOk);
  if (app::Ui().IsFinishLoaded()) app::Ui().Finish().Unload();
  app::UnloadWait();
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

int32_t CabFile::FileCount() {
  if (CabName.empty())
    throw CabError(kErrCabNameMissing, kSource, CabFileErrorText(kErrCabNameMissing));
  // Each query counts afresh, so it answers the cabinet's number of files, not a running sum.
  CountedFiles = 0;
  Walk(CountMode);
  return CountedFiles;
}

bool CabFile::Extract(const std::string& fileToExtract, const std::string& outputPath,
                      const std::string& outputFile) {
  try {
    if (CabName.empty())
      throw CabError(kErrCabNameMissing, kSource, CabFileErrorText(kErrCabNameMissing));
    FileToExtract = fileToExtract;
    OutputPath = outputPath;
    OutputFile = outputFile;
    Walk(ExtractMode);
    return true;
  } catch (const std::exception&) {
    // Every failure ends the same way; its number and text are not shown.
  }
  EndAfterExtractionError();
  return false;
}

void CabFile::Walk(uintptr_t mode) {
  SetCurrentCabinet(shared_from_this());
  pendingFailure_.reset();
  uint32_t lastError = 0;
  const bool walked = os::Os().cabinets->Iterate(CabName, mode, CabinetCallback, lastError);
  if (pendingFailure_) {
    const CabError failure = std::move(*pendingFailure_);
    pendingFailure_.reset();
    throw failure;
  }
  if (!walked)
    throw CabError(static_cast<int32_t>(lastError), kSource, CabinetErrorText(lastError));
}

uint32_t CabFile::HandleNotification(uintptr_t context, uint32_t notification, uintptr_t param1,
                                     uintptr_t) noexcept {
  try {
    switch (notification) {
      case os::kNotifyFileInCabinet:
        if (context == CountMode) {
          if (CountedFiles == INT32_MAX) throw CabError(kErrOverflow, kSource, "Overflow");
          ++CountedFiles;
          return os::kFileOpSkip;
        }
        if (context == ExtractMode) {
          auto& info = *reinterpret_cast<os::FileInCabinetInfo*>(param1);
          return PrepareFileTarget(info) ? os::kFileOpDoIt : os::kFileOpSkip;
        }
        return os::kFileOpAbort;
      case os::kNotifyFileExtracted: {
        const os::FilePaths paths = *reinterpret_cast<const os::FilePaths*>(param1);
        if (paths.Win32Error == 0 && AfterExtract) AfterExtract(FromAnsi(paths.Target));
        return paths.Win32Error;
      }
      case os::kNotifyCabinetInfo:
      case os::kNotifyNeedNewCabinet:
      default:
        return 0;
    }
  } catch (const CabError& failure) {
    pendingFailure_ = FromCallback(failure);
  } catch (const std::bad_alloc&) {
    pendingFailure_ = CabError(kErrOutOfMemory, kCallbackSource, "Out of memory");
  } catch (const std::exception& failure) {
    pendingFailure_ = CabError(kErrInternal, kCallbackSource, failure.what());
  } catch (...) {
    pendingFailure_ = CabError(kErrInternal, kCallbackSource, "Internal error");
  }
  return notification == os::kNotifyFileExtracted ? kStopAfterFile : os::kFileOpAbort;
}

bool CabFile::PrepareFileTarget(os::FileInCabinetInfo& info) {
  const std::string storedName = FromAnsi(info.NameInCabinet);
  if (!FileToExtract.empty() && app::LowerCase(storedName) != app::LowerCase(FileToExtract))
    return false;

  bool cancel = false;
  if (BeforeExtract) BeforeExtract(storedName, cancel);
  if (cancel) return false;

  const std::string target = TargetPathFor(storedName);
  std::string folder, name;
  SplitPath(target, folder, name);
  if (!CreateFolderPath(folder)) return false;

  // The record holds MAX_PATH bytes with the terminating NUL: 259 bytes of path at most.
  if (target.size() >= os::kMaxTargetName)
    throw CabError(kErrSubscriptOutOfRange, kSource, "Subscript out of range");
  std::memcpy(info.FullTargetName, target.data(), target.size());
  info.FullTargetName[target.size()] = '\0';
  return true;
}

std::string CabFile::TargetPathFor(const std::string& storedName) const {
  std::string folder = OutputPath;
  if (folder.empty()) {
    std::string cabinetName;
    SplitPath(CabName, folder, cabinetName);
  }
  if (!OutputFile.empty()) return AddTrailingBackslash(folder) + OutputFile;
  // A cabinet names its own files; a name that climbs out of the target or names another drive,
  // share or device would write where nobody asked for files.
  if (!StaysInsideTarget(storedName))
    throw CabError(static_cast<int32_t>(kErrorInvalidName), kSource,
                   CabinetErrorText(kErrorInvalidName));
  return AddTrailingBackslash(folder) + storedName;
}

}  // namespace cab
