// The whole installation run, natively: the relaunch, its copy's progress window and timer, both
// extraction workers, the cabinets, the configuration, the driver installer (a stand-in that
// writes its log), the log analysis, the finish window's countdown and wireless step, and the
// clean-up. The processes are simulated in this one (each with its own state and windows); the
// windows are fakes whose timers are stepped here.
//
// The run is counted once without failures, then run again for every N with platform call N
// failing. Whatever fails, the run must end in a bounded number of steps, never under an open
// message box, keep the earlier driver installer log, leave nothing in the temporary folder
// (unless the failing call was the one that removes it) and not end silently where the user
// must hear of a failure.
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

#include "app/ExtractionWorker.h"
#include "app/InstallationSequence.h"
#include "app/RunModes.h"
#include "cab/posix/MspackCabinets.h"
#include "run/CloseDown.h"
#include "run/WorkFolders.h"
#include "tests/tools/CabWriter.h"
#include "tests/unit/fakes/FakeServices.h"
#include "tests/unit/fakes/Fakes.h"
#include "tests/unit/fakes/FaultyPlatform.h"
#include "tools/dpinst/RunReport.h"
#include "ui/Countdown.h"
#include "ui/WaitTimer.h"
#include "ui/WirelessServiceStep.h"

namespace {

const std::string kProgram = "C:\\Users\\me\\Downloads\\Installer.exe";
const std::string kEarlierLog =
    "INFO:   Current working directory: 'C:\\Old\\'\r\n"
    "INFO:   Returning with code 0x1\r\n";
const std::string kRunLog = "C:\\Logs\\run.log";
const std::string kQuiet = "/quiet /log=" + kRunLog;
constexpr int kMaxSteps = 5000;  // timer events of one process before it counts as hung

// The windows of one simulated process; creating the progress window is a call that may fail.
class RunWindows final : public run::Windows {
 public:
  explicit RunWindows(fakes::CallCounter& counter) : counter_(counter) {}
  fakes::FakeProgressWindow wait;
  fakes::FakeFinishWindow finish;
  bool waitLoaded = false;
  ui::CountdownLabels countdown;
  bool countdownRunning = true;

  run::ProgressWindow& Wait() override {
    if (!waitLoaded) waitLoaded = !counter_.Fail("CreateWindow");
    return wait;
  }
  run::FinishWindow& Finish() override { return finish; }
  bool IsWaitLoaded() const override { return waitLoaded; }
  bool IsFinishLoaded() const override { return finish.loaded && !finish.unloaded; }
  uintptr_t LoadTempForm() override { return 0x9abc; }
  void UnloadTempForm() override {}

 private:
  fakes::CallCounter& counter_;
};

// What the progress window does on its timer, as the Win32 window does it.
class TickHost final : public ui::WaitTickHost {
 public:
  explicit TickHost(RunWindows& windows) : windows_(windows) {}
  void SetBarValue(int32_t value) override { windows_.wait.SetProgress(value); }
  int32_t BarValue() const override { return windows_.wait.Progress(); }
  void SetTimerInterval(uint32_t) override {}
  void ExtractPayloads(int16_t& counter) override { app::ExtractPayloads(counter); }
  bool ConfigTextExists() override {
    return run::FileExists(run::State().TempFolder + "config.txt");
  }
  void RunInstallation() override { app::RunInstallation(); }

