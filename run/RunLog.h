#pragma once
// Who is at the screen, and the run's log for the administrator who is not. Every floor above
// this one tells the user through Tell and notes its steps through Log.
#include <cstdint>
#include <initializer_list>
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

// One piece of a log line: a text, or a number written in decimal. The pieces are joined where
// the line is written, so that no caller builds a text of its own for the log.
struct LogPart {
  LogPart(const char* piece) : text(piece) {}
  LogPart(std::string_view piece) : text(piece) {}
  LogPart(const std::string& piece) : text(piece) {}
  LogPart(unsigned value) : number(value), isNumber(true) {}
  LogPart(int value)
      : number(value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value)),
        isNumber(true),
        negative(value < 0) {}
  std::string_view text;
  unsigned number = 0;
  bool isNumber = false;
  bool negative = false;
};

// One line: a time stamp, then the pieces (line breaks in them become blanks). Nothing when the
// run keeps no log.
void Log(std::initializer_list<LogPart> parts);

// A message box where a person is at the screen. Unattended, the text goes to the log and the
// fixed answer comes back: No to a question, OK to everything else.
int Tell(uintptr_t owner, const std::string& text, const char* title, uint32_t style);

}  // namespace run
