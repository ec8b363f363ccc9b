#pragma once
// The subset of DER (ITU-T X.690) that catalogs and their signatures use: definite lengths only,
// single-byte tags, every length checked against the bytes that hold it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace catalog::der {

enum Tag : uint8_t {
  kInteger = 0x02,
  kBitString = 0x03,
  kOctetString = 0x04,
  kNull = 0x05,
  kOid = 0x06,
  kUtf8String = 0x0C,
  kPrintableString = 0x13,
  kIa5String = 0x16,
  kUtcTime = 0x17,
  kGeneralizedTime = 0x18,
  kBmpString = 0x1E,
  kSequence = 0x30,
  kSet = 0x31,
  kContext0 = 0xA0,  // [0] constructed
};

struct Element {
  uint8_t tag = 0;
  std::string_view content;
  std::string_view whole;  // tag, length and content
};

// Takes the first element off `input`; nullopt (input left as it was) when the bytes are not one.
std::optional<Element> Take(std::string_view& input);
// The elements inside a constructed element's content, or nullopt when any is malformed.
std::optional<std::vector<Element>> Children(std::string_view content);
// "1.3.6.1.4.1.311.12.1.1" from an OID's content; empty when malformed.
std::string OidText(std::string_view content);

// Writing.
std::string Encode(uint8_t tag, std::string_view content);
std::string Sequence(std::initializer_list<std::string_view> parts);
std::string Oid(std::string_view dotted);
std::string Integer(uint64_t value);
std::string OctetString(std::string_view bytes);
std::string BmpString(std::string_view ascii);  // UTF-16BE, as BMPString is
std::string Utf16Le(std::string_view ascii);    // the byte order catalogs keep names in
std::string UtcTime(int64_t unixSeconds);

}  // namespace catalog::der
