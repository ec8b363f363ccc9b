#include "os/AnsiPath.h"

#include <algorithm>

namespace os {
namespace {

// The ANSI text that gives exactly `wide` again. "?" for a missing letter and look-alikes ("L" for
// an L with stroke) both fail the way back.
std::optional<std::string> RoundTrip(Unicode& unicode, const std::u16string& wide) {
  std::string ansi = unicode.ToAnsi(wide);
  if (unicode.FromAnsi(ansi) != wide) return std::nullopt;
  return ansi;
}

}  // namespace

std::optional<std::string> UsableAnsiPath(Unicode& unicode, const std::string& ansi,
                                          const std::u16string& wide) {
  if (unicode.FromAnsi(ansi) == wide) return ansi;
  // Only the names that need it get their short name: "Ins1A2B.tmp" and "Vista 64bit" stay as
  // they are, so work folder names and the folder the driver installer logs still match.
  std::string usable;
  for (size_t start = 0;;) {
    const size_t end = std::min(wide.find(u'\\', start), wide.size());
    auto name = RoundTrip(unicode, wide.substr(start, end - start));
    if (!name) {
      const auto shortPath = unicode.ShortPath(wide.substr(0, end));
      if (!shortPath) return std::nullopt;
      name = RoundTrip(unicode, shortPath->substr(shortPath->find_last_of(u'\\') + 1));
      if (!name) return std::nullopt;
    }
    usable += *name;
    if (end == wide.size()) return usable;
    usable += '\\';
    start = end + 1;
  }
}

}  // namespace os
