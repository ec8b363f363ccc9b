#include "platform/InstallLog.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Shell.h"
#include "os/Unicode.h"
#include "run/AnsiPaths.h"
#include "run/ExitCodes.h"
#include "run/RunLog.h"
#include "run/Windows.h"
#include "run/WorkFolders.h"
#include "tools/dpinst/RunReport.h"

namespace platform {
namespace {

constexpr char kReboot[] = "Please reboot your PC to complete the installation.";
// After a message of the configuration, the request stands two blank lines below it.
constexpr char kBlankLines[] = "\r\n\r\n";
constexpr char kFolderWords[] = "CURRENT WORKING DIRECTORY";
constexpr char kCodeWords[] = "RETURNING WITH CODE";
// "INFO:   Current working directory: '" and "INFO:   Returning with code 0x".
constexpr size_t kFolderLinePrefix = 36;
constexpr size_t kCodeLinePrefix = 30;

std::string SavedLogPath(const std::string& windowsFolder) {
  os::Shell& shell = *os::Os().shell;
  return windowsFolder + "\\" + SavedLogName(shell.ShortDateText(), shell.LongTimeText());
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void ReplaceAll(std::string& text, std::string_view what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

// The log is split at CR LF, and also at a lone CR or LF, so that a log edited or converted
// elsewhere still gives lines without a stray CR at the end.
template <typename Visit>
void ForEachLine(const std::string& text, Visit visit) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      visit(text.substr(start));
      return;
    }
    if (!visit(text.substr(start, end - start))) return;
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

bool FolderLineMatches(const std::string& line, const std::string& driverFolder) {
  const std::string logged =
      line.size() > kFolderLinePrefix + 1
          ? line.substr(kFolderLinePrefix, line.size() - kFolderLinePrefix - 1)
          : std::string();
  const std::string folder = run::UpperCase(logged);
  const std::string wanted = run::UpperCase(driverFolder);
  return folder + "\\" == wanted || folder == wanted + "\\" || folder == wanted;
}

}  // namespace

std::string FindSystemFolder(int folderId) {
  const auto answer = os::Os().shell->SpecialFolder(folderId);
  if (!answer) return {};
  const std::string path = answer->substr(0, answer->find('\0'));
  return Trim(run::UsableAnsiPath(path, run::WideSpecialFolder(folderId)).value_or(path));
}

std::string InstallLogPath(const std::string& windowsFolder) {
  return windowsFolder + "\\DPINST.LOG";
}

double HexToNumber(std::string_view text) {
  if (text.size() >= 2 && text[0] == '&' && (text[1] == 'h' || text[1] == 'H'))
    text.remove_prefix(2);
  if (text.size() > 23) return 0;
  double number = 0;
  for (const char c : text) {
    int digit = 0;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    number = number * 16 + digit;
  }
  return number;
}

std::string SavedLogName(const std::string& dateText, const std::string& timeText) {
  std::string name = "DPINST." + dateText.substr(0, 2) + timeText.substr(0, 1);
  // Regional texts may hold characters no file name may ("7/12/2026", "8:53"); such a name
  // could never be created, and the log would stay in the installer's way.
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) c = '_';
  }
  return name;
}

namespace {

bool IsWideLog(std::string_view start) {
  return start.size() >= 2 && static_cast<unsigned char>(start[0]) == 0xFF &&
         static_cast<unsigned char>(start[1]) == 0xFE;
}

// A log's UTF-16LE is the memory of a char16_t text on every processor Windows runs on, so the
// bytes are copied as they are.
static_assert(std::endian::native == std::endian::little);

// UTF-16LE bytes (no byte-order mark) as ANSI text. An odd last byte is half a character that
// was never finished: dropped.
std::string NarrowText(std::string_view bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), units.size() * 2);
  return os::Os().unicode->ToAnsi(units);
}

