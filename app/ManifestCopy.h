#pragma once
// The packaging command that writes a copy of the program carrying its side-by-side manifest.
#include <string>

#include "os/Shell.h"

namespace app {

void RunManifestCopy();
// Puts the bytes of source + ".manifest" into target as resource 24/1, language neutral, keeping
// target's other resources. False when the manifest could not be read or written.
bool EmbedManifest(const std::string& source, const std::string& target);
// ExeFolder\ExeName_MMDDHHMM.exe, from the local clock.
std::string ManifestCopyPath(const std::string& exeFolder, const std::string& exeName,
                             const os::LocalTime& now);

}  // namespace app
