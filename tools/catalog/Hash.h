#pragma once
// The two digests catalogs hold (FIPS 180-4): SHA-1 for catalogs that Windows before 8 reads,
// SHA-256 for the others.
#include <cstdint>
#include <string>
#include <string_view>

namespace catalog {

enum class Algorithm { kSha1, kSha256 };

class Hasher {
 public:
  explicit Hasher(Algorithm algorithm);
  void Update(std::string_view bytes);
  std::string Final();  // the raw digest: 20 or 32 bytes

 private:
  void Block(const uint8_t* block);
  Algorithm algorithm_;
  uint32_t state_[8];
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t total_ = 0;
};

std::string Digest(Algorithm algorithm, std::string_view bytes);
size_t DigestSize(Algorithm algorithm);
std::string UpperHex(std::string_view bytes);

}  // namespace catalog
