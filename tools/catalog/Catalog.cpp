#include "tools/catalog/Catalog.h"

#include <algorithm>

#include "tools/catalog/Der.h"
#include "tools/catalog/PeImage.h"
#include "tools/catalog/Rsa.h"

namespace catalog {
namespace {

using der::Element;

constexpr char kSignedData[] = "1.2.840.113549.1.7.2";
constexpr char kCtl[] = "1.3.6.1.4.1.311.10.1";
constexpr char kCatalogList[] = "1.3.6.1.4.1.311.12.1.1";
constexpr char kMemberListV1[] = "1.3.6.1.4.1.311.12.1.2";
constexpr char kMemberListV2[] = "1.3.6.1.4.1.311.12.1.3";
constexpr char kNameValue[] = "1.3.6.1.4.1.311.12.2.1";
constexpr char kMemberInfo[] = "1.3.6.1.4.1.311.12.2.2";
constexpr char kIndirectData[] = "1.3.6.1.4.1.311.2.1.4";
constexpr char kPeImageData[] = "1.3.6.1.4.1.311.2.1.15";
constexpr char kFlatData[] = "1.3.6.1.4.1.311.2.1.25";
constexpr char kSha1[] = "1.3.14.3.2.26";
constexpr char kSha256[] = "2.16.840.1.101.3.4.2.1";
constexpr char kMessageDigest[] = "1.2.840.113549.1.9.4";
// Signers name the key's algorithm or the pair of digest and key; both are RSA here.
constexpr const char* kRsa[] = {"1.2.840.113549.1.1.1", "1.2.840.113549.1.1.5",
                                "1.2.840.113549.1.1.11"};
// The subject interface packages Windows hashes a member with: PE images, and files as they are.
constexpr char kPeSubject[] = "{C689AAB8-8E78-11D0-8C47-00C04FC295EE}";
constexpr char kFlatSubject[] = "{DE351A42-8E59-11D0-8C47-00C04FC295EE}";
// CRYPTCAT_ATTR_AUTHENTICATED | CRYPTCAT_ATTR_DATAASCII | CRYPTCAT_ATTR_NAMEASCII
constexpr uint64_t kTextAttribute = 0x10010001;

std::string AlgorithmId(Algorithm algorithm) {
  return der::Sequence(
      {der::Oid(algorithm == Algorithm::kSha1 ? kSha1 : kSha256), der::Encode(der::kNull, "")});
}

std::string Attribute(std::string_view oid, std::string_view value) {
  return der::Sequence({der::Oid(oid), der::Encode(der::kSet, value)});
}

std::string NameValue(std::string_view name, std::string_view value) {
  return der::Sequence({der::BmpString(name), der::Integer(kTextAttribute),
                        der::OctetString(der::Utf16Le(std::string(value) + '\0'))});
}

std::string SortedSet(std::vector<std::string> parts) {
  std::sort(parts.begin(), parts.end());
  std::string content;
  for (const std::string& part : parts) content += part;
  return der::Encode(der::kSet, content);
}

std::string MemberEntry(const Member& member) {
  // "<<<Obsolete>>>" in the link is what every signing tool writes there.
  const std::string obsolete =
      der::Encode(0xA2, der::Encode(0x80, der::BmpString("<<<Obsolete>>>").substr(2)));
  const std::string data =
      member.peImage
          ? der::Sequence({der::Oid(kPeImageData),
                           der::Sequence({der::Encode(der::kBitString, std::string(1, '\0')),
                                          der::Encode(der::kContext0, obsolete)})})
          : der::Sequence({der::Oid(kFlatData), obsolete});
  const std::string indirect = der::Sequence(
      {data, der::Sequence({AlgorithmId(member.algorithm), der::OctetString(member.digest)})});
  const std::string info = der::Sequence(
      {der::BmpString(member.peImage ? kPeSubject : kFlatSubject), der::Integer(512)});
  return der::Sequence(
      {der::OctetString(der::Utf16Le(member.tag)),
       SortedSet({Attribute(kNameValue, NameValue("File", member.fileName)),
                  Attribute(kMemberInfo, info), Attribute(kIndirectData, indirect)})});
}

std::string Text(const Element& value) {
  if (value.tag != der::kBmpString) return std::string(value.content);
  std::string text;
  for (size_t i = 0; i + 1 < value.content.size(); i += 2) {
    const char high = value.content[i], low = value.content[i + 1];
    text += high == 0 && low != 0 ? low : '?';
  }
  return text;
}

std::string FromUtf16Le(std::string_view bytes) {
  std::string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] == 0 && bytes[i + 1] == 0) break;
    text += bytes[i + 1] == 0 ? bytes[i] : '?';
  }
  return text;
}