 private:
  RunWindows& windows_;
};

struct Process {
  RunWindows windows;
  TickHost host{windows};
  ui::WaitTimer timer;
  explicit Process(fakes::CallCounter& counter) : windows(counter) {}
};

std::filesystem::path NewRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "whole-run-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

std::string Upper(std::string text) {
  return run::UpperCase(std::move(text));
}

// A leftover is the failing call's own doing when that call removes it, or lists or tests what
// the removal acts on: the path itself, what lies below it, or a folder above it.
bool LeftByTheFailedRemoval(const std::string& left, const fakes::CallCounter& counter) {
  static const std::set<std::string> kRemoval = {"RemoveFile", "RemoveFolder",  "List",
                                                 "Attributes", "SetAttributes", "DeleteTree"};
  if (!kRemoval.count(counter.failedCall)) return false;
  std::string failed = Upper(counter.failedPath);
  if (failed.ends_with("\\*.*")) failed.resize(failed.size() - 4);
  if (failed.ends_with("\\")) failed.pop_back();
  const std::string path = Upper(left);
  return path.rfind(failed, 0) == 0 || failed.rfind(path + "\\", 0) == 0;
}

// The program's folder names come from the temporary path and the program's own file name,
// which every process of the run asks for anew. One process that alone fails to get them puts
// its files elsewhere than the others, and the clean-up, which looks where its own process
// put them, cannot see them. A failure there is a failure of the machine, not of one step.
bool NamesTheWorkFolder(const fakes::CallCounter& counter) {
  return counter.failedCall == "TempPath" || counter.failedCall == "ProgramFilePath";
}

// Failures after which the run may end without a finish window and without a message box: the
// relaunch that cannot make or start its copy ends quietly; the results of program starts are
// not examined; without its window the run has nowhere to speak from; an edition seen without
// its 64-bit half, or a log that cannot be found or read, leaves no outcome to show. Every other
// failure the user hears of.
bool MayEndSilently(const fakes::CallCounter& counter) {
  const std::string& call = counter.failedCall;
  const std::string path = Upper(counter.failedPath);
  const bool relaunchCopy = path.ends_with(".TMP") || path.ends_with(".TMP.EXE") ||
                            path.ends_with(".TMP.RUN") || path == Upper(kProgram);
  const bool log = path.ends_with("\\DPINST.LOG");
  return call == "ProgramFilePath" || call == "TempFileName" ||
         ((call == "CopyToNew" || call == "HoldUnchanged" || call == "CreateProtectedFolder") &&
          relaunchCopy) ||
         call == "IsRunningProgram" || call == "Execute" || call == "CreateWindow" ||
         call == "IsWow64Process" || call == "SpecialFolder" ||
         ((call == "Attributes" || call == "ReadPiece") && log);
}

class WholeRun {
 public:
  explicit WholeRun(int failAt, std::string arguments = "")
      : arguments_(std::move(arguments)),
        root_(NewRoot()),
        files_(root_),
        cabinets_(files_),
        faulty_(Inner(), counter) {
    counter.failAt = failAt;
    files_.CreateFolder("C:\\Users");
    files_.CreateFolder("C:\\Users\\me");
    files_.CreateFolder("C:\\Users\\me\\Downloads");
    files_.WriteAll(kProgram, "MZ program");
    files_.CreateFolder("C:\\Windows");
    files_.CreateFolder("C:\\Logs");
    files_.WriteAll("C:\\Windows\\DPINST.LOG", kEarlierLog);
    files_.CreateFolder("C:\\Outside");
    files_.CreateFolder("C:\\Outside\\inner");
    files_.WriteAll("C:\\Outside\\keep.txt", "keep");
    shell_.specialFolders[36] = "C:\\Windows";
    shell_.specialFolders[0x26] = "C:\\Program Files";
    files_.CreateFolder("C:\\Program Files");
    resources_.resources[{"#16", 1}] = fakes::VersionResource(
        {{"CompanyName", "Norvane"}, {"ProductName", "Norvane A/B"}, {"ProductVersion", "2.1"}});
    version_.Set(2, 6, 0, "Service Pack 2");
    version_.wow64 = true;
    services_.Add("WLansvc", 1, 3);
    std::string config = fakes::ShippedConfiguration();
    config.replace(config.find("CheckSvc:No"), 11, "CheckSvc:Yes");
    resources_.resources[{"CONFIG", 7}] = config;
    resources_.resources[{"CAB", 1}] = cabtest::MakeCabinet(
        {{"Vista 64bit\\norvusb.inf", "[Version]\r\n"}, {"Vista 64bit\\norvusb.sys", "sys"}});
    resources_.resources[{"CAB", 386}] = cabtest::MakeCabinet({{"DPInstX64Vista.exe", "MZ dpinst"},
                                                               {"prjRunWait.exe", "MZ launcher"},
                                                               {"DPInst.xml", "<dpinst/>"}});
    processes_.onExecute = [this](const os::ShellRequest& request) { return Start(request); };
    shell_.onMessage = [this](const fakes::ShownMessage&) { PumpUnderBox(); };
  }
  ~WholeRun() {
    std::error_code error;
    std::filesystem::remove_all(root_, error);
  }

