#pragma once
// The packaging command that writes a copy of the program carrying a side-by-side manifest.
#include <string>

namespace app {

void RunManifestCopy();
void EmbedManifest(const std::string& source, const std::string& target);

}  // namespace app
