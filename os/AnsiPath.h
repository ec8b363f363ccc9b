#pragma once
// The ANSI form of a path the platform gave whole (UTF-16). Shared by the installer and the
// programs of its payload, which all work with the A functions.
#include <optional>
#include <string>

#include "os/Unicode.h"

namespace os {

// `ansi` (the A function's answer) where it names the same thing as `wide`: converted back, it
// gives exactly `wide`. Else `wide` with each name that does not convert both ways replaced by its
// short name, the other names kept as they are. Nullopt where a name has no short name that does
// (short names switched off on the volume, or the path does not exist).
std::optional<std::string> UsableAnsiPath(Unicode& unicode, const std::string& ansi,
                                          const std::u16string& wide);

}  // namespace os
