// The catalog reader over any bytes a vendor's folder can hold: it answers or refuses, never reads
// outside them, and what it reads of a catalog it wrote is what went in.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/catalog/Catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (const auto read = catalog::ReadCatalog(bytes)) {
    for (const catalog::Member& member : read->members)
      if (member.digest.size() != catalog::DigestSize(member.algorithm)) std::abort();
    catalog::HasMemberFor(*read, bytes);
    catalog::OsAttributeVersions(read->osAttribute);
  }
  // The same bytes as a member's file (PE or not) and as an OS attribute, written and read back.
  const catalog::Member member = catalog::MemberFor("f.sys", bytes, catalog::Algorithm::kSha256);
  const std::string written = catalog::WriteCatalog({member}, "2:6.1,2:10.0", 0);
  const auto back = catalog::ReadCatalog(written);
  if (!back || back->members.size() != 1 || back->members[0].digest != member.digest ||
      back->members[0].peImage != member.peImage || !catalog::HasMemberFor(*back, bytes))
    std::abort();
  catalog::OsAttributeVersions(bytes);
  return 0;
}