  // The user's plain start of the program, to its end.
  void Run() { Run(kProgram, arguments_); }
  // Another start, of any program file, to its end; the processes it leaves to run after it
  // (the kept copy's removal) then run.
  void Run(const std::string& program, const std::string& arguments) {
    os::ScopedPlatform platform(faulty_.platform());
    RunProcess(program, arguments);
    for (const auto& [file, parameters] : std::exchange(afterwards_, {})) {
      const int code = exitCode;
      RunProcess(file, parameters);
      exitCode = code;
    }
  }
  // The run's own log, where the command line asked for one.
  std::string RunLog() { return files_.ReadAll(kRunLog).value_or(""); }

  // Paths left in the temporary folder, as Windows paths.
  std::vector<std::string> LeftInTemp() const {
    std::vector<std::string> left;
    const auto temp = files_.HostPath("C:\\Temp");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(temp))
      left.push_back("C:\\Temp\\" + std::filesystem::relative(entry.path(), temp).string());
    for (auto& path : left) std::replace(path.begin(), path.end(), '/', '\\');
    return left;
  }
  // Every file of the Windows folder that holds the log's earlier content.
  bool EarlierLogKept() {
    for (const auto& entry : std::filesystem::directory_iterator(files_.HostPath("C:\\Windows"))) {
      const auto bytes = files_.ReadAll("C:\\Windows\\" + entry.path().filename().string());
      if (Upper(entry.path().filename().string()).rfind("DPINST.", 0) == 0 && bytes &&
          bytes->find(kEarlierLog) != std::string::npos)
        return true;
    }
    return false;
  }
  // No log of the Windows folder holds a part of a record: each ends where a line ends.
  bool LogsEndWithWholeLines() {
    for (const auto& entry : std::filesystem::directory_iterator(files_.HostPath("C:\\Windows"))) {
      const auto bytes = files_.ReadAll("C:\\Windows\\" + entry.path().filename().string());
      if (Upper(entry.path().filename().string()).rfind("DPINST.", 0) == 0 && bytes &&
          !bytes->ends_with("\r\n") && !bytes->ends_with(std::string("\r\0\n\0", 4)))
        return false;
    }
    return true;
  }
  const std::vector<fakes::ShownMessage>& Messages() const { return shell_.messages; }
  // Whether every start asked the shell to show no error box of its own.
  bool StartsWithoutShellBoxes() const {
    for (const auto& request : processes_.started)
      if (!request.noUi) return false;
    return true;
  }
  // The command lines of the processes the run started.
  std::vector<std::string> started() const {
    std::vector<std::string> parameters;
    for (const auto& request : processes_.started) parameters.push_back(request.parameters);
    return parameters;
  }

  fakes::CallCounter counter;
  std::string startedOther;
  bool plantedFolder = false;  // the hostile step put a folder of its own at the work folder's name
                               // // a program the run started that was not the genuine one
  std::string hung;            // where a process could go on no further, if one did
  bool endedUnderBox = false;  // a process ended while one of its message boxes was open
  bool finishShown = false;
  bool removalFails = false;  // the driver installer's /u cannot remove the package
  bool driverInstallerRan = false;
  int exitCode = -1;  // of the process that ended last: after Run, the program's own
  fakes::FakeVersion& version() { return version_; }
  fakes::FakeRegistry& registry() { return registry_; }
  const fakes::FakeResources& resources() const { return resources_; }

