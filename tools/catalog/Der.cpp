#include "tools/catalog/Der.h"

#include <ctime>

namespace catalog::der {

std::optional<Element> Take(std::string_view& input) {
  if (input.size() < 2) return std::nullopt;
  const auto byte = [&](size_t at) { return static_cast<uint8_t>(input[at]); };
  // High tag numbers (low five bits all set) appear nowhere in what is read here.
  if ((byte(0) & 0x1F) == 0x1F) return std::nullopt;
  size_t length = byte(1), header = 2;
  if (length & 0x80) {
    const size_t count = length & 0x7F;
    // Four length bytes give 4 GiB, more than any catalog; 0x80 alone is BER's indefinite form.
    if (count == 0 || count > 4 || input.size() < 2 + count) return std::nullopt;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | byte(2 + i);
    header += count;
  }
  if (length > input.size() - header) return std::nullopt;
  Element element{byte(0), input.substr(header, length), input.substr(0, header + length)};
  input.remove_prefix(header + length);
  return element;
}

std::optional<std::vector<Element>> Children(std::string_view content) {
  std::vector<Element> children;
  while (!content.empty()) {
    const auto child = Take(content);
    if (!child) return std::nullopt;
    children.push_back(*child);
  }
  return children;
}

std::string OidText(std::string_view content) {
  std::string text;
  uint64_t value = 0;
  bool first = true;
  for (size_t i = 0; i < content.size(); ++i) {
    const auto byte = static_cast<uint8_t>(content[i]);
    if (value > (UINT64_MAX >> 7)) return {};
    value = (value << 7) | (byte & 0x7F);
    if (byte & 0x80) {
      if (i + 1 == content.size()) return {};
      continue;
    }
    if (first) {
      const uint64_t arc = value < 80 ? value / 40 : 2;
      text = std::to_string(arc) + "." + std::to_string(value - arc * 40);
      first = false;
    } else {
      text += "." + std::to_string(value);
    }
    value = 0;
  }
  return text;
}

std::string Encode(uint8_t tag, std::string_view content) {
  std::string out(1, static_cast<char>(tag));
  const size_t length = content.size();
  if (length < 0x80) {
    out += static_cast<char>(length);
  } else {
    std::string bytes;
    for (size_t rest = length; rest; rest >>= 8)
      bytes.insert(bytes.begin(), static_cast<char>(rest & 0xFF));
    out += static_cast<char>(0x80 | bytes.size());
    out += bytes;
  }
  out += content;
  return out;
}

std::string Sequence(std::initializer_list<std::string_view> parts) {
  std::string content;
  for (const std::string_view part : parts) content += part;
  return Encode(kSequence, content);
}

std::string Oid(std::string_view dotted) {
  std::vector<uint64_t> arcs;
  uint64_t value = 0;
  for (const char c : dotted) {
    if (c == '.') {
      arcs.push_back(value);
      value = 0;
    } else {
      value = value * 10 + static_cast<uint64_t>(c - '0');
    }
  }
  arcs.push_back(value);
  std::string content;
  const auto base128 = [&](uint64_t arc) {
    std::string bytes(1, static_cast<char>(arc & 0x7F));
    for (arc >>= 7; arc; arc >>= 7)
      bytes.insert(bytes.begin(), static_cast<char>(0x80 | (arc & 0x7F)));
    content += bytes;
  };
  base128(arcs[0] * 40 + arcs[1]);
  for (size_t i = 2; i < arcs.size(); ++i) base128(arcs[i]);
  return Encode(kOid, content);
}

std::string Integer(uint64_t value) {
  std::string bytes;
  do {
    bytes.insert(bytes.begin(), static_cast<char>(value & 0xFF));
    value >>= 8;
  } while (value);
  // A set top bit would make the number negative.
  if (static_cast<uint8_t>(bytes[0]) & 0x80) bytes.insert(bytes.begin(), '\0');
  return Encode(kInteger, bytes);
}

std::string OctetString(std::string_view bytes) {
  return Encode(kOctetString, bytes);
}

std::string BmpString(std::string_view ascii) {
  std::string bytes;
  for (const char c : ascii) {
    bytes += '\0';
    bytes += c;
  }
  return Encode(kBmpString, bytes);
}

std::string Utf16Le(std::string_view ascii) {
  std::string bytes;
  for (const char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

std::string UtcTime(int64_t unixSeconds) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  std::tm parts{};
  gmtime_r(&time, &parts);
  char text[16];
  std::strftime(text, sizeof text, "%y%m%d%H%M%SZ", &parts);
  return Encode(kUtcTime, text);
}

}  // namespace catalog::der
