#include "tools/catalog/PeImage.h"

#include <cstdint>

namespace catalog {
namespace {

uint32_t Read(std::string_view bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = size; i-- > 0;) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

std::optional<std::string> PeImageHash(std::string_view file, Algorithm algorithm) {
  if (file.size() < 0x40 || file.substr(0, 2) != "MZ") return std::nullopt;
  const size_t pe = Read(file, 0x3C, 4);
  // Signature, file header, and the optional header as far as the certificate-table entry.
  if (pe > file.size() || file.size() - pe < 24 + 2) return std::nullopt;
  if (file.substr(pe, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
  const uint32_t magic = Read(file, pe + 24, 2);
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  const size_t wide = magic == 0x20B ? 16 : 0;
  const size_t checksum = pe + 88;
  const size_t directoryCount = pe + 116 + wide;
  const size_t certificateEntry = pe + 152 + wide;
  if (file.size() < certificateEntry + 8) return std::nullopt;
  if (Read(file, directoryCount, 4) < 5) return std::nullopt;
  // The certificate table lies at the end of the file, outside the image; a signature that
  // points elsewhere makes the file no image Windows would hash.
  size_t end = file.size();
  const uint32_t tableAt = Read(file, certificateEntry, 4),
                 tableSize = Read(file, certificateEntry + 4, 4);
  if (tableAt != 0 || tableSize != 0) {
    if (tableAt < certificateEntry + 8 || tableAt > file.size() ||
        tableSize > file.size() - tableAt)
      return std::nullopt;
    end = tableAt;
  }
  Hasher hasher(algorithm);
  hasher.Update(file.substr(0, checksum));
  hasher.Update(file.substr(checksum + 4, certificateEntry - checksum - 4));
  hasher.Update(file.substr(certificateEntry + 8, end - certificateEntry - 8));
  // Signing pads the file to eight bytes before it adds the table: an unsigned file is hashed as
  // it will be once signed.
  if (tableAt == 0 && file.size() % 8) hasher.Update(std::string(8 - file.size() % 8, '\0'));
  return hasher.Final();
}

std::string FileDigest(std::string_view file, Algorithm algorithm) {
  if (auto image = PeImageHash(file, algorithm)) return *image;
  return Digest(algorithm, file);
}

}  // namespace catalog
