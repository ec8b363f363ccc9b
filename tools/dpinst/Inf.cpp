#include "tools/dpinst/Inf.h"

#include <bit>
#include <map>
#include <optional>
#include <tuple>

namespace dpinst {
namespace {

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Where `stop` stands outside double quotes, from `from` on; npos if nowhere.
size_t FindUnquoted(std::string_view text, char stop, size_t from = 0) {
  bool quoted = false;
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == stop && !quoted) return i;
  }
  return std::string_view::npos;
}

using Strings = std::map<std::string, std::string>;  // by upper-cased key

// One value of an entry: quotes removed ("" inside them a quote), and, given the strings,
// every %strkey% token replaced ("%%" a percent sign; an unknown token stays as written).
std::string ReadValue(std::string_view raw, const Strings* strings) {
  raw = Trim(raw);
  std::string value;
  bool quoted = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '"') {
      if (quoted && i + 1 < raw.size() && raw[i + 1] == '"') {
        value += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    const size_t close = c == '%' && strings ? raw.find('%', i + 1) : std::string_view::npos;
    if (close == std::string_view::npos) {
      value += c;
      continue;
    }
    const std::string_view token = raw.substr(i + 1, close - i - 1);
    const auto found = token.empty() ? strings->end() : strings->find(Upper(token));
    if (token.empty())
      value += '%';
    else
      value += found == strings->end() ? std::string(raw.substr(i, close - i + 1)) : found->second;
    i = close;
  }
  return value;
}

// The comma-separated values of an entry.
std::vector<std::string> Fields(std::string_view raw, const Strings& strings) {
  std::vector<std::string> fields;
  for (size_t start = 0;;) {
    const size_t comma = FindUnquoted(raw, ',', start);
    fields.push_back(ReadValue(raw.substr(start, comma - start), &strings));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

struct Entry {
  std::string key;  // as written, empty for lines without "="
  std::string value;
};
using Sections = std::map<std::string, std::vector<Entry>>;  // by upper-cased name

// Sections of the same name are one section; comments go, lines ending in a backslash outside
// quotes go on in the next line.
Sections ReadSections(std::string_view text) {
  Sections sections;
  std::vector<Entry>* current = nullptr;
  std::string pending;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(start, end - start);
    start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    if (pending.empty() && Trim(raw).starts_with('[')) {
      // The name ends at the first ']': it may hold a ';' (quoted references name such sections).
      const std::string_view header = Trim(raw).substr(1);
      current = &sections[Upper(Trim(header.substr(0, header.find(']'))))];
      continue;
    }
    const std::string_view content = Trim(raw.substr(0, FindUnquoted(raw, ';')));
    size_t quotes = 0;
    for (const char c : content) quotes += c == '"';
    if (content.ends_with('\\') && quotes % 2 == 0) {
      pending += content.substr(0, content.size() - 1);
      continue;
    }
    const std::string line = pending + std::string(content);
    pending.clear();
    if (!current || Trim(line).empty()) continue;
    const size_t equals = FindUnquoted(line, '=');
    if (equals == std::string::npos)
      current->push_back({"", line});
    else
      current->push_back(
          {ReadValue(std::string_view(line).substr(0, equals), nullptr), line.substr(equals + 1)});
  }
  return sections;
}

// The one Strings section Windows takes for a language: Strings.<LanguageID> of the language,
// else of its primary language with the neutral sublanguage, else of any sublanguage of it, else
// the undecorated one.
Strings ReadStrings(const Sections& sections, uint16_t language) {
  const std::vector<Entry>* chosen = nullptr;
  int chosenRank = 0;
  for (const auto& [name, entries] : sections) {
    int rank = 0;
    if (name == "STRINGS") rank = 1;
    if (name.starts_with("STRINGS.")) {
      std::string_view id = std::string_view(name).substr(8);
      if (id.starts_with("0X")) id.remove_prefix(2);
      unsigned value = 0;
      bool hex = !id.empty() && id.size() <= 4;
      for (const char c : id) {
        const bool digit = c >= '0' && c <= '9', letter = c >= 'A' && c <= 'F';
        hex = hex && (digit || letter);
        value = value * 16 + static_cast<unsigned>(digit ? c - '0' : c - 'A' + 10);
      }
      const unsigned primary = language & 0x3FFu;
      if (hex && value == language)
        rank = 4;
      else if (hex && value == primary)
        rank = 3;
      else if (hex && (value & 0x3FFu) == primary)
        rank = 2;
    }
    if (rank > chosenRank) {
      chosen = &entries;
      chosenRank = rank;
    }
  }
  Strings strings;
  if (chosen)
    for (const Entry& entry : *chosen)
      if (!entry.key.empty()) strings.emplace(Upper(entry.key), ReadValue(entry.value, nullptr));
  return strings;
}

std::string_view ArchitectureName(Architecture architecture) {
  switch (architecture) {
    case Architecture::kAmd64:
      return "AMD64";
    case Architecture::kIa64:
      return "IA64";
    case Architecture::kArm:
      return "ARM";
    case Architecture::kArm64:
      return "ARM64";
    case Architecture::kX86:
      break;
  }
  return "X86";
}

// nt[Architecture][.[OSMajorVersion][.[OSMinorVersion][.[ProductType][.[SuiteMask][.[BuildNumber]]]]]]
struct Decoration {
  std::optional<Architecture> architecture;
  unsigned major = 0, minor = 0, productType = 0, suiteMask = 0;
  std::optional<unsigned> build;
};

std::optional<unsigned> ReadNumber(std::string_view text) {
  unsigned base = 10;
  if (text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty() || text.size() > 8) return std::nullopt;
  unsigned value = 0;
  for (const char c : text) {
    const bool digit = c >= '0' && c <= '9', letter = base == 16 && c >= 'A' && c <= 'F';
    if (!digit && !letter) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit ? c - '0' : c - 'A' + 10);
  }
  return value;
}

