// checkpackage DRIVER_TREE CONFIG: one line per finding; exit 1 when any is an error.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/package/PackageCheck.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: checkpackage DRIVER_TREE CONFIG\n");
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: error: cannot be read\n", argv[2]);
    return 1;
  }
  std::stringstream bytes;
  bytes << in.rdbuf();
  int errors = 0;
  for (const package::Finding& finding : package::CheckPackage(bytes.str(), argv[2], argv[1])) {
    std::fprintf(stderr, "%s\n", package::FormatFinding(finding).c_str());
    errors += finding.error;
  }
  return errors ? 1 : 0;
}
