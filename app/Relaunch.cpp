#include "app/Relaunch.h"

#include "run/ExitCodes.h"
#include "run/InstallerState.h"
#include "app/ProcessLaunch.h"
#include "app/StreamMarker.h"
#include "run/Windows.h"
#include "run/WorkFolders.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Shell.h"
#include "run/RunLog.h"

namespace app {
namespace {

// The copy has just ended; Windows may take a moment to let go of its program file.
void RemoveFinishedCopy(const std::string& path) {
  os::Files& files = *os::Os().files;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (files.RemoveFile(path) || !run::FileExists(path)) return;
    os::Os().shell->Sleep(100);
  }
}

}  // namespace

std::optional<uint32_t> RunRelaunch() {
  os::Files& files = *os::Os().files;
  const std::string programFile = run::ProgramFile();
  if (!StreamExists(programFile + ":DATA")) return std::nullopt;

  const std::string copyBase = run::MakeTempFileName();
  const std::string copyProgram = copyBase + ".exe";
  // Nothing has started yet; what the copy left (the empty temporary file, part of a copy) would
  // otherwise stay in the user's temporary folder for good. Nothing was installed: a deployment
  // tool must not read this as success.
  const auto giveUp = [&] {
    files.RemoveFile(copyProgram);
    files.RemoveFile(copyBase);
    run::Log("exit code: %u", run::kExitFailed);
    os::EndProcess(static_cast<int>(run::kExitFailed));
  };
  if (!files.Copy(programFile, copyBase) || !files.Copy(copyBase, copyProgram)) giveUp();
  run::State().InstallerPath = copyProgram;
  if (!DeleteStream(copyProgram + ":DATA")) return std::nullopt;
  // The copy will run with this process's administrator rights from the user's temporary folder,
  // where any program of the user's can write. From here until the run ends nobody can change
  // it, and what is held must be this very program.
  std::unique_ptr<os::HeldFile> heldCopy = files.HoldUnchanged(copyProgram);
  if (!heldCopy || !heldCopy->SameBytesAs(programFile)) {
    heldCopy.reset();
    giveUp();
  }

  const uintptr_t owner = run::Ui().LoadTempForm();
  // The run ends with its outcome as its exit code; a run that never started installed nothing.
  uint32_t exitCode = run::kExitFailed;
  // The copy runs with the switches this start was given.
  ShellRunAndWait(owner, "open", run::State().InstallerPath, "temp" + run::State().CarriedSwitches,
                  "", 1, &exitCode);
  heldCopy.reset();
  RemoveFinishedCopy(copyBase);
  RemoveFinishedCopy(copyProgram);
  run::Ui().UnloadTempForm();
  return exitCode;
}

}  // namespace app
