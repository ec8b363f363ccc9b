#pragma once
// What a vendor's configuration and driver tree are checked for before they are packaged: every
// fault that would otherwise only show on a user's machine.
#include <filesystem>
#include <string>
#include <vector>

namespace package {

struct Finding {
  bool error = true;  // false: a warning, which does not stop the packaging
  std::string where;  // "config.txt:12", "config.txt" or a folder of the driver tree
  std::string text;
};

// configName is how the findings name the configuration (the path the vendor gave).
std::vector<Finding> CheckPackage(const std::string& configBytes, const std::string& configName,
                                  const std::filesystem::path& driverTree);

// One line: "where: error: text" or "where: warning: text".
std::string FormatFinding(const Finding& finding);

}  // namespace package
