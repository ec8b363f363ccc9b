#pragma once
// What a vendor's configuration and driver tree are checked for before they are packaged: every
// fault that would otherwise only show on a user's machine.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace package {

struct Finding {
  bool error = true;  // false: a warning, which does not stop the packaging
  std::string where;  // "config.txt:12", "config.txt" or a folder of the driver tree
  std::string text;
};

// A release as the deployment descriptions (winget's manifests, Intune's files, the MSI) name it:
// the version resource's texts, as the vendor gave them (UTF-8).
struct Release {
  std::string version;    // ProductVersion
  std::string product;    // ProductName
  std::string publisher;  // CompanyName
  bool msi = false;       // an MSI is made as well
};

// What those descriptions call the release: winget's identifier, and the Apps & Features entry as
// the installer will write it.
struct ReleaseNames {
  std::string identifier;      // Publisher.Product, blanks left out
  std::string entryKey;        // the entry's key under ...\CurrentVersion\Uninstall
  std::string displayName;     // DisplayName as the entry holds it
  std::string entryPublisher;  // Publisher as the entry holds it
};
ReleaseNames NamesOf(const Release& release);

// The codes an install ends with, and what winget and Intune make of each.
struct ReturnCode {
  uint32_t code;
  std::string_view wingetResponse;  // empty: a success
  std::string_view intuneType;
};
extern const ReturnCode kInstallReturnCodes[7];

// configName is how the findings name the configuration (the path the vendor gave). With a
// release, also what would make its deployment descriptions wrong.
std::vector<Finding> CheckPackage(const std::string& configBytes, const std::string& configName,
                                  const std::filesystem::path& driverTree,
                                  const std::optional<Release>& release = std::nullopt);

// One line: "where: error: text" or "where: warning: text".
std::string FormatFinding(const Finding& finding);

}  // namespace package
