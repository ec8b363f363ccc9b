#include "tools/package/PackageCheck.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>
#include <tuple>

#include "platform/Configuration.h"
#include "run/ExitCodes.h"
#include "run/InstallerState.h"
#include "tools/catalog/Catalog.h"
#include "tools/dpinst/Inf.h"

namespace package {
namespace {

namespace fs = std::filesystem;

struct Line {
  int number;
  std::string text;  // without its line end
};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string NameBeforeEquals(std::string_view text) {
  return std::string(text.substr(0, text.find('=')));
}

// Lines as the vendor meant them (split at LF, a CR before it dropped), so that one wrong line end
// does not hide every other finding. The installer itself ends lines only at CR LF: a file with
// LF alone is one long line to it, and every edition is refused.
std::vector<Line> SplitLines(const std::string& bytes, const std::string& where,
                             std::vector<Finding>& findings) {
  std::vector<Line> lines;
  int bareLf = 0, firstBareLf = 0, bareCr = 0, firstBareCr = 0;
  size_t at = 0;
  for (int number = 1; at < bytes.size(); ++number) {
    const size_t lf = bytes.find('\n', at);
    std::string text = bytes.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
    if (lf != std::string::npos) {
      if (!text.empty() && text.back() == '\r') {
        text.pop_back();
      } else if (bareLf++ == 0) {
        firstBareLf = number;
      }
    }
    if (text.find('\r') != std::string::npos && bareCr++ == 0) firstBareCr = number;
    lines.push_back({number, text});
    if (lf == std::string::npos) break;
    at = lf + 1;
  }
  const auto more = [](int count) {
    return count > 1 ? " (and " + std::to_string(count - 1) + " more lines)" : std::string();
  };
  if (bareLf)
    findings.push_back(
        {true, where + ":" + std::to_string(firstBareLf),
         "line ends with LF alone" + more(bareLf) + "; the installer reads only CR LF line ends"});
  if (bareCr)
    findings.push_back(
        {true, where + ":" + std::to_string(firstBareCr),
         "CR without LF" + more(bareCr) + "; the installer reads only CR LF line ends"});
  return lines;
}

const platform::NameAndKey* FindName(const auto& table, std::string_view name) {
  for (const platform::NameAndKey& row : table)
    if (row.name == name) return &row;
  return nullptr;
}

// A name in another letter case, or with blanks around it, that the installer does not read.
std::optional<std::string> CloseName(const std::string& name) {
  std::string trimmed = name;
  trimmed.erase(0, trimmed.find_first_not_of(" \t"));
  trimmed.erase(trimmed.find_last_not_of(" \t") + 1);
  const auto closeIn = [&](const auto& table) -> std::optional<std::string> {
    for (const platform::NameAndKey& row : table)
      if (Lower(std::string(row.name)) == Lower(trimmed)) return std::string(row.name);
    return std::nullopt;
  };
  if (auto close = closeIn(platform::kEditionNames)) return close;
  return closeIn(platform::kServicePackNames);
}

// "<edition>SP<n>Required": the shape of a service-pack key.
std::optional<std::string> ServicePackKeyEdition(const std::string& name) {
  const size_t sp = name.rfind("SP");
  if (sp == std::string::npos || sp == 0 || !name.ends_with("Required")) return std::nullopt;
  const std::string number = name.substr(sp + 2, name.size() - sp - 2 - 8);
  if (number.empty() ||
      !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const std::string edition = name.substr(0, sp);
  if (!FindName(platform::kEditionNames, edition)) return std::nullopt;
  return edition;
}

std::string UnknownNameText(const std::string& kind, const std::string& name) {
  std::string text = "unknown " + kind + " \"" + name + "\"";
  if (const auto close = CloseName(name))
    text += " (names are read exactly as written: \"" + *close + "\")";
  return text + "; the installer ignores the line";
}

// The after-setup fields an "X:X" line sets, found by letting the installer's reader take it.
enum class AfterSetup { None, Counted, Info, Wireless, Switch };

AfterSetup AfterSetupKind(const std::string& line) {
  constexpr char kUnset[] = "\x01";
  run::InstallerState& state = run::State();
  state = run::InstallerState();
  state.MsgInstalledCorrectly = state.MsgInstalledDrvStore = state.MsgInstallFailed =
      state.MsgInstallInfo = state.MsgWirelessService = state.MsgUninstalled =
          state.MsgUninstallFailed = state.MsgKeptBetterDriver = kUnset;
  platform::ReadAfterSetupLine(line);
  if (state.MsgInstalledCorrectly != kUnset || state.MsgInstalledDrvStore != kUnset ||
      state.MsgInstallFailed != kUnset)
    return AfterSetup::Counted;
  if (state.MsgInstallInfo != kUnset || state.MsgUninstalled != kUnset ||
      state.MsgUninstallFailed != kUnset || state.MsgKeptBetterDriver != kUnset)
    return AfterSetup::Info;
  if (state.MsgWirelessService != kUnset) return AfterSetup::Wireless;
  if (state.CheckWirelessService == run::kTrue || state.ForceInstall ||
      line == "X:X  CheckSvc:No")
    return AfterSetup::Switch;
  return AfterSetup::None;
}

void CheckLine(const Line& line, const std::string& where, std::vector<Finding>& findings) {
  const std::string& text = line.text;
  const std::string at = where + ":" + std::to_string(line.number);
  const auto error = [&](std::string message) { findings.push_back({true, at, message}); };
  if (text.empty() || text[0] == ' ') return;
  if (text[0] == '[') {
    if (text != "[Config]" && text != "[AfterSetup]")
      error("unknown section \"" + text + "\" (the sections are [Config] and [AfterSetup])");
    return;
  }
  if (StartsWith(text, "X:X")) {
    const AfterSetup kind = AfterSetupKind(text);
    if (kind == AfterSetup::None) {
      error("unknown after-setup line \"" + text +
            "\" (\"X:X\", two spaces, then InstalledCorrectly=, InstalledDrvStore=, "
            "InstallFailed=, InstallInfo=, KeptBetterDriver=, Uninstalled=, UninstallFailed=, "
            "InstallWZCMsg=, CheckSvc:Yes, CheckSvc:No or ForceInstall:Yes)");
    } else if (kind != AfterSetup::Counted && text.find("%1") != std::string::npos) {
      error(
          "\"%1\" stands here as it is written: only InstalledCorrectly, InstalledDrvStore "
          "and InstallFailed have it replaced by a count");
    }
    return;
  }
  const bool folderLine = text[0] == '$';
  const std::string name = NameBeforeEquals(folderLine ? text.substr(1) : text);
  const bool hasValue = text.find('=') != std::string::npos;
  if (folderLine) {
    if (!FindName(platform::kEditionNames, name))
      return error(UnknownNameText("edition in a driver-folder line", name));
  } else if (!FindName(platform::kEditionNames, name) &&
             !FindName(platform::kServicePackNames, name)) {
    if (const auto edition = ServicePackKeyEdition(name)) {
      bool hasCheck = false;
      for (const platform::NameAndKey& row : platform::kServicePackNames)
        if (StartsWith(row.name, *edition + "SP")) {
          hasCheck = true;
          error("\"" + name + "\": the service-pack key of " + *edition + " is \"" +
                std::string(row.name) + "\"");
        }
      if (!hasCheck)
        error("service-pack key \"" + name + "\" for " + *edition +
              ", which has no service-pack check (only Win2K, WinXP and Vista have one)");
      return;
    }
    return error(UnknownNameText("key", name));
  }
  if (!hasValue)
    return error("\"" + name + "\" without \"=\": the installer stops with \"" +
                 std::string(platform::kConfigurationError) + "\" on that edition");
  if (FindName(platform::kServicePackNames, name)) {
    const std::string value = Lower(text.substr(text.find('=') + 1));
    if (value != "true" && value != "false")
      error("\"" + text + "\": the value is True or False (anything else means False)");
  }
}

// A relative path that stays inside the folder it is taken from.
bool StaysInside(const std::string& path) {
  if (path.empty() || path[0] == '\\' || path[0] == '/' || path.find(':') != std::string::npos)
    return false;
  size_t at = 0;
  while (at <= path.size()) {
    const size_t end = path.find_first_of("\\/", at);
    if (path.substr(at, end == std::string::npos ? std::string::npos : end - at) == "..")
      return false;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return true;
}

// Windows finds names in any letter case; so does the check.
std::optional<fs::path> FindEntry(const fs::path& folder, const std::string& name) {
  std::error_code failed;
  for (const auto& entry : fs::directory_iterator(folder, failed))
    if (Lower(entry.path().filename().string()) == Lower(name)) return entry.path();
  return std::nullopt;
}

std::optional<fs::path> FindFolder(const fs::path& root, const std::string& relative) {
  fs::path folder = root;
  size_t at = 0;
  while (at < relative.size()) {
    const size_t end = relative.find_first_of("\\/", at);
    const std::string part =
        relative.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!part.empty()) {
      const auto found = FindEntry(folder, part);
      if (!found || !fs::is_directory(*found)) return std::nullopt;
      folder = *found;
    }
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return folder;
}

// A path relative to the folder, "\\" between its parts, found part by part in any letter case.
std::optional<fs::path> FindFile(const fs::path& folder, const std::string& relative) {
  const size_t last = relative.rfind('\\');
  const auto parent = last == std::string::npos ? std::optional(folder)
                                                : FindFolder(folder, relative.substr(0, last));
  if (!parent) return std::nullopt;
  const auto file = FindEntry(*parent, relative.substr(last == std::string::npos ? 0 : last + 1));
  if (!file || !fs::is_regular_file(*file)) return std::nullopt;
  return file;
}

std::string ReadAll(const fs::path& file) {
  std::stringstream bytes;
  bytes << std::ifstream(file, std::ios::binary).rdbuf();
  return bytes.str();
}

struct Inf {
  std::string name;
  std::string text;
  std::string bytes;  // as the catalog hashes it
};

std::vector<Inf> InfFiles(const fs::path& folder) {
  std::vector<Inf> infs;
  std::error_code failed;
  for (const auto& entry : fs::directory_iterator(folder, failed))
    if (entry.is_regular_file() && Lower(entry.path().extension().string()) == ".inf") {
      std::string bytes = ReadAll(entry.path());
      infs.push_back({entry.path().filename().string(), dpinst::InfText(bytes), bytes});
    }
  std::sort(infs.begin(), infs.end(), [](const Inf& a, const Inf& b) { return a.name < b.name; });
  return infs;
}

// The Windows each edition of the configuration stands for, as the INF's decorations see them:
// processor, version, product type (1 workstation, 3 server). The Vista editions are every later
// Windows too.
struct EditionSystems {
  std::string_view edition;
  dpinst::Architecture architecture;
  std::vector<dpinst::WindowsVersion> versions;
};

const std::vector<EditionSystems>& EditionWindows() {
  using dpinst::Architecture;
  const std::vector<dpinst::WindowsVersion> vistaAndLater = {
      {6, 0, 1}, {6, 1, 1}, {6, 3, 1}, {10, 0, 1, 0, 19045}, {10, 0, 1, 0, 26100}};
  static const std::vector<EditionSystems> table = {
      {"Win2K", Architecture::kX86, {{5, 0, 1}}},
      {"WinXP", Architecture::kX86, {{5, 1, 1}}},
      {"WinXP64", Architecture::kAmd64, {{5, 2, 1}}},
      {"Win2K3", Architecture::kX86, {{5, 2, 3}}},
      {"Win2K364", Architecture::kAmd64, {{5, 2, 3}}},
      {"Vista", Architecture::kX86, vistaAndLater},
      {"Vista64", Architecture::kAmd64, vistaAndLater},
  };
  return table;
}

std::string VersionText(const dpinst::WindowsVersion& version) {
  std::string text = std::to_string(version.major) + "." + std::to_string(version.minor);
  if (version.productType == 3) text += " server";
  if (version.build) text += " build " + std::to_string(version.build);
  return text;
}

using FolderFindings =
    std::map<std::tuple<std::string, std::string, bool>, std::vector<std::string>>;

// What Windows finds wrong with the catalog an INF names for an edition: its kind, a signature
// that no longer matches it, a file whose hash it lacks, Windows versions it does not serve, and on
// 64-bit Windows who signed it. Returns the findings as (error, text).
std::vector<std::pair<bool, std::string>> CheckCatalog(const EditionSystems& windows,
                                                       const Inf& inf,
                                                       const dpinst::InfPackage& package,
                                                       const fs::path& folder,
                                                       const fs::path& catalogPath) {
  const std::string& name = package.catalogFile;
  const auto read = catalog::ReadCatalog(ReadAll(catalogPath));
  if (!read || !read->isSigned)
    return {{true, "\"" + name + "\", the catalog " + inf.name + " names, is " +
                       (read ? "not signed" : "no catalog") +
                       ": Windows refuses the package as unsigned"}};
  std::vector<std::pair<bool, std::string>> findings;
  const auto any = [&](catalog::Signature signature) {
    return std::any_of(
        read->signers.begin(), read->signers.end(),
        [&](const catalog::Signer& signer) { return signer.signature == signature; });
  };
  if (any(catalog::Signature::kBroken))
    findings.push_back({true, "the signature of " + name +
                                  " does not match its contents: Windows refuses the package as "
                                  "tampered"});
  else if (any(catalog::Signature::kUnreadable))
    findings.push_back({false, name +
                                   " carries a signature this check cannot read (not RSA, or "
                                   "without its certificate): whether it matches is not checked"});
  const auto lacks = [&](const std::string& file) {
    findings.push_back({true, file + " has no member of matching hash in " + name +
                                  ": Windows answers \"The hash for the file is not present in "
                                  "the specified catalog file\""});
  };
  if (!catalog::HasMemberFor(*read, inf.bytes)) lacks(inf.name);
  for (const std::string& file : package.sourceFiles)
    if (const auto path = FindFile(folder, file);
        path && !catalog::HasMemberFor(*read, ReadAll(*path)))
      lacks(file);
  const auto served = catalog::OsAttributeVersions(read->osAttribute);
  std::string missing;
  for (const dpinst::WindowsVersion& version : windows.versions) {
    const std::pair<unsigned, unsigned> wanted{version.major, version.minor};
    const std::string text = std::to_string(version.major) + "." + std::to_string(version.minor);
    if (std::find(served.begin(), served.end(), wanted) == served.end() &&
        missing.find(text) == std::string::npos)
      missing += (missing.empty() ? "" : ", ") + text;
  }
  if (!missing.empty())
    findings.push_back({true, name + " serves no Windows " + missing + " (its OSAttr is \"" +
                                  read->osAttribute +
                                  "\"): the catalog cannot sign the "
                                  "package there"});
  const bool microsoft =
      std::any_of(read->signers.begin(), read->signers.end(), [](const catalog::Signer& signer) {
        return signer.issuer.find("O=Microsoft Corporation") != std::string::npos ||
               signer.subject.find("O=Microsoft Corporation") != std::string::npos;
      });
  const bool windows10 = std::any_of(windows.versions.begin(), windows.versions.end(),
                                     [](const dpinst::WindowsVersion& v) { return v.major >= 10; });
  if (windows.architecture == dpinst::Architecture::kAmd64 && windows10 && !microsoft) {
    const std::string signer = read->signers.empty() || read->signers[0].subject.empty()
                                   ? std::string("a certificate it does not carry")
                                   : "\"" + read->signers[0].subject + "\"";
    findings.push_back({false, "the catalog " + name + " is signed by " + signer +
                                   ", not through Microsoft: 64-bit Windows 10 from 1607 on "
                                   "loads its kernel driver only with test signing on"});
  }
  return findings;
}

// What the edition's INF files offer its Windows: at least one device on each (an error when on
// none, a warning when on some only), and the catalog each names for its processor, present.
void CheckInfs(const EditionSystems& windows, const std::vector<Inf>& infs, const fs::path& folder,
               const std::string& shown, FolderFindings& findings) {
  const bool x64 = windows.architecture == dpinst::Architecture::kAmd64;
  const std::string processor = x64 ? "x64" : "x86";
  std::string missed, served, named;
  for (const dpinst::WindowsVersion& version : windows.versions) {
    bool offered = false;
    for (const Inf& inf : infs) {
      const dpinst::InfPackage package =
          dpinst::ParseInf(inf.text, {windows.architecture, version});
      offered = offered || (package.validVersion && !package.hardwareIds.empty());
    }
    (offered ? served : missed) +=
        ((offered ? served : missed).empty() ? "" : ", ") + VersionText(version);
  }
  for (const Inf& inf : infs) {
    const dpinst::InfPackage package =
        dpinst::ParseInf(inf.text, {windows.architecture, windows.versions.front()});
    std::string sections;
    for (const std::string& section : package.namedSections)
      sections += (sections.empty() ? "" : ", ") + section;
    named += "; " + inf.name +
             (!package.validVersion ? " is no driver package (no [Version] with the signature "
                                      "$Windows NT$ or $Chicago$)"
              : sections.empty()    ? " names no models section"
                                    : " names the models sections " + sections);
    if (!package.validVersion) continue;
    for (const std::string& file : package.sourceFiles)
      if (!FindFile(folder, file))
        findings[{shown,
                  inf.name + " copies " + file + " ([SourceDisksFiles]), which the folder lacks",
                  true}]
            .push_back(std::string(windows.edition));
    if (package.catalogFile.empty()) {
      findings[{shown,
                inf.name + " names no catalog file: Windows installs it only as an unsigned "
                           "package (option legacyMode)",
                false}]
          .push_back(std::string(windows.edition));
    } else if (const auto catalog = FindEntry(folder, package.catalogFile);
               !catalog || !fs::is_regular_file(*catalog)) {
      findings[{shown,
                inf.name + " names the catalog file \"" + package.catalogFile + "\" for " +
                    processor + ", which the folder lacks",
                true}]
          .push_back(std::string(windows.edition));
    } else {
      for (const auto& [error, text] : CheckCatalog(windows, inf, package, folder, *catalog))
        findings[{shown, text, error}].push_back(std::string(windows.edition));
    }
  }
  if (missed.empty()) return;
  const std::string text = "no INF offers a device to " + processor + " Windows " + missed +
                           (served.empty() ? named : " (only to " + served + ")");
  findings[{shown, text, served.empty()}].push_back(std::string(windows.edition));
}

int LastLineOf(const std::vector<Line>& lines, const std::string& name) {
  int found = 0;
  for (const Line& line : lines)
    if (NameBeforeEquals(line.text) == name) found = line.number;
  return found;
}

// The version resource keeps the names as UTF-16; the installer reads them back one unit at a
// time and writes "?" for each unit beyond ASCII, so that is what its entry holds.
std::string AsEntryHolds(const std::string& utf8) {
  std::string text;
  for (size_t at = 0; at < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    // Four bytes of UTF-8 are beyond the BMP: two UTF-16 units.
    text += lead < 0x80 ? std::string(1, utf8[at]) : length == 4 ? "??" : "?";
    at += length;
  }
  return text;
}

std::string WithoutBlanks(std::string name) {
  std::erase_if(name, [](char c) { return c == ' ' || c == '\t'; });
  return name;
}

constexpr char kRefusedInNames[] = "\\/:*?\"<>|";

// winget's identifier rules: at most 8 parts between dots, each of 1 to 32 characters without
// blanks, control characters or \ / : * ? " < > |, at most 128 in all.
void CheckIdentifierPart(const std::string& option, const std::string& name,
                         const std::string& identifier, size_t partsBefore,
                         std::vector<Finding>& findings) {
  const std::string part = WithoutBlanks(name);
  std::string why, refused;
  for (const char c : part)
    if (std::strchr(kRefusedInNames, c) && refused.find(c) == std::string::npos) refused += c;
  std::vector<std::string> pieces(1);
  for (const char c : part)
    if (c == '.')
      pieces.emplace_back();
    else
      pieces.back().push_back(c);
  if (!refused.empty()) {
    why = "it holds \"" + refused + "\" (winget refuses \\ / : * ? \" < > | in it)";
  } else if (std::any_of(pieces.begin(), pieces.end(),
                         [](const std::string& piece) { return piece.empty(); })) {
    why = part.empty() ? "nothing is left of the name without its blanks"
                       : "a dot at its start or end, or two together, leave a part empty";
  } else if (const auto longest = std::max_element(
                 pieces.begin(), pieces.end(),
                 [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
             longest->size() > 32) {
    why = "\"" + *longest + "\" is longer than the 32 characters winget takes between dots";
  } else if (partsBefore + pieces.size() > 8) {
    why = "winget takes at most 8 parts between dots";
  } else if (identifier.size() > 128) {
    why = "winget takes at most 128 characters";
  }
  if (!why.empty())
    findings.push_back({true, option,
                        "\"" + name + "\" cannot stand in winget's package identifier \"" +
                            identifier + "\": " + why});
}

void CheckRelease(const Release& release, std::vector<Finding>& findings) {
  std::vector<unsigned long> numbers;
  bool digits = true;
  for (size_t at = 0; at <= release.version.size();) {
    const size_t dot = std::min(release.version.find('.', at), release.version.size());
    const std::string number = release.version.substr(at, dot - at);
    digits = digits && !number.empty() && number.size() <= 5 &&
             std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    numbers.push_back(digits ? std::stoul(number) : 0);
    at = dot + 1;
  }
  if (!digits || numbers.size() != 4 ||
      std::any_of(numbers.begin(), numbers.end(), [](unsigned long n) { return n > 65535; }))
    findings.push_back({true, "--version",
                        "\"" + release.version +
                            "\" is not four numbers up to 65535 such as 2.1.0.15: winget, Intune's "
                            "detection rule and the MSI read the version the entry holds"});
  else if (release.msi && (numbers[0] > 255 || numbers[1] > 255))
    findings.push_back({true, "--version",
                        "\"" + release.version +
                            "\": Windows Installer takes at most 255 in the first two numbers of "
                            "the MSI's ProductVersion"});
  const std::string identifier = NamesOf(release).identifier;
  const std::string publisher = WithoutBlanks(release.publisher);
  CheckIdentifierPart("--publisher", release.publisher, identifier, 0, findings);
  CheckIdentifierPart("--product", release.product, identifier,
                      1 + static_cast<size_t>(std::count(publisher.begin(), publisher.end(), '.')),
                      findings);
}

}  // namespace

const ReturnCode kInstallReturnCodes[7] = {
    {run::kExitInstalled, "", "Success"},
    {run::kExitRestartNeeded, "", "Soft reboot"},
    {run::kExitUserDeclined, "cancelledByUser", "Failed"},
    {run::kExitFailed, "contactSupport", "Failed"},
    {run::kExitAlreadyRunning, "installInProgress", "Retry"},
    {run::kExitUnsupported, "systemNotSupported", "Failed"},
    {run::kExitBadCommandLine, "invalidParameter", "Failed"},
};

ReleaseNames NamesOf(const Release& release) {
  ReleaseNames names;
  names.identifier = WithoutBlanks(release.publisher) + "." + WithoutBlanks(release.product);
  names.displayName = AsEntryHolds(release.product);
  names.entryPublisher = AsEntryHolds(release.publisher);
  names.entryKey = names.displayName;
  for (char& c : names.entryKey)
    if (std::strchr(kRefusedInNames, c)) c = '_';
  return names;
}

std::vector<Finding> CheckPackage(const std::string& configBytes, const std::string& configName,
                                  const fs::path& driverTree,
                                  const std::optional<Release>& release) {
  std::vector<Finding> findings;
  if (release) CheckRelease(*release, findings);
  const std::vector<Line> lines = SplitLines(configBytes, configName, findings);
  for (const Line& line : lines) CheckLine(line, configName, findings);

  const auto lineWhere = [&](int number) {
    return number ? configName + ":" + std::to_string(number) : configName;
  };
  const bool treeExists = fs::is_directory(driverTree);
  if (!treeExists)
    findings.push_back({true, driverTree.string(), "the driver tree is not a folder"});

  // Folder findings name every edition that shares the folder, once.
  FolderFindings folderFindings;
  for (const platform::NameAndKey& edition : platform::kEditionNames) {
    // What the installer itself reads on this edition.
    run::InstallerState& state = run::State();
    state = run::InstallerState();
    state.PlatformKey = std::string(edition.platformKey);
    for (const Line& line : lines) {
      if (StartsWith(line.text, "X:X")) platform::ReadAfterSetupLine(line.text);
      platform::ReadConfigLine(line.text);
    }
    const std::string name(edition.name);
    const std::string mode = state.InstallMode;
    const std::string subfolder = state.DriverSubfolder;
    const int modeLine = LastLineOf(lines, name);
    const int folderLine = LastLineOf(lines, "$" + name);
    if (mode.empty()) {
      findings.push_back(
          {false, lineWhere(modeLine), name + " is left unsupported: the installer refuses it"});
      continue;
    }
    // Windows on ARM64 runs the program as a 64-bit edition would, but no x64 driver loads there.
    if (name == "Vista64")
      findings.push_back(
          {false, lineWhere(modeLine),
           "Vista64 covers x64 processors only: the installer refuses Windows on ARM"});
    if (subfolder.empty()) {
      findings.push_back(
          {true, lineWhere(modeLine),
           name + " is supported but has no driver folder (\"$" + name + "=folder\\\")"});
      continue;
    }
    if (!StaysInside(subfolder)) {
      findings.push_back(
          {true, lineWhere(folderLine),
           "driver folder \"" + subfolder + "\" of " + name + " leaves the driver tree"});
      continue;
    }
    if (!subfolder.ends_with('\\')) {
      findings.push_back({true, lineWhere(folderLine),
                          "driver folder \"" + subfolder + "\" of " + name +
                              " must end with \"\\\": file names are appended to it"});
      continue;
    }
    const bool runsInstaller = platform::RunsDriverInstaller(mode);
    if (!runsInstaller && !StaysInside(mode)) {
      findings.push_back({true, lineWhere(modeLine),
                          "program \"" + mode + "\" of " + name + " leaves its driver folder"});
      continue;
    }
    if (!treeExists) continue;
    std::string relative = subfolder.substr(0, subfolder.size() - 1);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const std::string shown = (driverTree / relative).string();
    const auto folder = FindFolder(driverTree, subfolder);
    const std::vector<Inf> infs = folder && runsInstaller ? InfFiles(*folder) : std::vector<Inf>{};
    std::string problem;
    if (!folder) {
      problem = "driver folder missing";
    } else if (runsInstaller && infs.empty()) {
      problem = "driver folder holds no INF file";
    } else if (!runsInstaller && !FindEntry(*folder, mode)) {
      problem = "program \"" + mode + "\" (InstallMode) missing from the driver folder";
    } else if (runsInstaller) {
      for (const EditionSystems& windows : EditionWindows())
        if (windows.edition == name) CheckInfs(windows, infs, *folder, shown, folderFindings);
    }
    if (!problem.empty()) folderFindings[{shown, problem, true}].push_back(name);
  }
  for (const auto& [key, editions] : folderFindings) {
    std::string names;
    for (const std::string& edition : editions) names += (names.empty() ? "" : ", ") + edition;
    const auto& [where, text, error] = key;
    findings.push_back({error, where, text + " (" + names + ")"});
  }
  run::State() = run::InstallerState();
  return findings;
}

std::string FormatFinding(const Finding& finding) {
  return finding.where + (finding.error ? ": error: " : ": warning: ") + finding.text;
}

}  // namespace package