  // One step of another program of the same user, not elevated, that knows the run's names: it
  // may do whatever the user may in the temporary and Downloads folders, but nothing to what the
  // run holds (a sharing violation) or inside a folder only administrators may write.
  enum class Hostile {
    SwapProgram,
    LinkAtWorkFolder,
    LinkInWorkFolder,
    LinkAtCopy,
    LinkAtConfig,
    FolderAtWorkFolder,
    kCount
  };
  void Plant(Hostile step) {
    namespace fs = std::filesystem;
    const std::string temp = "C:\\Temp\\";
    const std::string work = temp + "Ins1A2B.tmp_InstallationFolder";
    const auto free = [&](const std::string& path) {
      std::error_code error;
      return !fs::exists(fs::symlink_status(files_.HostPath(path), error));
    };
    const auto link = [&](const std::string& path) {
      std::error_code error;
      if (free(path))
        fs::create_directory_symlink(files_.HostPath("C:\\Outside"), files_.HostPath(path), error);
    };
    const auto writable = [&](const std::string& folder) {
      std::error_code error;
      const auto status = fs::status(files_.HostPath(folder), error);
      return !error && fs::is_directory(status) &&
             (status.permissions() & fs::perms::others_read) != fs::perms::none;
    };
    switch (step) {
      case Hostile::SwapProgram:
        if (!files_.Held(kProgram) && files_.Move(kProgram, "C:\\Users\\me\\Downloads\\away.exe"))
          files_.WriteAll(kProgram, "MZ someone else's program");
        break;
      case Hostile::LinkAtWorkFolder:
        link(work);
        break;
      case Hostile::LinkInWorkFolder:
        if (writable(work)) link(work + "\\planted");
        break;
      case Hostile::LinkAtCopy:
        for (const os::FolderEntry& entry : files_.List(temp + "*.*"))
          if (Upper(entry.name).ends_with(".TMP")) {
            link(temp + entry.name + ".run");
            link(temp + entry.name + ".exe");
          }
        break;
      case Hostile::LinkAtConfig: {
        std::error_code error;
        if (free(temp + "config.txt"))
          fs::create_symlink(files_.HostPath("C:\\Outside\\keep.txt"),
                             files_.HostPath(temp + "config.txt"), error);
        break;
      }
      case Hostile::FolderAtWorkFolder:
        if (free(work)) {
          plantedFolder = true;
          files_.CreateFolder(work);
          files_.WriteAll(work + "\\theirs.txt", "theirs");
        }
        break;
      case Hostile::kCount:
        break;
    }
  }
  // What lies outside the run's reach, as path and bytes: the links' target and the swapped-in
  // program.
  std::map<std::string, std::string> Outside() {
    namespace fs = std::filesystem;
    const fs::path outside = files_.HostPath("C:\\Outside");
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(outside)) {
      std::string bytes = "<folder>";
      if (entry.is_regular_file())
        bytes = files_.ReadAll("C:\\Outside\\" + entry.path().filename().string()).value_or("?");
      found[fs::relative(entry.path(), outside).string()] = bytes;
    }
    return found;
  }
  std::optional<std::string> Read(const std::string& path) { return files_.ReadAll(path); }
  void WriteFile(const std::string& path, const std::string& bytes) {
    files_.CreateFolder(run::ExeFolderOf(path));
    files_.WriteAll(path, bytes);
  }

 private:
  os::Platform Inner() {
    return {&files_,    &resources_, &processes_, &shell_,   &version_,
            &cabinets_, &services_,  &unicode_,   &registry_};
  }

  // One process of the program: its own state and windows, its command line and file.
  void RunProcess(const std::string& program, const std::string& arguments) {
    const run::InstallerState parentState = run::State();
    const std::string parentArguments = processes_.arguments,
                      parentProgram = processes_.programPath;
    Process* const parent = current_;
    const int parentBoxes = openBoxes_;
    Process process(counter);
    run::Windows* const parentUi = run::SetUi(&process.windows);
    run::State() = run::InstallerState();
    processes_.arguments = arguments;
    processes_.programPath = program;
    files_.RunsFrom(program);
    current_ = &process;
    openBoxes_ = 0;
    try {
      if (app::Main()) DriveEvents(process);
    } catch (const fakes::ProcessEnded& ended) {
      if (openBoxes_ > 0) endedUnderBox = true;
      exitCode = ended.code;
    }
    openBoxes_ = parentBoxes;
    current_ = parent;
    run::SetUi(parentUi);
    run::State() = parentState;
    processes_.arguments = parentArguments;
    processes_.programPath = parentProgram;
    if (!parentProgram.empty()) files_.RunsFrom(parentProgram);
  }

  // The message loop: the progress window's timer, then the finish window's countdown.
  void DriveEvents(Process& process) {
    for (int step = 0; step < kMaxSteps; ++step) {
      if (!Tick(process)) {
        hung = "no window left to end the run (" + arguments() + ")";
        return;
      }
    }
    hung = "no end after " + std::to_string(kMaxSteps) + " timer events (" + arguments() + ")";
  }
  std::string arguments() const { return "\"" + processes_.arguments + "\""; }

  // One timer event of whichever timer runs; false when none does.
  bool Tick(Process& process) {
    RunWindows& windows = process.windows;
    if (windows.waitLoaded && !windows.wait.timerStopped) {
      process.timer.Tick(process.host);
      return true;
    }
    if (windows.finish.shown && windows.countdownRunning) {
      finishShown = true;
      if (ui::CountdownTick(windows.countdown, windows.finish.held) == ui::CountdownStep::End) {
        // EndFinishWindow: timer off, hidden, the wireless step, then the way out.
        windows.countdownRunning = false;
        windows.finish.shown = false;
        ui::RunWirelessServiceStep(windows.finish.Handle());
        run::CloseDown();
      }
      return true;
    }
    return false;
  }

  // A message box pumps messages: the timers of its process fire while it is open.
  void PumpUnderBox() {
    if (!current_) return;
    ++openBoxes_;
    for (int event = 0; event < 20; ++event) Tick(*current_);
    --openBoxes_;
  }

  // The programs the run starts: its own copy, the workers, the driver installer.
  os::ShellAnswer Start(const os::ShellRequest& request) {
    const os::ShellAnswer started{true, 42, 0, 100 + processes_.started.size()};
    const std::string file = Upper(request.file);
    if (request.parameters == "/RemoveKeptCopy") {
      afterwards_.emplace_back(request.file, request.parameters);
    } else if (request.parameters.rfind("/u ", 0) == 0) {
      // The removal passes the recorded name quoted: /u "oem7.inf".
      const std::string inf = "C:\\Windows\\INF\\" + request.parameters.substr(4, 8);
      processes_.exitCodes[started.process] =
          removalFails || !files_.RemoveFile(inf) ? 0x80010000 : 0x00000001;
    } else if (request.parameters.rfind("temp", 0) == 0 ||
               request.parameters.rfind("/ExTracT ", 0) == 0) {
      if (files_.ReadAll(request.file) != "MZ program") startedOther = request.file;
      RunProcess(request.file, request.parameters);
      processes_.exitCodes[started.process] = static_cast<uint32_t>(exitCode);
    } else if (file.ends_with("DPINSTX64.EXE") || file.ends_with("RUNDPINSTX64.EXE")) {
      driverInstallerRan = true;
      processes_.exitCodes[started.process] = 0x40000001;  // as its log says
      // The stand-in's own files are not the program's platform calls: written directly.
      const std::string folder = run::ExeFolderOf(request.file) + "\\";
      const std::string logPath = "C:\\Windows\\DPINST.LOG";
      const std::string text = dpinst::FolderLine(folder) +
                               dpinst::LogLine(dpinst::Level::kSuccess,
                                               std::string("'norvusb.inf") + dpinst::kPublishedAs +
                                                   "C:\\Windows\\INF\\oem7.inf'.") +
                               dpinst::ReturnCodeLine(0x40000001);
      const auto existing = files_.ReadAll(logPath);
      if (existing)
        files_.Append(logPath, dpinst::EncodeForLog(text, *existing));
      else
        files_.WriteAll(logPath, "\xFF\xFE" + dpinst::EncodeForLog(text, "\xFF\xFE"));
    }
    return started;
  }

  std::string arguments_;
  std::filesystem::path root_;
  os::posix::PosixFiles files_;
  fakes::FakeShell shell_;
  fakes::FakeProcesses processes_;
  fakes::FakeResources resources_;
  fakes::FakeVersion version_;
  cab::posix::MspackCabinets cabinets_;
  fakes::FakeServiceManager services_;
  fakes::FakeUnicode unicode_;
  fakes::FakeRegistry registry_;
  fakes::FaultyPlatform faulty_;
  Process* current_ = nullptr;
  int openBoxes_ = 0;
  std::vector<std::pair<std::string, std::string>> afterwards_;
};

