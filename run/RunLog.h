#pragma once
// Who is at the screen, and the run's log for the administrator who is not. Every floor above
// this one tells the user through Tell and notes its steps through Log.
#include <cstdint>
#include <string>
#include <string_view>

namespace run {

enum class Presence : uint8_t {
  Windows,  // a person answers the windows and boxes
  Passive,  // the progress window only; nobody answers
  Quiet,    // no window at all
};

bool Unattended();  // /passive or /quiet: every wait for a person has a fixed answer

// Creates the log named by the state when it is missing. False when it cannot be written; true
// when the run keeps no log.
bool OpenRunLog();

// One line: a time stamp, then the format with its arguments put in: %s a text (line breaks
// become blanks), %d and %u a number. Nothing when the run keeps no log. One routine writes every
// line, so that no caller builds a text of its own for the log.
[[gnu::format(printf, 1, 2)]] void Log(const char* format, ...);

// A message box where a person is at the screen. Unattended, the text goes to the log and the
// fixed answer comes back: No to a question, OK to everything else.
int Tell(uintptr_t owner, const std::string& text, const char* title, uint32_t style);

}  // namespace run