// "CN=..., O=..." of an X.501 name, with the attributes a person recognises a signer by.
std::string NameText(const Element& name) {
  std::string text;
  const auto sets = der::Children(name.content);
  if (!sets) return text;
  for (const Element& set : *sets) {
    const auto pairs = der::Children(set.content);
    if (!pairs) continue;
    for (const Element& pair : *pairs) {
      const auto parts = der::Children(pair.content);
      if (!parts || parts->size() != 2 || (*parts)[0].tag != der::kOid) continue;
      const std::string oid = der::OidText((*parts)[0].content);
      const char* key = oid == "2.5.4.3"    ? "CN"
                        : oid == "2.5.4.10" ? "O"
                        : oid == "2.5.4.11" ? "OU"
                        : oid == "2.5.4.6"  ? "C"
                                            : nullptr;
      if (key) text += (text.empty() ? "" : ", ") + std::string(key) + "=" + Text((*parts)[1]);
    }
  }
  return text;
}

std::optional<std::vector<Element>> ChildrenOf(const Element& element, uint8_t tag) {
  if (element.tag != tag) return std::nullopt;
  return der::Children(element.content);
}

// A member's attributes: its name, and the hash with how it was taken.
std::optional<Member> ReadMember(const Element& subject) {
  const auto parts = ChildrenOf(subject, der::kSequence);
  if (!parts || parts->size() != 2 || (*parts)[0].tag != der::kOctetString) return std::nullopt;
  Member member;
  member.tag = FromUtf16Le((*parts)[0].content);
  const auto attributes = ChildrenOf((*parts)[1], der::kSet);
  if (!attributes) return std::nullopt;
  bool hashed = false;
  for (const Element& attribute : *attributes) {
    const auto fields = ChildrenOf(attribute, der::kSequence);
    if (!fields || fields->size() != 2 || (*fields)[0].tag != der::kOid) return std::nullopt;
    const auto values = ChildrenOf((*fields)[1], der::kSet);
    if (!values || values->size() != 1) return std::nullopt;
    const std::string oid = der::OidText((*fields)[0].content);
    const auto value = ChildrenOf((*values)[0], der::kSequence);
    if (!value) continue;
    if (oid == kNameValue && value->size() == 3 && Text((*value)[0]) == "File") {
      member.fileName = FromUtf16Le((*value)[2].content);
    } else if (oid == kIndirectData && value->size() == 2) {
      const auto data = ChildrenOf((*value)[0], der::kSequence);
      const auto digestInfo = ChildrenOf((*value)[1], der::kSequence);
      if (!data || data->empty() || (*data)[0].tag != der::kOid || !digestInfo ||
          digestInfo->size() != 2 || (*digestInfo)[1].tag != der::kOctetString)
        return std::nullopt;
      const auto algorithm = ChildrenOf((*digestInfo)[0], der::kSequence);
      if (!algorithm || algorithm->empty() || (*algorithm)[0].tag != der::kOid) return std::nullopt;
      const std::string algorithmOid = der::OidText((*algorithm)[0].content);
      if (algorithmOid == kSha1)
        member.algorithm = Algorithm::kSha1;
      else if (algorithmOid == kSha256)
        member.algorithm = Algorithm::kSha256;
      else
        continue;  // a hash Windows would not take either
      member.digest = std::string((*digestInfo)[1].content);
      member.peImage = der::OidText((*data)[0].content) == kPeImageData;
      hashed = member.digest.size() == DigestSize(member.algorithm);
    }
  }
  if (!hashed) return std::nullopt;
  return member;
}

// The certificate-trust-list extensions hold the catalog's own attributes.
std::string ReadOsAttribute(const Element& extensions) {
  const auto wrapped = ChildrenOf(extensions, der::kContext0);
  if (!wrapped || wrapped->size() != 1) return {};
  const auto list = ChildrenOf((*wrapped)[0], der::kSequence);
  if (!list) return {};
  for (const Element& extension : *list) {
    const auto fields = ChildrenOf(extension, der::kSequence);
    if (!fields || fields->size() < 2 || (*fields)[0].tag != der::kOid ||
        der::OidText((*fields)[0].content) != kNameValue || fields->back().tag != der::kOctetString)
      continue;
    std::string_view inner = fields->back().content;
    const auto value = der::Take(inner);
    if (!value) continue;
    const auto parts = ChildrenOf(*value, der::kSequence);
    if (parts && parts->size() == 3 && Text((*parts)[0]) == "OSAttr")
      return FromUtf16Le((*parts)[2].content);
  }
  return {};
}