std::string WideText(const std::string& ansi) {
  const std::u16string units = os::Os().unicode->FromAnsi(ansi);
  return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

// Another program (a virus scanner, an editor) may hold the log for a moment. Tried again only
// while nothing of the bytes has reached the file, or a retry would write part of them twice.
bool AppendWithRetry(const std::string& target, uint64_t length, const std::string& bytes) {
  os::Files& files = *os::Os().files;
  for (int attempt = 0;; ++attempt) {
    if (files.Append(target, bytes)) return true;
    if (attempt == 4 || files.Length(target) != length) return false;
    os::Os().shell->Sleep(200);
  }
}

// Receives a log's text piece by piece; answers false to stop the reading.
class LogTextSink {
 public:
  virtual bool Take(const std::string& text) = 0;
};

bool IsLineBreak(const std::string& bytes, size_t at, bool wide) {
  return (bytes[at] == '\r' || bytes[at] == '\n') && (!wide || bytes[at + 1] == '\0');
}

// Hands the log at `source` on to `sink` piece by piece, in the encoding of a file that starts
// with `targetStart` (UTF-16LE behind its byte-order mark, or single-byte; an empty file takes
// the source's bytes as they are, mark and all). The memory it takes does not grow with the log.
// Each piece ends after a line break, carrying the rest into the next one: a conversion piece by
// piece could otherwise cut a double-byte character or a surrogate pair in two, and CR and LF
// are never part of one. Only a line longer than a whole piece is cut. False when a read failed
// or the sink stopped.
bool ReadLogPieces(const std::string& source, std::string_view targetStart, LogTextSink& sink) {
  os::Files& files = *os::Os().files;
  constexpr uint32_t kPiece = 65536;  // even: a UTF-16 piece starts on a whole unit
  const auto start = files.ReadPiece(source, 0, 2);
  if (!start) return false;
  const bool fromWide = IsWideLog(*start);
  const bool toWide = targetStart.empty() ? fromWide : IsWideLog(targetStart);
  const size_t unit = fromWide ? 2 : 1;
  std::string carried;
  for (uint64_t at = fromWide && !targetStart.empty() ? 2 : 0;;) {
    const auto piece = files.ReadPiece(source, at, kPiece);
    if (!piece) return false;
    at += piece->size();
    std::string text = carried + *piece;
    size_t end = text.size();
    if (!piece->empty()) {  // at the end of the log, the rest goes whole
      end -= end % unit;
      while (end != 0 && !IsLineBreak(text, end - unit, fromWide)) end -= unit;
      if (end == 0) end = text.size();
    }
    carried = text.substr(end);
    text.resize(end);
    if (fromWide && !toWide) text = NarrowText(text);
    if (!fromWide && toWide) text = WideText(text);
    if (!text.empty() && !sink.Take(text)) return false;
    if (piece->empty()) return true;
  }
}

// The search for the run's section: the first folder line that names the driver folder, then
// the first return-code line after it. Fed line by line, piece by piece, it stops at the code.
class ReturnCodeSearch final : public LogTextSink {
 public:
  explicit ReturnCodeSearch(const std::string& driverFolder) : driverFolder_(driverFolder) {}
  RunSection section;

  bool Take(const std::string& text) override {
    ForEachLine(text, [&](const std::string& line) {
      const std::string upper = run::UpperCase(line);
      if (!folderFound_) {
        if (upper.find(kFolderWords) != std::string::npos && FolderLineMatches(line, driverFolder_))
          folderFound_ = true;
        return true;
      }
      if (upper.find(kCodeWords) == std::string::npos) {
        Note(line);
        return true;
      }
      section.code = line.size() > kCodeLinePrefix ? line.substr(kCodeLinePrefix) : std::string();
      return false;
    });
    return !section.code;
  }

 private:
  void Note(const std::string& line) {
    for (const char* start : {dpinst::kRefused, dpinst::kDoesNotWork}) {
      const size_t at = line.find(start);
      if (at != std::string::npos && section.failure.empty()) section.failure = line.substr(at);
    }
    if (line.find(dpinst::kKeepsBetterDriver) != std::string::npos) section.keptBetterDriver = true;
  }

  const std::string& driverFolder_;
  bool folderFound_ = false;
};

class TargetAppender final : public LogTextSink {
 public:
  TargetAppender(const std::string& target, uint64_t length) : target_(target), written_(length) {}
  bool Take(const std::string& text) override {
    if (!AppendWithRetry(target_, written_, text)) return false;
    written_ += text.size();
    return true;
  }

 private:
  const std::string& target_;
  uint64_t written_;
};

}  // namespace

