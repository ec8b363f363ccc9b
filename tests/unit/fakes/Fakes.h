#pragma once
// Recording fakes of the seam for the native tests, and a fixture that installs them over a real
// temporary folder (PosixFiles).
#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Registry.h"
#include "os/Resources.h"
#include "os/Shell.h"
#include "os/Unicode.h"
#include "os/Version.h"
#include "os/posix/PosixFiles.h"
#include "run/InstallerState.h"
#include "run/Windows.h"

namespace fakes {

// Thrown by FakeProcesses::EndProcess, so a test can watch the process end.
struct ProcessEnded {
  int code;
};

struct ShownMessage {
  std::string text;
  std::string title;
  uint32_t style;
};

class FakeShell final : public os::Shell {
 public:
  std::vector<ShownMessage> messages;
  std::deque<int> answers;  // answers to give, in order; then kIdOk (or kIdYes for Yes/No)
  std::function<void(const ShownMessage&)> onMessage;
  std::vector<uint32_t> sleeps;
  std::map<int, std::string> specialFolders;
  os::LocalTime now{2026, 12, 7, 14, 30, 5};
  std::string dateText = "12/07/2026";
  std::string timeText = "8:53:52";

  int ShowMessage(uintptr_t, const std::string& text, const std::string& title,
                  uint32_t style) override;
  std::optional<std::string> SpecialFolder(int id) override;
  void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
  os::LocalTime Now() override { return now; }
  std::string ShortDateText() override { return dateText; }
  std::string LongTimeText() override { return timeText; }
};

// The UTF-16 side of a Western system (code page 1252, taken as Latin-1 here): other letters
// become "?", except the look-alikes the platform substitutes. No answers until a test sets them.
class FakeUnicode final : public os::Unicode {
 public:
  std::optional<std::u16string> programPath, tempPath;
  std::map<int, std::u16string> specialFolders;
  std::map<std::u16string, std::u16string> shortPaths;  // a path missing here does not exist
  std::vector<std::u16string> messages;
  // An East Asian code page instead (as 932 or 936): a byte from 0x81 up leads a character of
  // two bytes; a lead byte without its second byte becomes "?".
  bool doubleByte = false;

  std::optional<std::u16string> ProgramFilePath() override { return programPath; }
  std::optional<std::u16string> TempPath() override { return tempPath; }
  std::optional<std::u16string> SpecialFolder(int id) override;
  std::optional<std::u16string> ShortPath(const std::u16string& path) override;
  std::string ToAnsi(const std::u16string& text) override;
  std::u16string FromAnsi(const std::string& text) override;
  int ShowMessage(uintptr_t, const std::u16string& text, const std::u16string&, uint32_t) override {
    messages.push_back(text);
    return os::kIdOk;
  }
};

class FakeProcesses final : public os::Processes {
 public:
  std::string arguments;
  std::string programPath = "C:\\Users\\me\\Downloads\\Installer.exe";
  std::vector<os::ShellRequest> started;
  std::vector<uintptr_t> waited;
  std::map<uintptr_t, uint32_t> exitCodes;  // of the processes waited for; 0 when not given
  // Decides the answer to each start; by default a started process with handle 100 + n.
  std::function<os::ShellAnswer(const os::ShellRequest&)> onExecute;

  std::string CommandLineArguments() override { return arguments; }
  std::string ProgramFilePath() override { return programPath; }
  os::ShellAnswer Execute(const os::ShellRequest& request) override;
  uint32_t WaitAndClose(uintptr_t process) override {
    waited.push_back(process);
    return exitCodes.count(process) ? exitCodes[process] : 0;
  }
  std::vector<std::string> locks;  // made or taken here: the mutex's and the lock file's names
  bool lockHeldElsewhere = false;  // another run's mutex, owned by Administrators
  os::MutexAnswer mutex;
  os::AdministratorsLock lockFile = os::AdministratorsLock::Taken;
  os::MutexAnswer CreateMachineMutex(const char* name) override {
    if (lockHeldElsewhere) return {183, true};
    if (mutex.error == 0) locks.push_back(name);
    return mutex;
  }
  os::AdministratorsLock TakeAdministratorsLock(const char* name) override {
    if (lockFile == os::AdministratorsLock::Taken) locks.push_back(name);
    return lockFile;
  }
  std::vector<uint32_t> deviceWaits;
  std::optional<uint32_t> deviceWaitAnswer = 0;
  std::optional<uint32_t> WaitForDeviceInstallations(uint32_t milliseconds) override {
    deviceWaits.push_back(milliseconds);
    return deviceWaitAnswer;
  }
  [[noreturn]] void EndProcess(int code) override { throw ProcessEnded{code}; }
};

class FakeResources final : public os::Resources {
 public:
  static std::string TypeName(const char* type) {
    const auto number = reinterpret_cast<uintptr_t>(type);
    return number < 0x10000 ? "#" + std::to_string(number) : type;
  }
  std::map<std::pair<std::string, int>, std::string> resources;
  std::optional<std::string_view> Find(const char* type, int id) override;