std::optional<Algorithm> DigestAlgorithm(const Element& identifier) {
  const auto parts = ChildrenOf(identifier, der::kSequence);
  if (!parts || parts->empty() || (*parts)[0].tag != der::kOid) return std::nullopt;
  const std::string oid = der::OidText((*parts)[0].content);
  if (oid == kSha1) return Algorithm::kSha1;
  if (oid == kSha256) return Algorithm::kSha256;
  return std::nullopt;
}

// The RSA key of a certificate's subjectPublicKeyInfo as (modulus, exponent); nullopt for a key of
// another algorithm, an empty modulus for an RSA key that does not parse.
std::optional<std::pair<std::string_view, uint32_t>> RsaKey(const Element& keyInfo) {
  const auto parts = ChildrenOf(keyInfo, der::kSequence);
  const auto algorithm =
      parts && parts->size() == 2 ? ChildrenOf((*parts)[0], der::kSequence) : std::nullopt;
  if (!algorithm || algorithm->empty() || (*algorithm)[0].tag != der::kOid ||
      der::OidText((*algorithm)[0].content) != kRsa[0])
    return std::nullopt;
  const std::pair<std::string_view, uint32_t> broken{{}, 0};
  std::string_view bits = (*parts)[1].content;
  if ((*parts)[1].tag != der::kBitString || bits.empty() || bits[0] != '\0') return broken;
  bits.remove_prefix(1);
  const auto key = der::Take(bits);
  const auto numbers = key && bits.empty() ? ChildrenOf(*key, der::kSequence) : std::nullopt;
  if (!numbers || numbers->size() != 2 || (*numbers)[0].tag != der::kInteger ||
      (*numbers)[1].tag != der::kInteger)
    return broken;
  std::string_view exponent = (*numbers)[1].content;
  while (!exponent.empty() && exponent.front() == '\0') exponent.remove_prefix(1);
  // CryptoAPI keeps the public exponent in a DWORD (RSAPUBKEY.pubexp).
  if (exponent.size() > 4) return std::nullopt;
  uint32_t value = 0;
  for (const char byte : exponent) value = (value << 8) | static_cast<uint8_t>(byte);
  return std::pair((*numbers)[0].content, value);
}

// An RSA signature (EMSA-PKCS1-v1_5, RFC 8017 section 9.2: 00 01, FF padding, 00, then the
// DigestInfo) of `digest` with the key of the certificate whose parts are `tbs`.
Signature RsaSignature(std::string_view signature, const std::vector<Element>& tbs,
                       Algorithm algorithm, const std::string& digest) {
  const size_t first = !tbs.empty() && tbs[0].tag == der::kContext0 ? 1 : 0;
  if (tbs.size() < first + 7) return Signature::kUnreadable;
  const auto key = RsaKey(tbs[first + 5]);
  // 16384 bits is the largest RSA key CryptoAPI takes.
  if (!key || key->first.size() > 16384 / 8 + 1) return Signature::kUnreadable;
  const auto message = RsaPublic(signature, key->first, key->second);
  const std::string digestInfo = der::Sequence({AlgorithmId(algorithm), der::OctetString(digest)});
  if (!message || message->size() < digestInfo.size() + 11) return Signature::kBroken;
  const std::string expected = std::string("\0\1", 2) +
                               std::string(message->size() - digestInfo.size() - 3, '\xFF') +
                               std::string(1, '\0') + digestInfo;
  return *message == expected ? Signature::kHolds : Signature::kBroken;
}