std::optional<Decoration> ReadDecoration(std::string_view written) {
  const std::string upper = Upper(Trim(written));
  if (!upper.starts_with("NT")) return std::nullopt;
  const size_t dot = upper.find('.');
  const std::string_view platform = std::string_view(upper).substr(2, dot - 2);
  Decoration decoration;
  if (!platform.empty()) {
    for (const Architecture known : {Architecture::kX86, Architecture::kAmd64, Architecture::kIa64,
                                     Architecture::kArm, Architecture::kArm64})
      if (platform == ArchitectureName(known)) decoration.architecture = known;
    if (!decoration.architecture) return std::nullopt;
  }
  unsigned* const numbers[] = {&decoration.major, &decoration.minor, &decoration.productType,
                               &decoration.suiteMask};
  size_t field = 0;
  for (size_t at = dot; at != std::string::npos; ++field) {
    const size_t next = upper.find('.', at + 1);
    const std::string_view text = std::string_view(upper).substr(at + 1, next - at - 1);
    at = next;
    if (field > 4) return std::nullopt;
    if (text.empty()) continue;
    const auto number = ReadNumber(text);
    if (!number) return std::nullopt;
    if (field < 4)
      *numbers[field] = *number;
    else
      decoration.build = *number;
  }
  return decoration;
}

bool Applies(const Decoration& decoration, const System& system) {
  const WindowsVersion& running = system.version;
  // Before 2003 SP1 an undecorated architecture meant any; since then it means x86, and every
  // 64-bit Windows is later than that.
  if (decoration.architecture.value_or(Architecture::kX86) != system.architecture) return false;
  const auto version = std::tie(decoration.major, decoration.minor);
  const auto runningVersion = std::tie(running.major, running.minor);
  if (version > runningVersion) return false;
  // Windows before 10.0 build 14310 does not read a decoration with a build number at all.
  if (decoration.build) {
    if (std::make_tuple(running.major, running.minor, running.build) <
        std::make_tuple(10u, 0u, 14310u))
      return false;
    if (version == runningVersion && *decoration.build > running.build) return false;
  }
  if (decoration.productType != 0 && decoration.productType != running.productType) return false;
  return (running.suiteMask & decoration.suiteMask) == decoration.suiteMask;
}

template <typename SectionOf>
std::vector<std::string> SourceFiles(const SectionOf& section, const Strings& strings,
                                     Architecture architecture) {
  const std::string decorated = "." + std::string(ArchitectureName(architecture));
  // diskid = description, tag or cabinet, unused, path
  std::map<std::string, std::string> diskPaths;
  for (const std::string& name : {std::string("SourceDisksNames"), "SourceDisksNames" + decorated})
    if (const auto* disks = section(name))
      for (const Entry& disk : *disks) {
        const std::vector<std::string> fields = Fields(disk.value, strings);
        diskPaths[Upper(Trim(disk.key))] = fields.size() > 3 ? fields[3] : "";
      }
  // filename = diskid, subdir, size; an entry of the decorated section stands over the other.
  std::map<std::string, std::string> files;
  std::vector<std::string> order;
  for (const std::string& name : {"SourceDisksFiles" + decorated, std::string("SourceDisksFiles")})
    if (const auto* entries = section(name))
      for (const Entry& entry : *entries) {
        const std::string file(Trim(entry.key.empty() ? entry.value : entry.key));
        if (file.empty() || files.contains(Upper(file))) continue;
        const std::vector<std::string> fields =
            entry.key.empty() ? std::vector<std::string>{} : Fields(entry.value, strings);
        const auto disk = fields.empty() ? diskPaths.end() : diskPaths.find(Upper(Trim(fields[0])));
        std::string path;
        for (const std::string& part : {disk == diskPaths.end() ? std::string() : disk->second,
                                        fields.size() > 1 ? fields[1] : std::string(), file}) {
          std::string_view trimmed = Trim(part);
          while (!trimmed.empty() && (trimmed.front() == '\\' || trimmed.front() == '/'))
            trimmed.remove_prefix(1);
          while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/'))
            trimmed.remove_suffix(1);
          if (trimmed.empty() || trimmed == ".") continue;
          path += (path.empty() ? "" : "\\") + std::string(trimmed);
        }
        files[Upper(file)] = path;
        order.push_back(Upper(file));
      }
  std::vector<std::string> paths;
  for (const std::string& key : order) paths.push_back(files[key]);
  return paths;
}

}  // namespace