std::string LogAsSingleByteText(const std::string& bytes) {
  // The driver folder it is matched against is an ANSI text; so must the log be.
  return IsWideLog(bytes) ? NarrowText(std::string_view(bytes).substr(2)) : bytes;
}

RunSection ReadRunSection(const std::string& driverFolder) {
  ReturnCodeSearch search(driverFolder);
  // Read as single-byte text ("-": a start without a byte-order mark), as the driver folder it
  // is matched against is an ANSI text. A log that is missing, or a folder under its name,
  // cannot be read and gives no code.
  ReadLogPieces(InstallLogPath(FindSystemFolder(os::kWindowsFolderId)), "-", search);
  return search.section;
}

LogOutcome DecideOutcome(const RunSection& run, run::InstallerState& state) {
  const std::string returnCode = run.code.value_or("");
  const size_t n = returnCode.size();
  if (n == 0 || n > 8) return {};
  // Groups of two digits from the right; the leftmost may have one, missing ones count 0.
  auto group = [&](size_t index) -> int {
    const size_t right = 2 * index;
    if (right >= n) return 0;
    const size_t end = n - right;
    const size_t begin = end >= 2 ? end - 2 : 0;
    return static_cast<int>(HexToNumber(std::string_view(returnCode).substr(begin, end - begin)));
  };
  const int installed = group(0);
  const int storeOnly = group(1);
  const int failed = group(2);
  const int flags = group(3);
  run::Log("driver installer returned: 0x%s: flags %d, failed %d, store only %d, installed %d",
           returnCode.c_str(), flags, failed, storeOnly, installed);
  // Also when the finish window shows nothing: the deployment tool learns what the driver
  // installer did, whatever texts the configuration carries.
  state.ExitCode = run::ExitCodeOfInstallerFlags(flags);

  ReplaceAll(state.MsgInstalledCorrectly, "%1", run::DecimalText(installed));
  ReplaceAll(state.MsgInstalledDrvStore, "%1", run::DecimalText(storeOnly));
  ReplaceAll(state.MsgInstallFailed, "%1", run::DecimalText(failed));
  const std::string& c = state.MsgInstalledCorrectly;
  // A package that stayed in the store because the adapter kept a better driver: the adapter is
  // there, and asking to plug it in would be wrong.
  const std::string& d = run.keptBetterDriver ? state.MsgKeptBetterDriver : state.MsgInstalledDrvStore;
  // Without texts of its own the configuration leaves the finish window out, except for a
  // failure; a code this program does not know leaves it out too.
  const bool noTexts = c.empty() && d.empty();
  const bool known = flags == 0 || flags == 64 || flags == 128 || flags == 192;
  if (!known) return {};
  // Our package installer's own words for a failure say more than any text of the configuration.
  if ((flags & 128) && !run.failure.empty()) return {true, run.failure, "Failed", ""};
  if (flags != 128 && noTexts) return {};

  switch (flags) {
    case 0:
      if (installed == 0) return {true, d, "Finished", ""};
      if (storeOnly == 0) return {true, c, "Finished", ""};
      return {true, c + "\n\n" + d, "Finished", ""};
    case 64:
      if (installed == 0) return {true, d + kBlankLines + kReboot, "Finished", ""};
      if (storeOnly == 0) return {true, c, "Finished", c + kBlankLines + kReboot};
      return {true, c, "Finished", c + "\n" + d + kBlankLines + kReboot};
    case 128:
      if (failed != 0) return {true, state.MsgInstallFailed, "Failed", ""};
      return {true, "Aborted", "Failed", ""};
    default:  // 192
      return {true, std::string("The drivers were partially installed.\n\n") + kReboot, "Finished",
              ""};
  }
}

