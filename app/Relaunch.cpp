#include "app/Relaunch.h"

#include "app/ProcessLaunch.h"
#include "app/StreamMarker.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Shell.h"
#include "run/ExitCodes.h"
#include "run/InstallerState.h"
#include "run/RunLog.h"
#include "run/Windows.h"
#include "run/WorkFolders.h"

namespace app {
namespace {

// The copy has just ended; Windows may take a moment to let go of its program file.
template <typename Remove>
void RemoveFinished(Remove remove) {
  for (int attempt = 0; attempt < 20 && !remove(); ++attempt) os::Os().shell->Sleep(100);
}

bool RemoveFile(const std::string& path) {
  return os::Os().files->RemoveFile(path) || !run::FileExists(path);
}

}  // namespace

std::optional<uint32_t> RunRelaunch() {
  os::Files& files = *os::Os().files;
  const std::string programFile = run::ProgramFile();
  if (!StreamExists(programFile + ":DATA")) return std::nullopt;

  // Held from here on, nobody can write, rename or delete the program file; it is read through
  // this handle only, never by its name again.
  std::unique_ptr<os::HeldFile> program = files.HoldUnchanged(programFile);
  const std::string copyBase = run::MakeTempFileName();
  std::string copyProgram = copyBase + ".exe";
  std::unique_ptr<os::HeldFolder> copyFolder;
  // Nothing has started yet; the empty temporary file would otherwise stay in the user's
  // temporary folder for good. Nothing was installed: a deployment tool must not read this as
  // success. A copy that could not be made whole removes itself.
  const auto giveUp = [&] {
    if (copyFolder) copyFolder->DeleteTree();
    files.RemoveFile(copyBase);
    run::Log("exit code: %u", run::kExitFailed);
    os::EndProcess(static_cast<int>(run::kExitFailed));
  };
  if (!program || copyBase.empty()) giveUp();
  // The copy runs with administrator rights: it must be this very program (a file renamed into
  // its place after the start is not).
  const bool elevated = run::RunsElevated();
  if (elevated && !program->IsRunningProgram()) giveUp();
  // Elevated, the copy runs from a folder only administrators can write. Its name inside is the
  // temporary file's, so its work folder is named as ever.
  // A removal may be started from the kept copy, which the removal deletes: only a process
  // started after this one has ended can. The copy starts that process (the copy's last run), so
  // the copy must outlive this one: the hold deletes it after the last of its runs.
  if (elevated) {
    uint32_t error = 0;
    const std::string folder = copyBase + run::kCopyFolderSuffix;
    copyFolder = files.CreateProtectedFolder(folder, error);
    if (!copyFolder) giveUp();
    copyProgram = folder + "\\" + run::ExeNameOf(copyBase) + ".exe";
  }
  std::unique_ptr<os::HeldFile> runOnce;
  if (run::State().Uninstall) {
    runOnce = program->CopyToRunOnce(copyProgram);
    if (!runOnce) giveUp();
  } else if (!program->CopyToNew(copyProgram)) {
    giveUp();
  }
  program.reset();
  run::State().InstallerPath = copyProgram;

  const uintptr_t owner = run::Ui().LoadTempForm();
  // The run ends with its outcome as its exit code; a run that never started installed nothing.
  uint32_t exitCode = run::kExitFailed;
  // The copy runs with the switches this start was given.
  ShellRunAndWait(owner, "open", copyProgram, "temp" + run::State().CarriedSwitches, "", 1,
                  &exitCode);
  // The copy's last run may still run from the folder: a running program can be renamed, not
  // deleted, and out of the folder it lets the folder go.
  if (runOnce && copyFolder) {
    const std::string away = run::MakeTempFileName();
    if (!away.empty() && !runOnce->MoveTo(away)) files.RemoveFile(away);
  }
  runOnce.reset();
  if (copyFolder)
    RemoveFinished([&] { return copyFolder->DeleteTree(); });
  else if (!run::State().Uninstall)
    RemoveFinished([&] { return RemoveFile(copyProgram); });
  RemoveFinished([&] { return RemoveFile(copyBase); });
  run::Ui().UnloadTempForm();
  return exitCode;
}

}  // namespace app
