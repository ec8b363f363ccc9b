#include "tools/dpinst/Inf.h"

#include <map>
#include <optional>

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

// One value of an INF line: trimmed, surrounding quotes removed.
std::string Unquote(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  return std::string(text);
}

// Splits at commas outside quotes.
std::vector<std::string> SplitFields(std::string_view text) {
  std::vector<std::string> fields;
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '"') quoted = !quoted;
    if (i == text.size() || (text[i] == ',' && !quoted)) {
      fields.push_back(Unquote(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  return fields;
}

struct Entry {
  std::string key;  // empty for lines without "="
  std::string value;
};

// Sections by upper-cased name; lines without comments, continuation lines joined.
std::map<std::string, std::vector<Entry>> ReadSections(std::string_view text) {
  std::map<std::string, std::vector<Entry>> sections;
  std::vector<Entry>* current = nullptr;
  std::string pending;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(start, end - start);
    start = end + 1;
    if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n')
      ++start;
    // A ';' outside quotes starts a comment.
    bool quoted = false;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '"') quoted = !quoted;
      if (raw[i] == ';' && !quoted) {
        raw = raw.substr(0, i);
        break;
      }
    }
    std::string_view line = Trim(raw);
    if (!line.empty() && line.back() == '\\') {
      pending += std::string(line.substr(0, line.size() - 1));
      continue;
    }
    std::string whole = pending + std::string(line);
    pending.clear();
    line = Trim(whole);
    if (line.empty()) continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      const std::string name = Upper(Trim(
          line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      current = &sections[name];
      continue;
    }
    if (!current) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      current->push_back({"", std::string(line)});
    } else {
      current->push_back(
          {Unquote(line.substr(0, equals)), std::string(Trim(line.substr(equals + 1)))});
    }
  }
  return sections;
}

// "%Token%" from [Strings]; other texts unchanged.
std::string Expand(const std::string& value, const std::map<std::string, std::string>& strings) {
  if (value.size() < 3 || value.front() != '%' || value.back() != '%') return value;
  const auto found = strings.find(Upper(value.substr(1, value.size() - 2)));
  return found == strings.end() ? value : found->second;
}

struct Decoration {
  bool forArchitecture = false;  // NTx86 / NTamd64 rather than plain NT
  WindowsVersion version;
};

std::optional<Decoration> ReadDecoration(const std::string& decoration, Architecture architecture) {
  const std::string upper = Upper(decoration);
  const size_t dot = upper.find('.');
  const std::string platform = upper.substr(0, dot);
  Decoration result;
  if (platform == "NT") {
    result.forArchitecture = false;
  } else if (platform == (architecture == Architecture::kAmd64 ? "NTAMD64" : "NTX86")) {
    result.forArchitecture = true;
  } else {
    return std::nullopt;
  }
  if (dot != std::string::npos) {
    const std::string rest = upper.substr(dot + 1);
    unsigned* part = &result.version.major;
    for (const char c : rest) {
      if (c == '.') {
        if (part == &result.version.minor) break;  // product type and suite do not matter here
        part = &result.version.minor;
      } else if (c >= '0' && c <= '9') {
        *part = *part * 10 + static_cast<unsigned>(c - '0');
      } else {
        return std::nullopt;
      }
    }
  }
  return result;
}

bool NotAbove(WindowsVersion a, WindowsVersion b) {
  return a.major < b.major || (a.major == b.major && a.minor <= b.minor);
}

}  // namespace

std::string InfAsSingleByteText(const std::string& bytes) {
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xFE)
    return bytes;
  std::string text;
  for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
    const unsigned unit = static_cast<unsigned char>(bytes[at]) |
                          (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
    text.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
  }
  return text;
}

std::string ChooseModelsSection(const std::string& base,
                                const std::vector<std::string>& decorations,
                                Architecture architecture, WindowsVersion version) {
  const std::string* best = nullptr;
  Decoration bestDecoration;
  for (const std::string& decoration : decorations) {
    const auto read = ReadDecoration(decoration, architecture);
    if (!read || !NotAbove(read->version, version)) continue;
    const bool better = !best || !NotAbove(read->version, bestDecoration.version) ||
                        (read->version.major == bestDecoration.version.major &&
                         read->version.minor == bestDecoration.version.minor &&
                         read->forArchitecture && !bestDecoration.forArchitecture);
    if (better) {
      best = &decoration;
      bestDecoration = *read;
    }
  }
  if (best) return base + "." + *best;
  return architecture == Architecture::kX86 ? base : std::string();
}

InfPackage ParseInf(std::string_view text, Architecture architecture, WindowsVersion version) {
  const auto sections = ReadSections(text);
  InfPackage package;
  std::map<std::string, std::string> strings;
  if (const auto found = sections.find("STRINGS"); found != sections.end())
    for (const Entry& entry : found->second) strings[Upper(entry.key)] = Unquote(entry.value);

  if (const auto found = sections.find("VERSION"); found != sections.end()) {
    package.hasVersionSection = true;
    const std::string archCatalog =
        architecture == Architecture::kAmd64 ? "CATALOGFILE.NTAMD64" : "CATALOGFILE.NTX86";
    std::string plainCatalog, ntCatalog, ownCatalog;
    for (const Entry& entry : found->second) {
      const std::string key = Upper(entry.key);
      const std::string value = Expand(Unquote(entry.value), strings);
      if (key == "SIGNATURE") package.signature = value;
      if (key == "CLASS") package.className = value;
      if (key == "CATALOGFILE") plainCatalog = value;
      if (key == "CATALOGFILE.NT") ntCatalog = value;
      if (key == archCatalog) ownCatalog = value;
    }
    package.catalogFile = !ownCatalog.empty()  ? ownCatalog
                          : !ntCatalog.empty() ? ntCatalog
                                               : plainCatalog;
  }

  const auto manufacturers = sections.find("MANUFACTURER");
  if (manufacturers == sections.end()) return package;
  for (const Entry& manufacturer : manufacturers->second) {
    std::vector<std::string> fields = SplitFields(manufacturer.value);
    if (fields.empty() || fields[0].empty()) continue;
    const std::string base = fields[0];
    fields.erase(fields.begin());
    const std::string chosen = ChooseModelsSection(base, fields, architecture, version);
    if (chosen.empty()) continue;
    const auto models = sections.find(Upper(chosen));
    if (models == sections.end()) continue;
    for (const Entry& model : models->second) {
      const std::vector<std::string> modelFields = SplitFields(model.value);
      for (size_t i = 1; i < modelFields.size(); ++i) {
        const std::string id = Expand(modelFields[i], strings);
        if (!id.empty() && MatchingIds(package.hardwareIds, {id}).empty())
          package.hardwareIds.push_back(id);
      }
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
