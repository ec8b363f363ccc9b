#include "os/Guard.h"

#include <cstdint>

namespace os {
namespace {

// SIDs as Windows stores them: revision, count of sub-authorities, authority (6 bytes, big
// endian), then each sub-authority (4 bytes, little endian).
constexpr std::string_view kAdministrators{"\1\2\0\0\0\0\0\5\x20\0\0\0\x20\2\0\0", 16};
constexpr std::string_view kSystem{"\1\1\0\0\0\0\0\5\x12\0\0\0", 12};
constexpr std::string_view kTrustedInstaller{
    "\1\6\0\0\0\0\0\5\x50\0\0\0\xb5\x89\xfb\x38\x19\x84\xc2\xcb\x5c\x6c\x23\x6d\x57\0\x77\x6e\xc0"
    "\2\x64\x87",
    32};
constexpr std::string_view kCreatorOwner{"\1\1\0\0\0\0\0\3\0\0\0\0", 12};

uint32_t Number(std::string_view bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = size; i-- > 0;) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// FILE_WRITE_DATA, FILE_APPEND_DATA, FILE_DELETE_CHILD, DELETE, WRITE_DAC, WRITE_OWNER,
// GENERIC_ALL and GENERIC_WRITE; for a registry key the first two are KEY_SET_VALUE and
// KEY_CREATE_SUB_KEY.
constexpr uint32_t kChanges =
    0x2 | 0x4 | 0x40 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;

bool OthersMayChange(std::string_view acl, std::string_view self) {
  if (acl.size() < 8) return true;
  size_t at = 8;
  for (uint32_t count = Number(acl, 4, 2); count > 0; --count) {
    if (at + 8 > acl.size()) return true;
    const uint32_t size = Number(acl, at + 2, 2);
    if (size < 8 || at + size > acl.size()) return true;
    // ACCESS_ALLOWED_ACE and ACCESS_ALLOWED_CALLBACK_ACE: the mask, then the SID.
    const uint8_t type = acl[at];
    if ((type == 0 || type == 9) && (Number(acl, at + 4, 4) & kChanges)) {
      // The entry's size was checked against the list's: no bounds to check again.
      const size_t sidSize = size >= 10 ? 8 + 4 * static_cast<uint8_t>(acl[at + 9]) : size;
      if (8 + sidSize > size) return true;
      const std::string_view who(acl.data() + at + 8, sidSize);
      if (!AdministratorsOwner(who) && who != kCreatorOwner && who != self) return true;
    }
    at += size;
  }
  return false;
}

}  // namespace

bool AdministratorsOrSystem(std::string_view sid) {
  return sid == kAdministrators || sid == kSystem;
}

bool AdministratorsOwner(std::string_view sid) {
  return AdministratorsOrSystem(sid) || sid == kTrustedInstaller;
}

bool KeptByAdministratorsAlone(const Guard& guard) {
  const bool trustedOwner =
      AdministratorsOwner(guard.owner) || (!guard.self.empty() && guard.owner == guard.self);
  return trustedOwner && guard.acl && !OthersMayChange(*guard.acl, guard.self);
}

}  // namespace os