void AnalyseInstallLog(const std::string& driverFolder) {
  const RunSection section = ReadRunSection(driverFolder);
  if (!section.code || section.code->empty() || section.code->size() > 8) return;

  const LogOutcome outcome = DecideOutcome(section, run::State());
  run::Log("outcome: %s %s", outcome.caption.c_str(), outcome.label.c_str());
  run::Ui().Wait().SetVisible(false);
  if (!outcome.show) return;
  run::FinishWindow& finish = run::Ui().Finish();
  finish.SetOutcome(outcome.label, outcome.caption);
  finish.ShowAndFocus();
  if (!outcome.message.empty()) {
    finish.HoldCountdown(true);
    run::Tell(finish.Handle(), outcome.message, run::kAppTitle, os::kMbOk);
    finish.HoldCountdown(false);
  }
}

// Appended in the target's encoding (one log in two encodings could be read by nobody), the
// source's byte-order mark dropped where the target has its own.
std::optional<uint64_t> AppendFileBytes(const std::string& source, const std::string& target) {
  os::Files& files = *os::Os().files;
  const auto length = files.Length(target);
  const auto targetStart = files.ReadPiece(target, 0, 2);
  if (!length || !targetStart) return std::nullopt;
  TargetAppender appender(target, *length);
  if (ReadLogPieces(source, *targetStart, appender)) return length;
  // A failed read or write changes nothing: the target is cut back to its former length.
  files.Truncate(target, *length);
  return std::nullopt;
}

// Nothing is deleted or overwritten before its content is secured by the step before. One
// departure keeps earlier logs safe: a saved log of the same name left by an earlier run that
// never merged back (the date or hour changed, or no finish window) is extended, not replaced.
void PreserveInstallLog(int mode) {
  os::Files& files = *os::Os().files;
  // The saved name comes from the clock's texts; the merge looks under the name the log was set
  // aside with, or a run that crosses the hour would leave the earlier log split off for good.
  std::string& setAsidePath = run::State().SetAsideLogPath;
  // One look at the Windows folder for both names: with two, a failing look for one of them
  // would set the log aside to (or merge it from) the root of the drive.
  const std::string windowsFolder = FindSystemFolder(os::kWindowsFolderId);
  if (windowsFolder.empty()) return;
  const std::string logPath = InstallLogPath(windowsFolder);
  const std::string savedPath =
      mode == 2 && !setAsidePath.empty() ? setAsidePath : SavedLogPath(windowsFolder);
  if (mode == 1) {
    if (!run::FileExists(logPath)) return;
    const bool secured = run::FileExists(savedPath)
                             ? AppendFileBytes(logPath, savedPath).has_value()
                             : files.Copy(logPath, savedPath);
    if (secured) {
      setAsidePath = savedPath;
      files.RemoveFile(logPath);
    }
  } else if (mode == 2) {
    // Where the driver installer wrote no log of its own (it never ran, or failed first), the
    // earlier log set aside by this run goes back to its place rather than staying under the
    // set-aside name.
    const bool fresh = run::FileExists(logPath);
    if (!run::FileExists(savedPath) || (!fresh && setAsidePath.empty())) return;
    if (fresh && !AppendFileBytes(logPath, savedPath)) return;
    if (!files.Copy(savedPath, logPath)) return;
    files.RemoveFile(savedPath);
    setAsidePath.clear();
  }
}

}  // namespace platform
