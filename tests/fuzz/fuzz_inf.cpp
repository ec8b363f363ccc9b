// The INF reader over any INF text, for each processor and a few Windows versions: the package
// installer and the package check both read vendors' INF files with it.
#include <cstdint>
#include <string>

#include "tools/dpinst/Inf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const dpinst::Architecture kArchitectures[] = {
      dpinst::Architecture::kX86, dpinst::Architecture::kAmd64, dpinst::Architecture::kArm64};
  static const dpinst::WindowsVersion kVersions[] = {
      {5, 0, 1}, {5, 2, 3}, {6, 1, 1}, {10, 0, 1, 0, 26100}};
  const dpinst::System system{kArchitectures[data[0] % 3], kVersions[(data[0] / 3) % 4]};
  const std::string text =
      dpinst::InfText(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  const dpinst::InfPackage package = dpinst::ParseInf(text, system);
  dpinst::MatchingIds(package.hardwareIds, package.hardwareIds);
  return 0;
}