// A signer's signature over the content's DER value (without its own tag and length, as PKCS#7
// hashes content that is not plain data) with the certificate's key; `tbs` is the parts of the
// certificate the signer names, null when the catalog lacks it.
Signature Verify(const std::vector<Element>& fields, const std::vector<Element>* tbs,
                 std::string_view content) {
  if (fields.size() < 5) return Signature::kUnreadable;
  const auto algorithm = DigestAlgorithm(fields[2]);
  if (!algorithm) return Signature::kUnreadable;
  const bool attributed = fields[3].tag == der::kContext0;
  if (fields.size() < (attributed ? 6u : 5u)) return Signature::kUnreadable;
  const Element& keyAlgorithm = fields[attributed ? 4 : 3];
  const Element& value = fields[attributed ? 5 : 4];
  std::string signedDigest = Digest(*algorithm, content);
  if (attributed) {
    // The attributes are signed as the SET OF they are, not under the [0] they are sent in.
    const auto attributes = der::Children(fields[3].content);
    if (!attributes) return Signature::kBroken;
    bool digestMatches = false;
    for (const Element& attribute : *attributes) {
      const auto parts = ChildrenOf(attribute, der::kSequence);
      if (!parts || parts->size() != 2 || (*parts)[0].tag != der::kOid ||
          der::OidText((*parts)[0].content) != kMessageDigest)
        continue;
      const auto values = ChildrenOf((*parts)[1], der::kSet);
      digestMatches = values && values->size() == 1 && (*values)[0].tag == der::kOctetString &&
                      (*values)[0].content == signedDigest;
    }
    if (!digestMatches) return Signature::kBroken;
    signedDigest = Digest(*algorithm, der::Encode(der::kSet, fields[3].content));
  }
  // The content digest is checked whatever the key; the signature over it only with RSA.
  const auto keyParts = ChildrenOf(keyAlgorithm, der::kSequence);
  if (!keyParts || keyParts->empty() || (*keyParts)[0].tag != der::kOid ||
      std::find(std::begin(kRsa), std::end(kRsa), der::OidText((*keyParts)[0].content)) ==
          std::end(kRsa) ||
      value.tag != der::kOctetString)
    return Signature::kUnreadable;
  if (!tbs) return Signature::kUnreadable;
  return RsaSignature(value.content, *tbs, *algorithm, signedDigest);
}

// The signing certificate and each issuer above it that the catalog carries, up to a certificate
// that issued itself: a certificate whose own signature no longer holds breaks the chain Windows
// builds. An issuer the catalog does not carry is Windows' own store's business.
Signature VerifyChain(const std::vector<Element>& certificates, const Element* signing) {
  for (size_t depth = 0; signing && depth < certificates.size(); ++depth) {
    const auto parts = ChildrenOf(*signing, der::kSequence);
    const auto tbs = parts && parts->size() == 3 ? ChildrenOf((*parts)[0], der::kSequence)
                                                 : std::nullopt;
    const size_t first = tbs && !tbs->empty() && (*tbs)[0].tag == der::kContext0 ? 1 : 0;
    if (!tbs || tbs->size() < first + 6) return Signature::kBroken;
    const Element& issuerName = (*tbs)[first + 2];
    const Element* issuer = nullptr;
    std::optional<std::vector<Element>> issuerTbs;
    for (const Element& candidate : certificates) {
      const auto candidateParts = ChildrenOf(candidate, der::kSequence);
      auto candidateTbs = candidateParts && !candidateParts->empty()
                              ? ChildrenOf((*candidateParts)[0], der::kSequence)
                              : std::nullopt;
      const size_t at = candidateTbs && !candidateTbs->empty() &&
                                (*candidateTbs)[0].tag == der::kContext0 ? 1 : 0;
      if (candidateTbs && candidateTbs->size() >= at + 6 &&
          (*candidateTbs)[at + 4].whole == issuerName.whole) {
        issuer = &candidate;
        issuerTbs = std::move(candidateTbs);
        break;
      }
    }
    if (!issuer) return Signature::kHolds;
    const auto signatureAlgorithm = ChildrenOf((*parts)[1], der::kSequence);
    const std::string oid = signatureAlgorithm && !signatureAlgorithm->empty()
                                ? der::OidText((*signatureAlgorithm)[0].content)
                                : std::string();
    std::string_view bits = (*parts)[2].content;
    if ((oid != kRsa[1] && oid != kRsa[2]) || (*parts)[2].tag != der::kBitString ||
        bits.empty() || bits[0] != '\0')
      return Signature::kUnreadable;
    bits.remove_prefix(1);
    const Algorithm algorithm = oid == kRsa[1] ? Algorithm::kSha1 : Algorithm::kSha256;
    const Signature held =
        RsaSignature(bits, *issuerTbs, algorithm, Digest(algorithm, (*parts)[0].whole));
    if (held != Signature::kHolds || issuer == signing) return held;
    signing = issuer;
  }
  return Signature::kHolds;
}

