// checkpackage DRIVER_TREE CONFIG [--release VERSION PRODUCT PUBLISHER [--msi]]: one line per
// finding on standard error; exit 1 when any is an error. With a release and no error, standard
// output gives what scripts/package writes into the deployment descriptions, one "name value" a
// line.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tools/package/PackageCheck.h"

int main(int argc, char** argv) {
  const bool withRelease = argc >= 7 && std::strcmp(argv[3], "--release") == 0;
  const bool msi = argc == 8 && withRelease && std::strcmp(argv[7], "--msi") == 0;
  if (argc != 3 && !(withRelease && (argc == 7 || msi))) {
    std::fprintf(stderr,
                 "usage: checkpackage DRIVER_TREE CONFIG [--release VERSION PRODUCT PUBLISHER "
                 "[--msi]]\n");
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: error: cannot be read\n", argv[2]);
    return 1;
  }
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::optional<package::Release> release;
  if (withRelease) release = package::Release{argv[4], argv[5], argv[6], msi};
  int errors = 0;
  for (const package::Finding& finding :
       package::CheckPackage(bytes.str(), argv[2], argv[1], release)) {
    std::fprintf(stderr, "%s\n", package::FormatFinding(finding).c_str());
    errors += finding.error;
  }
  if (errors) return 1;
  if (release) {
    const package::ReleaseNames names = package::NamesOf(*release);
    std::printf("identifier %s\nentry-key %s\ndisplay-name %s\nentry-publisher %s\n",
                names.identifier.c_str(), names.entryKey.c_str(), names.displayName.c_str(),
                names.entryPublisher.c_str());
    for (const package::ReturnCode& row : package::kInstallReturnCodes)
      std::printf("return-code %u %s %s\n", row.code,
                  row.wingetResponse.empty() ? "-" : std::string(row.wingetResponse).c_str(),
                  std::string(row.intuneType).c_str());
  }
  return 0;
}