TEST(WholeRun, WithoutFailuresReachesTheFinishWindowAndCleansUp) {
  WholeRun run(0);
  run.Run();
  EXPECT_EQ(run.hung, "");
  EXPECT_FALSE(run.endedUnderBox);
  EXPECT_TRUE(run.driverInstallerRan);
  EXPECT_TRUE(run.EarlierLogKept());
  EXPECT_EQ(run.LeftInTemp(), std::vector<std::string>());
  EXPECT_EQ(run.exitCode, 3010);
  std::vector<std::string> texts;
  for (const auto& message : run.Messages()) texts.push_back(message.text);
  ASSERT_FALSE(texts.empty());
  EXPECT_NE(texts[0].find("Please reboot"), std::string::npos);
  EXPECT_GT(run.counter.calls, 100);
  // Registered: the kept copy without the driver cabinet, and the entry that names it.
  const std::string kept = "C:\\Program Files\\Norvane A_B\\Uninstall.exe";
  EXPECT_EQ(run.Read(kept), "MZ program");
  ASSERT_FALSE(run.resources().written.empty());
  EXPECT_EQ(run.resources().written.back().file, kept);
  EXPECT_EQ(run.resources().written.back().bytes, std::string(1, '\0'));
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane A_B";
  const std::pair<const char*, std::string> values[] = {
      {"DisplayName", std::string("Norvane A/B\0", 12)},
      {"DisplayVersion", std::string("2.1\0", 4)},
      {"Publisher", std::string("Norvane\0", 8)},
      {"UninstallString", "\"" + kept + "\" /uninstall" + '\0'},
      {"QuietUninstallString", "\"" + kept + "\" /uninstall /quiet" + '\0'},
      {"InstallDate", std::string("20261207\0", 9)},
      {"NoRepair", std::string("\1\0\0\0", 4)},
      {"DriverPackages", std::string("oem7.inf\0\0", 10)},
  };
  for (const auto& [name, bytes] : values)
    EXPECT_EQ(run.registry().Value(key, name), bytes) << name;
  EXPECT_EQ(run.registry().Names(key).size(), 11u);
}

