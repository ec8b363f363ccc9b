#include "os/Guard.h"

#include <cstdint>
#include <initializer_list>

namespace os {
namespace {

// A SID as Windows stores it: revision, count of sub-authorities, authority (6 bytes, big
// endian), then each sub-authority (4 bytes, little endian).
std::string Sid(uint8_t authority, std::initializer_list<uint32_t> parts) {
  std::string sid = {1, static_cast<char>(parts.size()), 0, 0, 0, 0, 0, static_cast<char>(authority)};
  for (const uint32_t part : parts)
    for (int shift = 0; shift < 32; shift += 8) sid += static_cast<char>(part >> shift);
  return sid;
}

uint32_t Number(std::string_view bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = size; i-- > 0;) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// FILE_WRITE_DATA, FILE_APPEND_DATA, FILE_DELETE_CHILD, DELETE, WRITE_DAC, WRITE_OWNER,
// GENERIC_ALL and GENERIC_WRITE.
constexpr uint32_t kChanges = 0x2 | 0x4 | 0x40 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 |
                              0x40000000;

}  // namespace

bool AdministratorsOwner(std::string_view sid) {
  static const std::string owners[] = {
      Sid(5, {32, 544}), Sid(5, {18}),
      Sid(5, {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464})};
  for (const std::string& owner : owners)
    if (sid == owner) return true;
  return false;
}

bool OthersMayChange(std::string_view acl, std::string_view self) {
  static const std::string creatorOwner = Sid(3, {0});
  if (acl.size() < 8) return true;
  const uint32_t count = Number(acl, 4, 2);
  size_t at = 8;
  for (uint32_t ace = 0; ace < count; ++ace) {
    if (at + 4 > acl.size()) return true;
    const uint32_t type = Number(acl, at, 1);
    const uint32_t size = Number(acl, at + 2, 2);
    if (size < 8 || at + size > acl.size()) return true;
    // ACCESS_ALLOWED_ACE and ACCESS_ALLOWED_CALLBACK_ACE: the mask, then the SID. Entries that
    // only pass on to what is made inside count too: the kept program is made inside.
    if ((type == 0 || type == 9) && (Number(acl, at + 4, 4) & kChanges)) {
      const std::string_view sid = acl.substr(at + 8, size - 8);
      const size_t sidSize = sid.size() >= 2 ? 8 + 4 * static_cast<uint8_t>(sid[1]) : 0;
      if (sidSize == 0 || sidSize > sid.size()) return true;
      const std::string_view who = sid.substr(0, sidSize);
      if (!AdministratorsOwner(who) && who != creatorOwner && who != self) return true;
    }
    at += size;
  }
  return false;
}

bool KeptByAdministratorsAlone(const Guard& guard) {
  const bool trustedOwner =
      AdministratorsOwner(guard.owner) || (!guard.self.empty() && guard.owner == guard.self);
  return trustedOwner && guard.acl && !OthersMayChange(*guard.acl, guard.self);
}

}  // namespace os
