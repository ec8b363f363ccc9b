#pragma once
// What the package installer needs to know of a driver package's INF file.
#include <string>
#include <string_view>
#include <vector>

namespace dpinst {

enum class Architecture { kX86, kAmd64 };

struct WindowsVersion {
  unsigned major = 0, minor = 0;
};

struct InfPackage {
  bool hasVersionSection = false;
  std::string signature;                 // $Windows NT$, $Chicago$
  std::string className;                 // Class, e.g. Net
  std::string catalogFile;               // for this architecture; empty when none is named
  std::vector<std::string> hardwareIds;  // hardware and compatible ids of the chosen models
};

// An INF saved as UTF-16LE (byte-order mark FF FE) as single-byte text; others unchanged.
std::string InfAsSingleByteText(const std::string& bytes);

// The models section a [Manufacturer] entry names for this Windows, as Windows picks it: among
// the decorations of the entry ("NTx86", "NTamd64.6.0", "NT") the one for this architecture or
// for all NT, whose version is not above the running one, the highest version winning and the
// architecture's own before plain NT. Without a fitting decoration the undecorated section serves
// on 32-bit Windows only; on 64-bit Windows the entry gives no models (empty result).
std::string ChooseModelsSection(const std::string& base,
                                const std::vector<std::string>& decorations,
                                Architecture architecture, WindowsVersion version);

InfPackage ParseInf(std::string_view text, Architecture architecture, WindowsVersion version);

// The INF's ids that a device reports among its hardware or compatible ids, without regard to
// letter case; each once, in the INF's order.
std::vector<std::string> MatchingIds(const std::vector<std::string>& infIds,
                                     const std::vector<std::string>& deviceIds);

bool IsInfFileName(std::string_view name);

}  // namespace dpinst
