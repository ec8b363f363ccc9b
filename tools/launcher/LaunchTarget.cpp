#include "tools/launcher/LaunchTarget.h"

namespace launcher {

std::string InstallerFor(std::string_view ownPath, bool ownWidthIs64) {
  const auto slash = ownPath.find_last_of("\\/");
  std::string name(slash == std::string_view::npos ? ownPath : ownPath.substr(slash + 1));
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (name == "RUNDPINSTX86.EXE" || name == "RUNDPINSTX86") return "DPInstX86.exe";
  if (name == "RUNDPINSTX64.EXE" || name == "RUNDPINSTX64") return "DPInstX64.exe";
  return ownWidthIs64 ? "DPInstX64.exe" : "DPInstX86.exe";
}

}  // namespace launcher
