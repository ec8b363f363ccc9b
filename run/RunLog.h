#pragma once
// Who is at the screen, and the run's log for the administrator who is not. Every floor above
// this one tells the user through Tell and notes its steps through Log.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace run {

enum class Presence : uint8_t {
  Windows,  // a person answers the windows and boxes
  Passive,  // the progress window only; nobody answers
  Quiet,    // no window at all
};

bool Unattended();  // /passive or /quiet: every wait for a person has a fixed answer

// Opens the log named by the state for the rest of the process, creating it when it is
// missing. Null when it is open or the run keeps none; else why it cannot be written: empty when
// it cannot be opened, a reason (": ...") when a run with administrator rights refuses it: a
// link, a file of more names, one that is elsewhere than asked, or (with `ownerChecked`) an
// existing file of an owner other than Administrators or SYSTEM.
const char* OpenRunLog(bool ownerChecked = true);

// One line: a time stamp, then the format with its arguments put in. Nothing when the run keeps
// no log. One routine writes every line, so that no caller builds a text of its own for the log.
void LogLine(const char* format, ...);

// The conversion LogLine prints for an argument of type T: 's' a text (line breaks become blanks),
// 'd' a signed and 'u' an unsigned number of at most an int's width; 0 for anything else.
template <class T>
consteval char LogConversion() {
  if constexpr (std::is_same_v<T, const char*> || std::is_same_v<T, char*>)
    return 's';
  else if constexpr (std::is_integral_v<T> && sizeof(T) <= sizeof(int))
    return std::is_signed_v<T> ? 'd' : 'u';
  else
    return 0;
}

// Not constexpr: reached while a format is checked, it stops the build at the faulty call.
void LogFormatDoesNotMatchItsArguments();

// A format checked at compile time against the arguments that come with it: exactly %s, %d, %u
// and %%, one conversion per argument, each of its argument's kind. A printf-style check would
// let through %x, %lu or a lone % that LogLine does not print.
template <class... Args>
class LogFormat {
 public:
  consteval LogFormat(const char* text) : text_(text) {
    constexpr char kinds[] = {LogConversion<Args>()..., '\0'};
    size_t argument = 0;
    for (const char* at = text; *at; ++at) {
      if (*at != '%') continue;
      const char kind = *++at;
      if (kind == '%') continue;
      if (argument == sizeof...(Args) || kind == '\0' || kind != kinds[argument])
        LogFormatDoesNotMatchItsArguments();
      ++argument;
    }
    if (argument != sizeof...(Args)) LogFormatDoesNotMatchItsArguments();
  }
  const char* Text() const { return text_; }

 private:
  const char* text_;
};

template <class... Args>
void Log(LogFormat<std::type_identity_t<Args>...> format, Args... arguments) {
  LogLine(format.Text(), arguments...);
}

// A message box where a person is at the screen. Unattended, the text goes to the log and the
// fixed answer comes back: No to a question, OK to everything else.
int Tell(uintptr_t owner, const std::string& text, const char* title, uint32_t style);

}  // namespace run
