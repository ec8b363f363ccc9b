#include "run/RunLog.h"

#include <cstdarg>
#include <memory>
#include <utility>

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Shell.h"
#include "os/Version.h"
#include "run/InstallerState.h"
#include "run/WorkFolders.h"

namespace run {

bool Unattended() {
  return State().presence != Presence::Windows;
}

namespace {

// Kept from the open to the end of the process, when Windows closes it: a name looked up once
// cannot be swapped for another file between two lines.
os::WritableFile* keptLog = nullptr;

// With administrator rights the run writes where the administrator named, through whatever a
// user may have put at that name or on the way first: a link, a second name of another
// program's file, a file of the user's own, a folder that leads elsewhere.
bool Refused(const os::LogFacts& facts, bool ownerChecked) {
  return facts.link || facts.names > 1 || facts.elsewhere ||
         (ownerChecked && !facts.created && !facts.adminOwned);
}

}  // namespace

const char* OpenRunLog(bool ownerChecked) {
  const std::string& path = State().LogPath;
  delete std::exchange(keptLog, nullptr);
  if (path.empty()) return nullptr;
  const bool elevated = os::Os().version->IsUserAnAdmin().value_or(false);
  os::LogFacts facts;
  auto log = os::Os().files->OpenLog(path, elevated, facts);
  if (!log) return "";
  if (elevated && Refused(facts, ownerChecked)) return ": a user could have prepared it";
  keptLog = log.release();
  return nullptr;
}

void LogLine(const char* format, ...) {
  if (!keptLog || State().LogPath.empty()) return;
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
  keptLog->Write(line);
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
