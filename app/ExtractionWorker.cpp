#include "app/ExtractionWorker.h"

#include <cstdint>

#include "app/ProcessLaunch.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Resources.h"
#include "os/Shell.h"
#include "run/CloseDown.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"
#include "run/Windows.h"
#include "run/WorkFolders.h"

namespace app {
namespace {

constexpr int kShowHidden = 0;

void Advance(int16_t& counter, int step) {
  counter = static_cast<int16_t>(counter + step);
  run::Ui().Wait().SetProgress(counter);
}

void RunWorker(const std::string& resourceId) {
  ShellRunAndWait(0, "open", run::State().InstallerPath,
                  "/ExTracT " + run::ExeName() + " " + resourceId, "", kShowHidden);
}

}  // namespace

int32_t WorkerResourceId(const std::string& workerArgument) {
  size_t at = workerArgument.find_first_not_of(" \t");
  if (at == std::string::npos) return 0;
  const auto digitAt = [&](size_t i) {
    return i < workerArgument.size() && workerArgument[i] >= '0' && workerArgument[i] <= '9';
  };
  // A plain decimal number, rounded to a whole one with halves going to the even neighbour.
  // Parsed by hand: the floating-point reader of the C library would add 20 KB to the program.
  const bool negative = workerArgument[at] == '-';
  if (workerArgument[at] == '-' || workerArgument[at] == '+') ++at;
  const bool hasWhole = digitAt(at);
  int64_t whole = 0;
  for (; digitAt(at); ++at) {
    whole = whole * 10 + (workerArgument[at] - '0');
    if (whole > int64_t{INT32_MAX} + 1) return 0;
  }
  int firstDecimal = 0;
  bool laterDecimals = false;
  bool hasDecimals = false;
  if (at < workerArgument.size() && workerArgument[at] == '.') {
    for (size_t i = at + 1; digitAt(i); ++i) {
      if (!hasDecimals)
        firstDecimal = workerArgument[i] - '0';
      else if (workerArgument[i] != '0')
        laterDecimals = true;
      hasDecimals = true;
    }
  }
  if (!hasWhole && !hasDecimals) return 0;
  if (firstDecimal > 5 || (firstDecimal == 5 && (laterDecimals || (whole & 1) != 0))) ++whole;
  const int64_t value = negative ? -whole : whole;
  if (value < INT32_MIN || value > INT32_MAX) return 0;
  return static_cast<int32_t>(value);
}

bool SaveResourceToFile(int32_t id, const std::string& type, const std::string& path) {
  const auto file = os::Os().files->CreateExclusive(path);
  if (!file) return false;
  // The bytes stay in the mapped program image; one write hands them over as they are.
  const auto bytes = os::Os().resources->Find(type.c_str(), id);
  // An empty text, not a null one, where the resource is missing: the write gets a buffer.
  const bool written = file->Write(bytes.value_or(std::string_view("")));
  const bool flushed = file->Flush();
  return bytes.has_value() && written && flushed;
}

void RemoveInstallerFile() {
  os::Os().files->RemoveFile(run::State().InstallerPath);
}

void RunExtractionWorker(const std::string& workerArgument) {
  os::Files& files = *os::Os().files;
  // From here on a failing step is passed over: the parent judges the result by the file alone.
  run::InitWorkPaths();
  if (!run::FolderExists(run::State().InstallFolder))
    files.CreateFolder(run::State().InstallFolder);
  // The bytes pass through a temporary file inside the work folder: in the temporary folder
  // itself any process of the user could change them before they are put in place. A rename
  // puts the cabinet in place without writing its bytes a second time; where the platform cannot
  // rename, the copy and the delete leave the same files behind.
  const std::string tempPath =
      files.TempFileName(run::EnsureTrailingBackslash(run::State().InstallFolder), run::ExeName());
  SaveResourceToFile(WorkerResourceId(workerArgument), "CAB", tempPath);
  const std::string cabinetPath = run::State().InstallFolder + "\\" + workerArgument + ".cab";
  if (!files.Move(tempPath, cabinetPath)) {
    files.Copy(tempPath, cabinetPath);
    files.RemoveFile(tempPath);
  }
}

void ExtractPayloads(int16_t& counter) {
  os::Shell& shell = *os::Os().shell;
  shell.Sleep(10);
  run::InitWorkPaths();
  if (!run::CreateWorkFolder()) {
    run::Tell(0,
              "The installer could not prepare its work folder " + run::State().InstallFolder +
                  ". Close the programs that use it, or remove it, and start the installer again.",
              run::kAppTitle, os::kMbOk);
    run::UnloadWait();
  }
  // From here on a failing step is passed over; RunInstallation looks at the files themselves.
  Advance(counter, 5);
  RunWorker("386");
  Advance(counter, 10);
  shell.Sleep(10);
  // A removal needs the driver installer only; the kept copy carries no driver cabinet.
  if (!run::State().Uninstall) RunWorker("1");
  shell.Sleep(25);
  RemoveInstallerFile();
  Advance(counter, 5);
  // The configuration is read from the program's own resource; no copy of it is written out.
  Advance(counter, 5);
}

}  // namespace app