// Each signer by the certificate its issuer and serial number name, when the catalog carries it,
// and whether its signature holds for `content`.
std::vector<Signer> ReadSigners(const std::vector<Element>& signerInfos,
                                const std::vector<Element>& certificates,
                                std::string_view content) {
  std::vector<Signer> signers;
  for (const Element& info : signerInfos) {
    const auto fields = ChildrenOf(info, der::kSequence);
    if (!fields || fields->size() < 2) continue;
    const auto issuerAndSerial = ChildrenOf((*fields)[1], der::kSequence);
    Signer signer;
    std::optional<std::vector<Element>> signing;
    const Element* signingCertificate = nullptr;
    for (const Element& certificate : certificates) {
      const auto parts = ChildrenOf(certificate, der::kSequence);
      const auto tbs =
          parts && !parts->empty() ? ChildrenOf((*parts)[0], der::kSequence) : std::nullopt;
      if (!tbs) continue;
      const size_t first = !tbs->empty() && (*tbs)[0].tag == der::kContext0 ? 1 : 0;
      if (tbs->size() < first + 6 || !issuerAndSerial || issuerAndSerial->size() != 2) continue;
      if ((*tbs)[first].whole != (*issuerAndSerial)[1].whole ||
          (*tbs)[first + 2].whole != (*issuerAndSerial)[0].whole)
        continue;
      signer.issuer = NameText((*tbs)[first + 2]);
      signer.subject = NameText((*tbs)[first + 4]);
      signing = tbs;
      signingCertificate = &certificate;
    }
    signer.signature = Verify(*fields, signing ? &*signing : nullptr, content);
    if (signer.signature == Signature::kHolds)
      signer.signature = VerifyChain(certificates, signingCertificate);
    signers.push_back(signer);
  }
  return signers;
}

}  // namespace

Member MemberFor(const std::string& fileName, std::string_view bytes, Algorithm algorithm) {
  Member member;
  member.fileName = fileName;
  member.algorithm = algorithm;
  const auto image = PeImageHash(bytes, algorithm);
  member.peImage = image.has_value();
  member.digest = image ? *image : Digest(algorithm, bytes);
  member.tag = UpperHex(member.digest);
  return member;
}

std::string WriteCatalog(std::vector<Member> members, const std::string& osAttribute,
                         int64_t unixTime) {
  std::sort(members.begin(), members.end(),
            [](const Member& a, const Member& b) { return a.tag < b.tag; });
  const bool sha1 = members.empty() || members.front().algorithm == Algorithm::kSha1;
  std::string subjects;
  for (const Member& member : members) subjects += MemberEntry(member);
  std::string extensions;
  if (!osAttribute.empty())
    extensions = der::Encode(
        der::kContext0,
        der::Sequence({der::Sequence(
            {der::Oid(kNameValue), der::OctetString(NameValue("OSAttr", osAttribute))})}));
  // The list's identifier comes from what it lists, so that the same package gives the same bytes.
  const std::string identifier = Digest(Algorithm::kSha1, subjects + osAttribute).substr(0, 16);
  const std::string ctl = der::Sequence(
      {der::Sequence({der::Oid(kCatalogList)}), der::OctetString(identifier),
       der::UtcTime(unixTime),
       der::Sequence({der::Oid(sha1 ? kMemberListV1 : kMemberListV2), der::Encode(der::kNull, "")}),
       der::Encode(der::kSequence, subjects), extensions});
  const std::string signedData = der::Sequence(
      {der::Integer(1),
       der::Encode(der::kSet, AlgorithmId(sha1 ? Algorithm::kSha1 : Algorithm::kSha256)),
       der::Sequence({der::Oid(kCtl), der::Encode(der::kContext0, ctl)}),
       der::Encode(der::kSet, "")});
  return der::Sequence({der::Oid(kSignedData), der::Encode(der::kContext0, signedData)});
}

