#include "app/ProcessLaunch.h"

#include "run/Windows.h"
#include "run/RunLog.h"
#include "os/Platform.h"
#include "os/Processes.h"

namespace app {

uint32_t ShellRunAndWait(uintptr_t owner, const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory, int show,
                         uint32_t* exitCode) {
  os::Processes& processes = *os::Os().processes;
  const os::ShellAnswer answer =
      processes.Execute({owner, verb, file, parameters, directory, show, run::Unattended()});
  const auto result = answer.succeeded ? static_cast<uint32_t>(answer.instApp) : answer.lastError;
  if (answer.process != 0) {
    if (show != 0 && run::Ui().IsWaitLoaded() && run::Ui().Wait().IsVisible())
      run::Ui().Wait().SetVisible(false);
    const uint32_t code = processes.WaitAndClose(answer.process);
    if (exitCode) *exitCode = code;
  }
  return result;
}

}  // namespace app
