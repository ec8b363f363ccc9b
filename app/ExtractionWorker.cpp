#include "app/ExtractionWorker.h"

#include <cmath>
#include <cstdlib>

#include "app/InstallerState.h"
#include "app/ProcessLaunch.h"
#include "app/Windows.h"
#include "app/WorkFolders.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Resources.h"
#include "os/Shell.h"

namespace app {
namespace {

constexpr int kShowHidden = 0;

void Advance(int16_t& counter, int step) {
  counter = static_cast<int16_t>(counter + step);
  Ui().Wait().SetProgress(counter);
}

void RunWorker(const std::string& resourceId) {
  ShellRunAndWait(0, "open", State().InstallerPath, "/ExTracT " + ExeName() + " " + resourceId, "",
                  kShowHidden);
}

}  // namespace

int32_t WorkerResourceId(const std::string& workerArgument) {
  size_t start = workerArgument.find_first_not_of(" \t");
  if (start == std::string::npos) return 0;
  // Only a plain decimal number counts: strtod alone would also take hex, "inf" and "nan".
  size_t end = start;
  if (end < workerArgument.size() && (workerArgument[end] == '-' || workerArgument[end] == '+'))
    ++end;
  while (end < workerArgument.size() &&
         ((workerArgument[end] >= '0' && workerArgument[end] <= '9') || workerArgument[end] == '.'))
    ++end;
  const std::string number = workerArgument.substr(start, end - start);
  char* stop = nullptr;
  const double value = std::strtod(number.c_str(), &stop);
  if (stop == number.c_str()) return 0;
  const double rounded = std::nearbyint(value);  // the default mode rounds half to even
  if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) return 0;
  return static_cast<int32_t>(rounded);
}

bool SaveResourceToFile(int32_t id, const std::string& type, const std::string& path) {
  const auto file = os::Os().files->CreateExclusive(path);
  if (!file) return false;
  // The bytes stay in the mapped program image; one write hands them over as they are.
  const auto bytes = os::Os().resources->Find(type.c_str(), id);
  const bool written = file->Write(bytes.value_or(std::string_view()));
  const bool flushed = file->Flush();
  return bytes.has_value() && written && flushed;
}

void RemoveInstallerFile() {
  os::Os().files->RemoveFile(State().InstallerPath);
}

void RunExtractionWorker(const std::string& workerArgument) {
  os::Files& files = *os::Os().files;
  const std::string tempPath = MakeTempFileName();
  // From here on a failing step is passed over: the parent judges the result by the file alone.
  InitWorkPaths();
  SaveResourceToFile(WorkerResourceId(workerArgument), "CAB", tempPath);
  if (!FolderExists(State().InstallFolder)) files.CreateFolder(State().InstallFolder);
  files.Copy(tempPath, State().InstallFolder + "\\" + workerArgument + ".cab");
  files.RemoveFile(tempPath);
}

void ExtractPayloads(int16_t& counter) {
  os::Shell& shell = *os::Os().shell;
  shell.Sleep(10);
  InitWorkPaths();
  // From here on a failing step is passed over; RunInstallation looks at the files themselves.
  Advance(counter, 5);
  RunWorker("386");
  Advance(counter, 10);
  shell.Sleep(10);
  RunWorker("1");
  shell.Sleep(25);
  RemoveInstallerFile();
  Advance(counter, 5);

  const std::string configPath = State().TempFolder + "config.txt";
  if (const auto config = os::Os().resources->Find("CONFIG", 7)) {
    os::Os().files->WriteAll(configPath, *config);
  } else {
    // Without its resource the run must not pick up a configuration left by an earlier run.
    os::Os().files->RemoveFile(configPath);
  }
  Advance(counter, 5);
}

}  // namespace app