std::optional<Catalog> ReadCatalog(std::string_view bytes) {
  const auto outer = der::Take(bytes);
  if (!outer || !bytes.empty()) return std::nullopt;
  const auto contentInfo = ChildrenOf(*outer, der::kSequence);
  if (!contentInfo || contentInfo->size() != 2 || (*contentInfo)[0].tag != der::kOid ||
      der::OidText((*contentInfo)[0].content) != kSignedData)
    return std::nullopt;
  const auto wrapped = ChildrenOf((*contentInfo)[1], der::kContext0);
  if (!wrapped || wrapped->size() != 1) return std::nullopt;
  const auto signedData = ChildrenOf((*wrapped)[0], der::kSequence);
  if (!signedData || signedData->size() < 4) return std::nullopt;
  const auto encapsulated = ChildrenOf((*signedData)[2], der::kSequence);
  if (!encapsulated || encapsulated->size() != 2 || (*encapsulated)[0].tag != der::kOid ||
      der::OidText((*encapsulated)[0].content) != kCtl)
    return std::nullopt;
  const auto ctlWrapped = ChildrenOf((*encapsulated)[1], der::kContext0);
  if (!ctlWrapped || ctlWrapped->size() != 1) return std::nullopt;
  const auto ctl = ChildrenOf((*ctlWrapped)[0], der::kSequence);
  if (!ctl) return std::nullopt;
  // subjectUsage first; the version before it is optional.
  size_t at = !ctl->empty() && (*ctl)[0].tag == der::kInteger ? 1 : 0;
  const auto usage = at < ctl->size() ? ChildrenOf((*ctl)[at], der::kSequence) : std::nullopt;
  if (!usage || usage->empty() || (*usage)[0].tag != der::kOid ||
      der::OidText((*usage)[0].content) != kCatalogList)
    return std::nullopt;
  Catalog catalog;
  for (++at; at < ctl->size(); ++at) {
    const Element& field = (*ctl)[at];
    if (field.tag == der::kContext0) {
      catalog.osAttribute = ReadOsAttribute(field);
      continue;
    }
    // The subjects are the one SEQUENCE of SEQUENCEs; the algorithm is a SEQUENCE led by an OID.
    const auto list = ChildrenOf(field, der::kSequence);
    if (!list || (!list->empty() && (*list)[0].tag != der::kSequence)) continue;
    for (const Element& subject : *list)
      if (auto member = ReadMember(subject)) catalog.members.push_back(*member);
  }
  std::vector<Element> certificates, signerInfos;
  for (size_t i = 3; i < signedData->size(); ++i) {
    const Element& field = (*signedData)[i];
    const auto children = der::Children(field.content);
    if (!children) return std::nullopt;
    if (field.tag == der::kContext0) certificates = *children;
    if (field.tag == der::kSet) signerInfos = *children;
  }
  catalog.isSigned = !signerInfos.empty();
  catalog.signers = ReadSigners(signerInfos, certificates, (*ctlWrapped)[0].content);
  return catalog;
}

bool HasMemberFor(const Catalog& catalog, std::string_view bytes) {
  std::optional<std::string> sha1, sha256;
  for (const Member& member : catalog.members) {
    std::optional<std::string>& digest = member.algorithm == Algorithm::kSha1 ? sha1 : sha256;
    if (!digest) digest = FileDigest(bytes, member.algorithm);
    if (*digest == member.digest) return true;
  }
  return false;
}

std::vector<std::pair<unsigned, unsigned>> OsAttributeVersions(std::string_view osAttribute) {
  std::vector<std::pair<unsigned, unsigned>> versions;
  while (!osAttribute.empty()) {
    const size_t comma = osAttribute.find(',');
    std::string_view entry = osAttribute.substr(0, comma);
    osAttribute =
        comma == std::string_view::npos ? std::string_view() : osAttribute.substr(comma + 1);
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    if (!entry.starts_with("2:")) continue;
    entry.remove_prefix(2);
    const size_t dot = entry.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == entry.size() || dot > 4 ||
        entry.size() - dot > 5)
      continue;
    unsigned major = 0, minor = 0;
    bool digits = true;
    for (const char c : entry.substr(0, dot)) {
      digits = digits && c >= '0' && c <= '9';
      major = major * 10 + static_cast<unsigned>(c - '0');
    }
    for (const char c : entry.substr(dot + 1)) {
      digits = digits && c >= '0' && c <= '9';
      minor = minor * 10 + static_cast<unsigned>(c - '0');
    }
    if (digits) versions.emplace_back(major, minor);
  }
  return versions;
}

std::string OsAttributeFor(const std::vector<std::pair<unsigned, unsigned>>& versions) {
  std::string text;
  for (const auto& [major, minor] : versions)
    text += (text.empty() ? "2:" : ",2:") + std::to_string(major) + "." +
            (major == 5 && minor == 0 ? "00" : std::to_string(minor));
  return text;
}

Algorithm AlgorithmFor(const std::vector<std::pair<unsigned, unsigned>>& versions) {
  for (const auto& version : versions)
    if (version < std::make_pair(6u, 2u)) return Algorithm::kSha1;
  return Algorithm::kSha256;
}

}  // namespace catalog
