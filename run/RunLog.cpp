#include "run/RunLog.h"

#include <cstdarg>

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Shell.h"
#include "run/InstallerState.h"
#include "run/WorkFolders.h"

namespace run {

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

void LogLine(const char* format, ...) {
  const std::string& path = State().LogPath;
  if (path.empty()) return;
  const os::LocalTime now = os::Os().shell->Now();
  std::string line;
  const int stamp[] = {now.year, now.month, now.day, now.hour, now.minute, now.second};
  for (int field = 0; field < 6; ++field) {
    AppendDecimal(line, static_cast<unsigned>(stamp[field]), 2);
    line += "-- :: "[field];  // 2026-12-07 14:30:05
  }
  va_list arguments;
  va_start(arguments, format);
  for (const char* at = format; *at; ++at) {
    const char kind = *at == '%' ? *++at : '\0';
    if (kind == 's') {
      for (const char* text = va_arg(arguments, const char*); *text; ++text)
        line += *text == '\r' || *text == '\n' ? ' ' : *text;
    } else if (kind == 'd') {
      line += DecimalText(va_arg(arguments, int));
    } else if (kind == 'u') {
      AppendDecimal(line, va_arg(arguments, unsigned));
    } else if (kind == '\0' && *at == '\0') {
      break;  // a lone % at the end; the compile-time check lets none through
    } else {
      line += *at;  // a plain character, or the second % of %%
    }
  }
  va_end(arguments);
  line += "\r\n";
  os::Os().files->Append(path, line);
}

int Tell(uintptr_t owner, const std::string& text, const char* title, uint32_t style) {
  if (!Unattended()) return os::Os().shell->ShowMessage(owner, text, title, style);
  Log("%s: %s", title, text.c_str());
  if (style != os::kMbYesNo) return os::kIdOk;
  // The one question: without administrator rights an install nobody watches would fail part way.
  Log("%s: answered No: nobody is at the screen to install without administrator rights", title);
  return os::kIdNo;
}

}  // namespace run