// Removal from the kept copy: the recorded package through the driver installer's /u, then the
// entry, then, once the kept copy runs no more, the copy and its folder; nothing stays in the
// temporary folder. A failed removal keeps both for the next try; nothing installed is 1605.
TEST(WholeRun, RemovalTakesWhatTheInstallLeftAndOnlyThat) {
  WholeRun run(0);
  run.Run();
  const std::string folder = "C:\\Program Files\\Norvane A_B";
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane A_B";
  run.WriteFile("C:\\Windows\\INF\\oem7.inf", "[Version]");
  run.removalFails = true;
  run.Run(folder + "\\Uninstall.exe", "/uninstall /quiet");
  EXPECT_EQ(run.exitCode, 1603);
  EXPECT_TRUE(run.registry().Value(key, "DisplayName"));
  EXPECT_TRUE(run.Read(folder + "\\Uninstall.exe"));
  run.removalFails = false;
  run.Run(folder + "\\Uninstall.exe", "/uninstall /quiet");
  EXPECT_EQ(run.hung, "");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.Read("C:\\Windows\\INF\\oem7.inf"));
  EXPECT_FALSE(run.registry().Value(key, "DisplayName"));
  EXPECT_FALSE(run.Read(folder + "\\Uninstall.exe"));
  EXPECT_FALSE(run.Read(folder + "\\"));
  EXPECT_EQ(run.LeftInTemp(), std::vector<std::string>());
  const size_t boxes = run.Messages().size();
  run.finishShown = false;
  run.Run(kProgram, "/uninstall");
  EXPECT_EQ(run.hung, "");
  EXPECT_EQ(run.exitCode, 1605);
  EXPECT_TRUE(run.finishShown);
  EXPECT_EQ(run.LeftInTemp(), std::vector<std::string>());
  EXPECT_EQ(run.Messages().size(), boxes);
}

