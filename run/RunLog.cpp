#include "run/RunLog.h"

#include "run/InstallerState.h"
#include "run/WorkFolders.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Shell.h"

namespace run {
namespace {

void AppendNumber(std::string& line, unsigned number, unsigned digits) {
  char text[10];
  unsigned at = sizeof text;
  do {
    text[--at] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0 || sizeof text - at < digits);
  line.append(text + at, sizeof text - at);
}

}  // namespace

bool Unattended() {
  return State().presence != Presence::Windows;
}

bool OpenRunLog() {
  const std::string& path = State().LogPath;
  if (path.empty()) return true;
  // An earlier run's log is kept: appended to, never replaced.
  os::Files& files = *os::Os().files;
  return FileExists(path) ? files.Append(path, "") : files.WriteAll(path, "");
}

void Log(std::initializer_list<LogPart> parts) {
  const std::string& path = State().LogPath;
  if (path.empty()) return;
  const os::LocalTime now = os::Os().shell->Now();
  std::string line;
  const struct {
    int value;
    char after;
  } stamp[] = {{now.year, '-'}, {now.month, '-'},  {now.day, ' '},
               {now.hour, ':'}, {now.minute, ':'}, {now.second, ' '}};
  for (const auto& field : stamp) {
    AppendNumber(line, static_cast<unsigned>(field.value), 2);
    line += field.after;
  }
  for (const LogPart& part : parts) {
    if (part.negative) line += '-';
    if (part.isNumber) AppendNumber(line, part.number, 1);
    for (const char c : part.text) line += c == '\r' || c == '\n' ? ' ' : c;
  }
  line += "\r\n";
  os::Os().files->Append(path, line);
}

int Tell(uintptr_t owner, const std::string& text, const char* title, uint32_t style) {
  if (!Unattended()) return os::Os().shell->ShowMessage(owner, text, title, style);
  Log({title, ": ", text});
  if (style != os::kMbYesNo) return os::kIdOk;
  // The one question: without administrator rights an install nobody watches would fail part way.
  Log({title, ": answered No: nobody is at the screen to install without administrator rights"});
  return os::kIdNo;
}

}  // namespace run
