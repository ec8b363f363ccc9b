#include "tools/dpinst/Options.h"

#include <cctype>

namespace dpinst {
namespace {

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' ||
         c == ':';
}

}  // namespace

Options ParseOptions(std::string_view xml) {
  Options options;
  int depth = 0;
  bool rootSeen = false;
  size_t at = 0;
  while ((at = xml.find('<', at)) != std::string_view::npos) {
    const std::string_view rest = xml.substr(at);
    if (rest.starts_with("<!--")) {
      const size_t end = xml.find("-->", at + 4);
      if (end == std::string_view::npos) return {};
      at = end + 3;
      continue;
    }
    if (rest.starts_with("<?") || rest.starts_with("<!")) {
      const size_t end = xml.find('>', at);
      if (end == std::string_view::npos) return {};
      at = end + 1;
      continue;
    }
    const size_t end = xml.find('>', at);
    if (end == std::string_view::npos) return {};
    const std::string_view tag = xml.substr(at + 1, end - at - 1);
    at = end + 1;
    if (tag.starts_with("/")) {
      if (--depth < 0) return {};
      continue;
    }
    size_t nameEnd = 0;
    while (nameEnd < tag.size() && IsNameChar(tag[nameEnd])) ++nameEnd;
    const std::string_view name = tag.substr(0, nameEnd);
    const bool selfClosing = tag.ends_with("/");
    if (depth == 0) {
      // A second root or a root of another name: not an options file.
      if (rootSeen || name != "dpInst") return {};
      rootSeen = true;
      options.found = true;
    } else if (depth == 1) {
      if (name == "suppressWizard") options.suppressWizard = true;
      if (name == "quietInstall") options.quietInstall = true;
      if (name == "quietInstallStrict") options.quietInstallStrict = true;
      if (name == "legacyMode") options.legacyMode = true;
      if (name == "scanHardware") options.scanHardware = true;
      if (name == "forceIfDriverIsNotBetter") options.forceIfDriverIsNotBetter = true;
    }
    if (!selfClosing) ++depth;
  }
  if (depth != 0) return {};
  return options;
}

}  // namespace dpinst
