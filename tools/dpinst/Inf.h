#pragma once
// What the package installer needs to know of a driver package's INF file, read by the rules
// Microsoft documents for INF files (general syntax, [Version], [Strings], [Manufacturer] and the
// TargetOSVersion decorations of its models sections), so that the installer and the vendor's
// packaging check both see in an INF what Windows would see in it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dpinst {

enum class Architecture { kX86, kAmd64, kIa64, kArm, kArm64 };

// The running Windows as an INF's decorations describe it (OSVERSIONINFOEX).
struct WindowsVersion {
  unsigned major = 0, minor = 0;
  unsigned productType = 1;  // VER_NT_WORKSTATION 1, VER_NT_DOMAIN_CONTROLLER 2, VER_NT_SERVER 3
  unsigned suiteMask = 0;    // VER_SUITE_... bits
  unsigned build = 0;
};

struct System {
  Architecture architecture = Architecture::kX86;
  WindowsVersion version;
  uint16_t language = 0x0409;  // LANGID whose Strings.<LanguageID> section is taken first
};

struct InfPackage {
  bool validVersion = false;  // a [Version] section whose signature is $Windows NT$ or $Chicago$
  std::string signature;
  std::string className;
  std::string catalogFile;                  // for this platform; empty when none is named
  std::string provider;                     // [Version] Provider, strings replaced
  std::string driverDate, driverVersion;    // the two fields of [Version] DriverVer
  std::vector<std::string> modelsSections;  // the chosen models section of each manufacturer
  std::vector<std::string> namedSections;   // every models section [Manufacturer] names
  std::vector<std::string> hardwareIds;     // hardware and compatible ids of the chosen sections
  // The files the package copies from its own folder on this processor ([SourceDisksFiles] and
  // its decoration for the processor, the decorated entry first), as paths relative to the INF's
  // folder with "\\" between their parts.
  std::vector<std::string> sourceFiles;
};

// The INF's bytes as text in which the INF's syntax can be read byte by byte: UTF-16LE (byte-order
// mark FF FE) becomes UTF-8 whole, a UTF-8 byte-order mark is dropped, anything else (text in the
// ANSI code page) is left as it is.
std::string InfText(const std::string& bytes);

// The models section a [Manufacturer] entry names for this system, as Windows picks it: Windows
// 2000 knows no decorations and takes the undecorated section; later Windows take, among the
// decorations that apply (architecture, version not above the running one, product type and
// suite mask matching), the highest version, at an equal version the highest build number, then
// the closest match; with none that applies, the undecorated section, which 64-bit Windows never
// takes. Empty when the entry gives this system no models section.
std::string ChooseModelsSection(const std::string& base,
                                const std::vector<std::string>& decorations, const System& system);

InfPackage ParseInf(std::string_view text, const System& system);

// The INF's ids that a device reports among its hardware or compatible ids, without regard to
// letter case; each once, in the INF's order.
std::vector<std::string> MatchingIds(const std::vector<std::string>& infIds,
                                     const std::vector<std::string>& deviceIds);

bool IsInfFileName(std::string_view name);

}  // namespace dpinst
