#include "tools/catalog/Rsa.h"

#include <vector>

namespace catalog {
namespace {

// Numbers as 32-bit limbs, least significant first.
using Number = std::vector<uint32_t>;

Number FromBytes(std::string_view bytes, size_t limbs) {
  Number number(limbs, 0);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const size_t bit = 8 * (bytes.size() - 1 - i);
    if (bit / 32 < limbs)
      number[bit / 32] |= uint32_t{static_cast<uint8_t>(bytes[i])} << (bit % 32);
  }
  return number;
}

bool Below(const Number& a, const Number& b) {
  for (size_t i = a.size(); i-- > 0;)
    if (a[i] != b[i]) return a[i] < b[i];
  return false;
}

// a -= b; the borrow out of the top limb.
uint32_t Subtract(Number& a, const Number& b) {
  uint64_t borrow = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const uint64_t difference = uint64_t{a[i]} - b[i] - borrow;
    a[i] = static_cast<uint32_t>(difference);
    borrow = (difference >> 32) & 1;
  }
  return static_cast<uint32_t>(borrow);
}

// Montgomery multiplication (a * b / 2^(32k) mod n, Koc's CIOS form): schoolbook products with
// the reduction folded in, so no long division is needed. n is odd; a, b < n.
Number Multiply(const Number& a, const Number& b, const Number& n, uint32_t inverse) {
  const size_t k = n.size();
  std::vector<uint64_t> t(k + 2, 0);
  for (size_t i = 0; i < k; ++i) {
    uint64_t carry = 0;
    for (size_t j = 0; j < k; ++j) {
      const uint64_t sum = t[j] + uint64_t{a[j]} * b[i] + carry;
      t[j] = static_cast<uint32_t>(sum);
      carry = sum >> 32;
    }
    uint64_t sum = t[k] + carry;
    t[k] = static_cast<uint32_t>(sum);
    t[k + 1] = sum >> 32;
    const uint32_t m = static_cast<uint32_t>(t[0]) * inverse;
    carry = (t[0] + uint64_t{m} * n[0]) >> 32;
    for (size_t j = 1; j < k; ++j) {
      sum = t[j] + uint64_t{m} * n[j] + carry;
      t[j - 1] = static_cast<uint32_t>(sum);
      carry = sum >> 32;
    }
    sum = t[k] + carry;
    t[k - 1] = static_cast<uint32_t>(sum);
    t[k] = t[k + 1] + (sum >> 32);
  }
  Number result(k);
  for (size_t i = 0; i < k; ++i) result[i] = static_cast<uint32_t>(t[i]);
  if (t[k] || !Below(result, n)) Subtract(result, n);
  return result;
}

}  // namespace

std::optional<std::string> RsaPublic(std::string_view signature, std::string_view modulus,
                                     uint32_t exponent) {
  while (!modulus.empty() && modulus.front() == '\0') modulus.remove_prefix(1);
  if (modulus.empty() || !(modulus.back() & 1)) return std::nullopt;
  const size_t k = (modulus.size() + 3) / 4;
  // A signature is exactly as long as the modulus (RFC 8017 section 8.2.2), as OpenSSL holds too.
  if (signature.size() != modulus.size()) return std::nullopt;
  const Number n = FromBytes(modulus, k), s = FromBytes(signature, k);
  if (!Below(s, n)) return std::nullopt;
  // -1/n mod 2^32 by Newton's iteration: each step doubles the bits that are right.
  uint32_t inverse = n[0];
  for (int i = 0; i < 5; ++i) inverse *= 2 - n[0] * inverse;
  inverse = 0 - inverse;
  // 2^(64k) mod n, which takes numbers into Montgomery form, by doubling 1 that many times.
  Number r2(k, 0);
  r2[0] = 1;
  for (size_t i = 0; i < 64 * k; ++i) {
    uint32_t carry = 0;
    for (uint32_t& limb : r2) {
      const uint32_t next = limb >> 31;
      limb = (limb << 1) | carry;
      carry = next;
    }
    if (carry || !Below(r2, n)) Subtract(r2, n);
  }
  Number one(k, 0);
  one[0] = 1;
  const Number base = Multiply(s, r2, n, inverse);
  Number result = Multiply(one, r2, n, inverse);
  for (int bit = 31; bit >= 0; --bit) {
    result = Multiply(result, result, n, inverse);
    if ((exponent >> bit) & 1) result = Multiply(result, base, n, inverse);
  }
  result = Multiply(result, one, n, inverse);
  std::string bytes(modulus.size(), '\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    const size_t bit = 8 * (bytes.size() - 1 - i);
    bytes[i] = static_cast<char>(result[bit / 32] >> (bit % 32));
  }
  return bytes;
}

}  // namespace catalog