// Every single failing call of a quiet removal from the kept copy: the run ends soundly, and its
// code tells the truth about the entry: 0 or 3010 only once it is gone, never 1605 while it is
// there (a deployment tool takes 1605 for "nothing left to remove").
TEST(WholeRun, EverySingleFailingCallOfARemovalTellsTheTruthAboutTheEntry) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane A_B";
  const auto removal = [](int failAt) {
    auto run = std::make_unique<WholeRun>(0);
    run->Run();
    run->counter = {};
    run->counter.failAt = failAt;
    run->Run("C:\\Program Files\\Norvane A_B\\Uninstall.exe", "/uninstall /quiet");
    return run;
  };
  const int calls = removal(0)->counter.calls;
  for (int n = 1; n <= calls; ++n) {
    const auto run = removal(n);
    const std::string what = "call " + std::to_string(n) + " (" + run->counter.failedCall + " " +
                             run->counter.failedPath + "): exit code " +
                             std::to_string(run->exitCode);
    EXPECT_EQ(run->hung, "") << what;
    EXPECT_FALSE(run->endedUnderBox) << what;
    const bool entry = run->registry().Value(key, "DisplayName").has_value();
    EXPECT_FALSE(entry && (run->exitCode == 0 || run->exitCode == 3010)) << what;
    EXPECT_NE(run->exitCode, 1605) << what;
    for (const std::string& left : run->LeftInTemp())
      EXPECT_TRUE(LeftByTheFailedRemoval(left, run->counter) || NamesTheWorkFolder(run->counter))
          << what << ": " << left;
  }
}

// Windows on ARM64 runs the 32-bit program as 64-bit Windows would; the run stops before its
// workers extract anything.
TEST(WholeRun, WindowsOnArmIsRefusedBeforeAnythingIsExtracted) {
  WholeRun run(0);
  run.version().nativeMachine = os::kMachineArm64;
  run.Run();
  EXPECT_EQ(run.exitCode, 1633);
  ASSERT_EQ(run.Messages().size(), 1u);
  EXPECT_EQ(run.Messages()[0].text, "This installer has no driver for Windows on ARM processors.");
  EXPECT_EQ(run.Messages()[0].title, run::kAppTitle);
  EXPECT_FALSE(run.driverInstallerRan);
  EXPECT_EQ(run.started(), std::vector<std::string>{"temp"});
  EXPECT_EQ(run.LeftInTemp(), std::vector<std::string>());
  EXPECT_TRUE(run.EarlierLogKept());
}

// Nobody at the screen: the same road to the same outcome, without a finish window or a box, and
// the log tells what the boxes would have said.
TEST(WholeRun, UnattendedRunsEndWithTheOutcomeAndLogIt) {
  for (const std::string& arguments : {kQuiet, "/passive /log=" + kRunLog}) {
    WholeRun run(0, arguments);
    run.Run();
    EXPECT_EQ(run.hung, "") << arguments;
    EXPECT_FALSE(run.finishShown) << arguments;
    EXPECT_TRUE(run.Messages().empty()) << arguments;
    EXPECT_TRUE(run.driverInstallerRan) << arguments;
    EXPECT_EQ(run.exitCode, 3010) << arguments;
    EXPECT_EQ(run.LeftInTemp(), std::vector<std::string>()) << arguments;
    EXPECT_TRUE(run.EarlierLogKept()) << arguments;
    ASSERT_FALSE(run.started().empty());
    EXPECT_EQ(run.started()[0], "temp " + arguments);
    EXPECT_TRUE(run.StartsWithoutShellBoxes()) << arguments;
    const std::string log = run.RunLog();
    for (const char* step :
         {"command line: ", "6.0.0 Service Pack 2, edition Vista64", "administrator: -1", "386.cab",
          "admission: admitted", "device installations: none",
          "driver installer returned: 0x40000001: flags 64, failed 0, store only 0, installed 1",
          "Please reboot your PC", "WLansvc: Started:", "clean-up: ", "exit code: 3010"})
      EXPECT_NE(log.find(step), std::string::npos) << arguments << ": no \"" << step << "\" in\n"
                                                   << log;
  }
}

