#pragma once
// The RSA public operation (PKCS#1, RFC 8017 section 5.2.2) that checking a signature needs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace catalog {

// signature^exponent mod modulus, big-endian, as many bytes as the modulus has; nullopt when the
// modulus is no RSA modulus (zero or even) or the signature is not as long as it and below it.
std::optional<std::string> RsaPublic(std::string_view signature, std::string_view modulus,
                                     uint32_t exponent);

}  // namespace catalog