std::string InfText(const std::string& bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return bytes.substr(3);
  if (!bytes.starts_with("\xFF\xFE")) return bytes;
  std::string text;
  const auto unit = [&](size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
  };
  for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
    unsigned code = unit(at);
    if (code >= 0xD800 && code < 0xDC00 && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 &&
        unit(at + 2) < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
      at += 2;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;  // a lone half of a pair
    }
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x800) {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      text += static_cast<char>(0xE0 | (code >> 12));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | (code >> 18));
      text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

std::string ChooseModelsSection(const std::string& base,
                                const std::vector<std::string>& decorations, const System& system) {
  const bool x86 = system.architecture == Architecture::kX86;
  const WindowsVersion& running = system.version;
  if (std::tie(running.major, running.minor) <= std::make_tuple(5u, 0u)) return x86 ? base : "";
  const std::string* best = nullptr;
  std::tuple<unsigned, unsigned, unsigned, bool, int, bool> bestRank;
  for (const std::string& written : decorations) {
    const auto decoration = ReadDecoration(written);
    if (!decoration || !Applies(*decoration, system)) continue;
    // The closest match: version, then build, then product type, suites and architecture named.
    const auto rank =
        std::make_tuple(decoration->major, decoration->minor, decoration->build.value_or(0),
                        decoration->productType != 0, std::popcount(decoration->suiteMask),
                        decoration->architecture.has_value());
    if (!best || rank > bestRank) {
      best = &written;
      bestRank = rank;
    }
  }
  if (best) return base + "." + std::string(Trim(*best));
  return x86 ? base : std::string();
}

InfPackage ParseInf(std::string_view text, const System& system) {
  const Sections sections = ReadSections(text);
  const Strings strings = ReadStrings(sections, system.language);
  const auto section = [&](const std::string& name) -> const std::vector<Entry>* {
    const auto found = sections.find(Upper(name));
    return found == sections.end() ? nullptr : &found->second;
  };
  InfPackage package;
  if (const auto* version = section("Version")) {
    const std::string ownCatalog =
        "CATALOGFILE.NT" + std::string(ArchitectureName(system.architecture));
    std::map<std::string, std::string> values;  // the first of each key counts
    for (const Entry& entry : *version) {
      const std::vector<std::string> fields = Fields(entry.value, strings);
      if (values.emplace(Upper(entry.key), fields[0]).second && Upper(entry.key) == "DRIVERVER") {
        package.driverDate = fields[0];
        if (fields.size() > 1) package.driverVersion = fields[1];
      }
    }
    package.signature = values["SIGNATURE"];
    package.provider = values["PROVIDER"];
    package.className = values["CLASS"];
    const std::string signature = Upper(package.signature);
    package.validVersion = signature == "$WINDOWS NT$" || signature == "$CHICAGO$";
    for (const std::string& key :
         {ownCatalog, std::string("CATALOGFILE.NT"), std::string("CATALOGFILE")})
      if (package.catalogFile.empty()) package.catalogFile = values[key];
  }
  package.sourceFiles = SourceFiles(section, strings, system.architecture);
  const auto* manufacturers = section("Manufacturer");
  if (!manufacturers) return package;
  for (const Entry& manufacturer : *manufacturers) {
    std::vector<std::string> fields = Fields(manufacturer.value, strings);
    const std::string base = fields[0];
    if (base.empty()) continue;
    fields.erase(fields.begin());
    std::erase(fields, "");
    package.namedSections.push_back(base);
    for (const std::string& decoration : fields)
      package.namedSections.push_back(base + "." + decoration);
    const std::string chosen = ChooseModelsSection(base, fields, system);
    if (chosen.empty()) continue;
    package.modelsSections.push_back(chosen);
    if (const auto* models = section(chosen))
      for (const Entry& model : *models) {
        const std::vector<std::string> ids = Fields(model.value, strings);
        for (size_t i = 1; i < ids.size(); ++i)
          if (!ids[i].empty() && MatchingIds(package.hardwareIds, {ids[i]}).empty())
            package.hardwareIds.push_back(ids[i]);
      }
  }
  return package;
}

std::vector<std::string> MatchingIds(const std::vector<std::string>& infIds,
                                     const std::vector<std::string>& deviceIds) {
  std::vector<std::string> matched;
  for (const std::string& id : infIds) {
    const std::string upper = Upper(id);
    bool present = false;
    for (const std::string& device : deviceIds) present = present || Upper(device) == upper;
    bool already = false;
    for (const std::string& seen : matched) already = already || Upper(seen) == upper;
    if (present && !already) matched.push_back(id);
  }
  return matched;
}

bool IsInfFileName(std::string_view name) {
  return name.size() > 4 && Upper(name.substr(name.size() - 4)) == ".INF";
}

}  // namespace dpinst
