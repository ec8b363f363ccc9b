// The check of a cabinet's stored names against a resolver written apart from it, the way the
// Windows file functions resolve a relative path: "\" and "/" separate, trailing dots and blanks
// of a component go, "." stays, ".." climbs. A name the check lets through never climbs out of
// the target folder, never names the folder itself and never carries a drive or stream colon.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cab/CabFile.h"

namespace {

// Depth below the target after resolving; -1 once the path climbed above it.
int ResolvedDepth(const std::string& name) {
  int depth = 0;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    std::string component = name.substr(start, end - start);
    while (!component.empty() && (component.back() == '.' || component.back() == ' '))
      component.pop_back();
    const std::string original = name.substr(start, end - start);
    if (original == ".." ||
        (component.empty() && original.size() >= 2 && original[0] == '.' && original[1] == '.')) {
      if (--depth < 0) return -1;
    } else if (!component.empty()) {
      ++depth;
    }
    start = end + 1;
  }
  return depth;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  if (!cab::StaysInsideTarget(name) || name.empty()) return 0;
  if (name.find(':') != std::string::npos) std::abort();
  if (name[0] == '\\' || name[0] == '/') std::abort();
  if (ResolvedDepth(name) < 1) std::abort();
  return 0;
}
