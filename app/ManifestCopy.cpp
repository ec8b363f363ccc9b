#include "app/ManifestCopy.h"

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Resources.h"
#include "os/Shell.h"
#include "run/InstallerState.h"
#include "run/WorkFolders.h"

namespace app {

std::string ManifestCopyPath(const std::string& exeFolder, const std::string& exeName,
                             const os::LocalTime& now) {
  std::string path = exeFolder + "\\" + exeName + "_";
  for (const int part : {now.month, now.day, now.hour, now.minute}) {
    path += static_cast<char>('0' + part / 10 % 10);
    path += static_cast<char>('0' + part % 10);
  }
  path += ".exe";
  return path;
}

void RunManifestCopy() {
  os::Shell& shell = *os::Os().shell;
  const std::string programFile = run::ProgramFile();
  const bool manifestFound = run::FileExists(programFile + ".manifest");
  const bool programFound = run::FileExists(programFile);
  if (!manifestFound || !programFound) {
    shell.ShowMessage(0, "Manifest file not found.", run::kAppTitle, os::kMbOk);
    return;
  }
  const std::string copyPath = ManifestCopyPath(run::ExeFolder(), run::ExeName(), shell.Now());
  shell.Sleep(50);
  if (!os::Os().files->Copy(programFile, copyPath)) return;
  shell.Sleep(50);
  if (!EmbedManifest(programFile, copyPath)) {
    // A copy without the manifest is not what was asked for; never call it written.
    os::Os().files->RemoveFile(copyPath);
    return;
  }
  shell.Sleep(50);
  shell.ShowMessage(
      0, copyPath + ": A copy of the installer has been written, with the manifest file included.",
      run::kAppTitle, os::kMbOk);
}

bool EmbedManifest(const std::string& source, const std::string& target) {
  const auto manifest = os::Os().files->ReadAll(source + ".manifest");
  if (!manifest) return false;
  return os::Os().resources->WriteResource(target, os::NumberedType(24), 1, 0, *manifest);
}

}  // namespace app