  struct Written {
    std::string file;
    std::string type;  // a numbered type as "#24"
    int name;
    uint16_t language;
    std::string bytes;
  };
  std::vector<Written> written;
  bool writeSucceeds = true;
  bool WriteResource(const std::string& file, const char* type, int name, uint16_t language,
                     std::string_view bytes) override {
    written.push_back({file, TypeName(type), name, language, std::string(bytes)});
    return writeSucceeds;
  }
};

// The machine's registry, one map of "key|value name" to type and bytes.
class FakeRegistry final : public os::Registry {
 public:
  struct Stored {
    uint32_t type;
    std::string bytes;
  };
  std::map<std::string, Stored> values;
  std::set<std::string> looseKeys;  // keys another account may change
  std::optional<bool> KeyKeptByAdministratorsAlone(const std::string& key) override {
    return looseKeys.count(key) ? std::optional(false) : std::nullopt;
  }
  bool SetValue(const std::string& key, const char* name, uint32_t type,
                std::string_view bytes) override {
    // A text is stored with its closing NUL, as RegSetValueExA is given it.
    values[key + "|" + name] = {type, std::string(bytes) + std::string(type == os::kRegText, '\0')};
    return true;
  }
  std::optional<std::string> Value(const std::string& key, const char* name,
                                   bool* missing = nullptr) override {
    const auto found = values.find(key + "|" + name);
    if (missing) *missing = found == values.end();
    if (found == values.end()) return std::nullopt;
    return found->second.bytes;
  }
  bool DeleteKey(const std::string& key) override {
    std::erase_if(values, [&](const auto& stored) { return stored.first.starts_with(key + "|"); });
    return true;
  }
  // The value names of one key.
  std::vector<std::string> Names(const std::string& key) const {
    std::vector<std::string> names;
    for (const auto& [path, value] : values)
      if (path.starts_with(key + "|")) names.push_back(path.substr(key.size() + 1));
    return names;
  }
};

class FakeVersion final : public os::Version {
 public:
  bool querySucceeds = true;
  os::VersionRecord record;
  std::optional<bool> wow64 = false;
  std::optional<bool> admin = true;
  uint16_t nativeMachine = os::kMachineUnknown;  // as before Windows 10 1709
  int queries = 0;
  int wow64Queries = 0;
  int adminQueries = 0;

  void Set(uint32_t platformId, uint32_t major, uint32_t minor, const std::string& servicePack);
  bool Query(os::VersionRecord& out) override;
  std::optional<bool> IsWow64Process() override {
    ++wow64Queries;
    return wow64;
  }
  uint16_t NativeMachine() override { return nativeMachine; }
  std::optional<bool> IsUserAnAdmin() override {
    ++adminQueries;
    return admin;
  }
};

class FakeProgressWindow final : public run::ProgressWindow {
 public:
  int progress = 1;
  std::vector<int> progressHistory;
  std::string statusText = "Please wait while the necessary files are extracted.";
  bool timerStopped = false;
  bool visible = true;
  void SetProgress(int value) override;
  int Progress() const override { return progress; }
  void SetStatusText(const std::string& text) override { statusText = text; }
  void StopTimer() override { timerStopped = true; }
  void SetVisible(bool value) override { visible = value; }
  bool IsVisible() const override { return visible; }
  uintptr_t Handle() const override { return 0x1234; }
};

class FakeFinishWindow final : public run::FinishWindow {
 public:
  bool loaded = false;
  bool held = false;
  bool shown = false;
  bool unloaded = false;
  std::string label;
  std::string caption;
  void SetOutcome(const std::string& text, const std::string& title) override {
    loaded = true;
    label = text;
    caption = title;
  }
  void ShowAndFocus() override { shown = true; }
  bool IsVisibleAndEnabled() const override { return shown; }
  void Unload() override { unloaded = true; }
  void HoldCountdown(bool hold) override { held = hold; }
  uintptr_t Handle() const override { return 0x5678; }
};

class FakeWindows final : public run::Windows {
 public:
  FakeProgressWindow wait;
  FakeFinishWindow finish;
  bool waitLoaded = true;
  bool waitCannotBeCreated = false;
  run::ProgressWindow& Wait() override {
    waitLoaded = !waitCannotBeCreated;
    return wait;
  }
  run::FinishWindow& Finish() override { return finish; }
  bool IsWaitLoaded() const override { return waitLoaded; }
  bool IsFinishLoaded() const override { return finish.loaded; }
  bool tempLoaded = false;
  uintptr_t LoadTempForm() override {
    tempLoaded = true;
    return 0x9abc;
  }
  void UnloadTempForm() override { tempLoaded = false; }
};

// A version resource as the resource compiler lays out its string table: each key and value in
// UTF-16, the value on the next 32-bit boundary.
std::string VersionResource(const std::vector<std::pair<std::string, std::string>>& strings);

// The configuration shipped with the program, byte for byte.
std::string ShippedConfiguration();

// The host's files, with the log's facts as a test chooses them: another owner, more names, a
// final path elsewhere, which a test cannot make on the host.
class LogFactsFiles final : public os::posix::PosixFiles {
 public:
  using PosixFiles::PosixFiles;
  std::function<void(os::LogFacts&)> alterLogFacts;
  std::unique_ptr<os::WritableFile> OpenLog(const std::string& path, bool administrators,
                                            os::LogFacts& facts) override {
    auto log = PosixFiles::OpenLog(path, administrators, facts);
    if (alterLogFacts) alterLogFacts(facts);
    return log;
  }
};

// Installs the fakes over a fresh temporary folder and resets InstallerState; undoes both after.
class PlatformTest : public ::testing::Test {
 protected:
  PlatformTest();
  ~PlatformTest() override;

  // Host path of a Windows path, to check the real files.
  std::filesystem::path Host(const std::string& windowsPath) const {
    return files.HostPath(windowsPath);
  }
  void WriteFile(const std::string& windowsPath, const std::string& bytes);
  std::string ReadFile(const std::string& windowsPath);

  std::filesystem::path root;
  LogFactsFiles files;
  FakeShell shell;
  FakeProcesses processes;
  FakeResources resources;
  FakeVersion version;
  FakeUnicode unicode;
  FakeRegistry registry;
  FakeWindows windows;
  os::Platform platform;

 private:
  os::Platform previous_;
  run::Windows* previousUi_ = nullptr;
};

}  // namespace fakes
