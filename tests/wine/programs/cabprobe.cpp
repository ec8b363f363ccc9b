// Runs the cabinet object and its helpers on real Windows paths for the Wine tests.
//   cabprobe extract CAB FOLDER [FILTER [NAME]]  Extract; prints "true", or the message the
//                                              failure path showed and "ended <code>"
//   cabprobe walk CAB                          the bare iterator over a counting pass: prints
//                                              "<result> <last error>"
//   cabprobe mkdirs PATH                       CreateFolderPath; prints "<result> <path after>"
//   cabprobe make OUT NAME...                  an uncompressed cabinet with these stored names,
//                                              each holding "data of <name>"
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cab/CabFile.h"
#include "cab/Callback.h"
#include "os/Cabinets.h"
#include "os/Processes.h"
#include "os/Shell.h"
#include "os/win32/Backends.h"
#include "run/InstallerState.h"
#include "run/Windows.h"
#include "tests/tools/CabWriter.h"

namespace {

// Message boxes are printed rather than shown: nothing here waits for a user.
class PrintingShell final : public os::Shell {
 public:
  explicit PrintingShell(os::Shell& real) : real_(real) {}
  int ShowMessage(uintptr_t, const std::string& text, const std::string& title,
                  uint32_t style) override {
    std::printf("message %s|%s|%u\n", text.c_str(), title.c_str(), style);
    std::fflush(stdout);
    return os::kIdOk;
  }
  std::optional<std::string> SpecialFolder(int id) override { return real_.SpecialFolder(id); }
  void Sleep(uint32_t ms) override { real_.Sleep(ms); }
  os::LocalTime Now() override { return real_.Now(); }
  std::string ShortDateText() override { return real_.ShortDateText(); }
  std::string LongTimeText() override { return real_.LongTimeText(); }

 private:
  os::Shell& real_;
};

class PrintingProcesses final : public os::Processes {
 public:
  explicit PrintingProcesses(os::Processes& real) : real_(real) {}
  std::string CommandLineArguments() override { return real_.CommandLineArguments(); }
  std::string ProgramFilePath() override { return real_.ProgramFilePath(); }
  os::ShellAnswer Execute(const os::ShellRequest& request) override {
    return real_.Execute(request);
  }
  uint32_t WaitAndClose(uintptr_t process) override { return real_.WaitAndClose(process); }
  void EndProcess(int code) override {
    std::printf("ended %d\n", code);
    std::fflush(stdout);
    real_.EndProcess(code);
  }

 private:
  os::Processes& real_;
};

class NoWindows final : public run::Windows {
  class Bar final : public run::ProgressWindow {
   public:
    void SetProgress(int) override {}
    int Progress() const override { return 0; }
    void SetStatusText(const std::string&) override {}
    void StopTimer() override {}
    void SetVisible(bool) override {}
    bool IsVisible() const override { return false; }
    uintptr_t Handle() const override { return 0; }
  } bar_;

 public:
  run::ProgressWindow& Wait() override { return bar_; }
  run::FinishWindow& Finish() override { std::abort(); }
  bool IsWaitLoaded() const override { return false; }
  bool IsFinishLoaded() const override { return false; }
  uintptr_t LoadTempForm() override { return 0; }
  void UnloadTempForm() override {}
};

uint32_t Counting(uintptr_t, uint32_t notification, uintptr_t, uintptr_t) {
  return notification == os::kNotifyFileInCabinet ? os::kFileOpSkip : 0;
}

}  // namespace

int main(int argc, char** argv) {
  os::Platform platform = os::win32::Win32Platform();
  PrintingShell shell(*platform.shell);
  PrintingProcesses processes(*platform.processes);
  platform.shell = &shell;
  platform.processes = &processes;
  os::SetOs(platform);
  NoWindows windows;
  run::SetUi(&windows);
  if (argc < 3) return 2;
  const std::string command = argv[1];

  if (command == "extract" && argc >= 4) {
    // The final clean-up of the failure path removes the work folder: give it one of its own.
    run::State().TempFolder = std::string(argv[3]) + "\\";
    run::State().InstallFolder = std::string(argv[3]) + "\\probe_InstallationFolder";
    auto object = cab::CabFile::Create();
    object->CabName = argv[2];
    object->AfterExtract = [](const std::string& target) -> cab::MaybeCabError {
      std::printf("after %s\n", target.c_str());
      return std::nullopt;
    };
    const bool done = object->Extract(argc > 4 ? argv[4] : "", argv[3], argc > 5 ? argv[5] : "");
    std::printf("%s\n", done ? "true" : "false");
    return 0;
  }
  if (command == "walk") {
    uint32_t lastError = 0;
    const bool walked = platform.cabinets->Iterate(argv[2], 0, Counting, lastError);
    std::printf("%d %u\n", walked ? 1 : 0, walked ? 0u : lastError);
    return 0;
  }
  if (command == "mkdirs") {
    std::string path = argv[2];
    const bool made = cab::CreateFolderPath(path);
    std::printf("%d %s\n", made ? 1 : 0, path.c_str());
    return 0;
  }
  if (command == "make" && argc >= 4) {
    std::vector<cabtest::StoredFile> files;
    for (int i = 3; i < argc; ++i) files.push_back({argv[i], std::string("data of ") + argv[i]});
    std::ofstream(argv[2], std::ios::binary) << cabtest::MakeCabinet(files);
    return 0;
  }
  return 2;
}