TEST(WholeRun, EverySingleFailingCallLeavesTheRunSound) {
  for (const std::string& arguments : {std::string(), kQuiet}) {
    const auto start = std::chrono::steady_clock::now();
    int calls = 0;
    {
      WholeRun counting(0, arguments);
      counting.Run();
      calls = counting.counter.calls;
    }
    std::map<std::string, int> failedKinds;
    for (int n = 1; n <= calls; ++n) {
      WholeRun run(n, arguments);
      run.Run();
      const std::string what = "\"" + arguments + "\" call " + std::to_string(n) + " (" +
                               run.counter.failedCall + " " + run.counter.failedPath + ")";
      ++failedKinds[run.counter.failedCall];
      EXPECT_EQ(run.hung, "") << what;
      EXPECT_FALSE(run.endedUnderBox) << what;
      EXPECT_TRUE(run.EarlierLogKept()) << what;
      EXPECT_TRUE(run.LogsEndWithWholeLines()) << what;
      std::vector<std::string> unexplained;
      for (const std::string& left : run.LeftInTemp())
        if (!LeftByTheFailedRemoval(left, run.counter) && !NamesTheWorkFolder(run.counter))
          unexplained.push_back(left);
      EXPECT_EQ(unexplained, std::vector<std::string>()) << what;
      if (arguments.empty()) {
        if (!run.finishShown && run.Messages().empty()) {
          EXPECT_TRUE(MayEndSilently(run.counter)) << what << ": the run ended without a word";
        }
        continue;
      }
      // Unattended no box ever waits, and the log ends with the code the tool reads, unless
      // the failing call was a write of the log itself.
      EXPECT_TRUE(run.Messages().empty()) << what;
      const std::string log = run.RunLog();
      if (run.counter.failedPath != kRunLog && !log.empty()) {
        EXPECT_TRUE(log.ends_with("exit code: " + std::to_string(run.exitCode) + "\r\n"))
            << what << "\n"
            << log;
      }
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string kinds;
    for (const auto& [name, count] : failedKinds) kinds += " " + name + "=" + std::to_string(count);
    std::printf("whole run \"%s\": %d platform calls, %d runs with one failing, %.1f s;%s\n",
                arguments.c_str(), calls, calls, seconds, kinds.c_str());
  }
}

// The adversary: at every platform call of the run, one hostile step of another program of the
// same user (each call gets the next kind of step in turn). Whatever it does, nothing outside the
// run's own files is written or deleted through it, what it planted at the work folder's name
// stays, and no program but the genuine one is started.
TEST(WholeRun, AHostileProgramAtAnyCallReachesNothingThroughTheRun) {
  int calls = 0;
  {
    WholeRun counting(0);
    counting.Run();
    calls = counting.counter.calls;
  }
  constexpr int kinds = static_cast<int>(WholeRun::Hostile::kCount);
  std::map<std::string, std::string> outsideBefore;
  for (int n = 1; n <= calls * kinds; ++n) {
    WholeRun run(0);
    if (outsideBefore.empty()) outsideBefore = run.Outside();
    const auto step = static_cast<WholeRun::Hostile>(n % kinds);
    run.counter.beforeCall = (n - 1) / kinds + 1;
    run.counter.before = [&] { run.Plant(step); };
    run.Run();
    const std::string what = "step " + std::to_string(n % kinds) + " before call " +
                             std::to_string(run.counter.beforeCall);
    EXPECT_EQ(run.hung, "") << what;
    EXPECT_FALSE(run.endedUnderBox) << what;
    EXPECT_EQ(run.startedOther, "") << what;
    EXPECT_EQ(run.Outside(), outsideBefore) << what;
    EXPECT_TRUE(run.EarlierLogKept()) << what;
    if (step == WholeRun::Hostile::FolderAtWorkFolder) {
      if (run.plantedFolder) {
        EXPECT_EQ(run.Read("C:\\Temp\\Ins1A2B.tmp_InstallationFolder\\theirs.txt"), "theirs")
            << what;
      }
    }
    if (step == WholeRun::Hostile::SwapProgram) {
      EXPECT_EQ(run.Read(kProgram).value_or("MZ program") == "MZ program" ||
                    run.Read(kProgram) == "MZ someone else's program",
                true)
          << what;
    }
  }
}

}  // namespace
