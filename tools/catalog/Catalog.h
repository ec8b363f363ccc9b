#pragma once
// Driver package catalogs as Windows reads them: a PKCS#7 SignedData whose content is a
// certificate trust list with one member per file (the file's hash, its name, how it is hashed)
// and the catalog's OSAttr naming the Windows versions it serves.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/catalog/Hash.h"

namespace catalog {

struct Member {
  std::string fileName;  // as the File attribute names it
  std::string digest;    // raw; the image hash for PE files
  bool peImage = false;
  Algorithm algorithm = Algorithm::kSha1;
  std::string tag;  // the member's reference tag, the digest in upper-case hex
};

// Whether a signer's signature covers the catalog as it is now. Whom the signer chains to is
// another question, not answered here.
enum class Signature {
  kHolds,
  kBroken,  // the content, the signed attributes or a certificate they chain through changed after
            // signing: Windows refuses it
  kUnreadable,  // not RSA, or the signing certificate is not in the catalog
};

struct Signer {
  std::string subject,
      issuer;  // "CN=..., O=..." of the signing certificate, when the catalog holds it
  Signature signature = Signature::kUnreadable;
};

struct Catalog {
  std::vector<Member> members;
  std::string osAttribute;  // "2:5.1,2:6.0,..." or empty
  bool isSigned = false;    // at least one signer; whether each holds is in `signers`
  std::vector<Signer> signers;
};

// The member for a file with these bytes, hashed as Windows hashes it.
Member MemberFor(const std::string& fileName, std::string_view bytes, Algorithm algorithm);

// An unsigned catalog, ready for a signing tool; byte for byte the same for the same arguments.
std::string WriteCatalog(std::vector<Member> members, const std::string& osAttribute,
                         int64_t unixTime);

// nullopt when the bytes are not a catalog.
std::optional<Catalog> ReadCatalog(std::string_view bytes);

// Whether Windows finds these file bytes in the catalog.
bool HasMemberFor(const Catalog& catalog, std::string_view bytes);

// The versions an OSAttr value names ("2:6.1" is Windows 6.1); entries of other platforms or
// of another form are left out.
std::vector<std::pair<unsigned, unsigned>> OsAttributeVersions(std::string_view osAttribute);

// The OSAttr value for these NT versions; Windows 2000 is written "5.00", as catalogs name it.
std::string OsAttributeFor(const std::vector<std::pair<unsigned, unsigned>>& versions);

// SHA-1 while any served Windows is older than 8 (6.2), which reads no SHA-256 catalog.
Algorithm AlgorithmFor(const std::vector<std::pair<unsigned, unsigned>>& versions);

}  // namespace catalog
