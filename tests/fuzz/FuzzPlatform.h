#pragma once
// A small in-memory platform for the fuzz targets: files in a map, a shell that answers OK and
// converts UTF-16 as a single-byte code page would, windows that only remember what they were
// told. The test fakes live with GoogleTest, which the fuzzers do without.
#include <map>
#include <string>

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Resources.h"
#include "os/Shell.h"
#include "os/Unicode.h"
#include "run/Windows.h"

namespace fuzz {

struct ProcessEnded {};

class MemoryFiles final : public os::Files {
 public:
  std::map<std::string, std::string> files;  // by upper-cased path

  uint32_t TempPath(char* buffer, uint32_t size) override;
  std::string TempFileName(const std::string&, const std::string&,
                           std::initializer_list<const char*>) override {
    return {};
  }
  std::optional<uint32_t> Attributes(const std::string& path) override;
  bool SetAttributes(const std::string&, uint32_t) override { return true; }
  std::vector<os::FolderEntry> List(const std::string&) override { return {}; }
  uint32_t CreateFolder(const std::string&) override { return 0; }
  std::unique_ptr<os::HeldFolder> CreateProtectedFolder(const std::string&,
                                                        uint32_t& error) override {
    error = 5;  // ERROR_ACCESS_DENIED: the fuzzed runs never get that far
    return {};
  }
  bool RemoveFolder(const std::string&) override { return true; }
  bool RemoveFile(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to) override;
  bool Move(const std::string&, const std::string&) override { return false; }
  std::optional<uint64_t> Length(const std::string& path) override;
  std::optional<std::string> ReadAll(const std::string& path) override;
  std::optional<std::string> ReadPiece(const std::string& path, uint64_t offset,
                                       uint32_t size) override {
    auto bytes = ReadAll(path);
    if (bytes) *bytes = offset < bytes->size() ? bytes->substr(offset, size) : std::string();
    return bytes;
  }
  bool WriteAll(const std::string& path, std::string_view bytes) override;
  bool Append(const std::string& path, std::string_view bytes) override;
  bool Truncate(const std::string& path, uint64_t length) override;
  std::unique_ptr<os::WritableFile> CreateExclusive(const std::string&) override { return {}; }
  std::unique_ptr<os::HeldFile> HoldUnchanged(const std::string&) override { return {}; }
  std::unique_ptr<os::WritableFile> OpenLog(const std::string& path, bool,
                                            os::LogFacts& facts) override;
  bool OpenFileExists(const std::string& path) override { return Attributes(path).has_value(); }
};

class QuietShell final : public os::Shell {
 public:
  int messages = 0;
  int ShowMessage(uintptr_t, const std::string&, const std::string&, uint32_t) override;
  std::optional<std::string> SpecialFolder(int) override { return "C:\\Windows"; }
  void Sleep(uint32_t) override {}
  os::LocalTime Now() override { return {2026, 12, 8, 9, 30, 0}; }
  std::string ShortDateText() override { return "08/12/2026"; }
  std::string LongTimeText() override { return "09:30:00"; }
};

// The UTF-16 side: no folder answers, Latin-1 as the ANSI code page.
class QuietUnicode final : public os::Unicode {
 public:
  std::optional<std::u16string> ProgramFilePath() override { return std::nullopt; }
  std::optional<std::u16string> TempPath() override { return std::nullopt; }
  std::optional<std::u16string> SpecialFolder(int) override { return std::nullopt; }
  std::optional<std::u16string> ShortPath(const std::u16string&) override { return std::nullopt; }
  std::string ToAnsi(const std::u16string& text) override;
  std::u16string FromAnsi(const std::string& text) override;
  int ShowMessage(uintptr_t, const std::u16string&, const std::u16string&, uint32_t) override {
    return os::kIdOk;
  }
};

class EndingProcesses final : public os::Processes {
 public:
  std::string CommandLineArguments() override { return {}; }
  std::string ProgramFilePath() override { return "C:\\Temp\\Ins1A2B.tmp.exe"; }
  os::ShellAnswer Execute(const os::ShellRequest&) override { return {}; }
  uint32_t WaitAndClose(uintptr_t) override { return 0; }
  [[noreturn]] void EndProcess(int) override { throw ProcessEnded{}; }
};

// The program's own resources: the configuration text the run holds.
class HeldResources final : public os::Resources {
 public:
  std::string configuration;
  std::optional<std::string_view> Find(const char* type, int id) override {
    if (std::string_view(type) == "CONFIG" && id == 7) return configuration;
    return std::nullopt;
  }
  bool WriteResource(const std::string&, const char*, int, uint16_t, std::string_view) override {
    return false;
  }
};

class RememberingWindows final : public run::Windows, run::ProgressWindow, run::FinishWindow {
 public:
  std::string label, caption;
  bool shown = false, finishLoaded = false;
  run::ProgressWindow& Wait() override { return *this; }
  run::FinishWindow& Finish() override { return *this; }
  bool IsWaitLoaded() const override { return true; }
  bool IsFinishLoaded() const override { return finishLoaded; }
  uintptr_t LoadTempForm() override { return 1; }
  void UnloadTempForm() override {}

  void SetProgress(int) override {}
  int Progress() const override { return 0; }
  void SetStatusText(const std::string&) override {}
  void StopTimer() override {}
  void SetVisible(bool) override {}
  bool IsVisible() const override { return false; }

  void SetOutcome(const std::string& text, const std::string& title) override;
  void ShowAndFocus() override { shown = true; }
  bool IsVisibleAndEnabled() const override { return shown; }
  void Unload() override {}
  void HoldCountdown(bool) override {}
  uintptr_t Handle() const override { return 2; }
};

// Installs a fresh set of the above and a fresh InstallerState for one input.
class Platform {
 public:
  Platform();
  ~Platform();
  MemoryFiles files;
  QuietShell shell;
  QuietUnicode unicode;
  EndingProcesses processes;
  HeldResources resources;
  RememberingWindows windows;

 private:
  os::Platform previous_;
};

}  // namespace fuzz
