#pragma once
// The Authenticode image hash of a PE file: what Windows compares against a catalog member for a
// driver or program, so that signing the file itself (which fills in the checksum and the
// certificate table) leaves its member valid.
#include <optional>
#include <string>
#include <string_view>

#include "tools/catalog/Hash.h"

namespace catalog {

// nullopt when the bytes are no PE image (Windows then hashes the file as it is).
std::optional<std::string> PeImageHash(std::string_view file, Algorithm algorithm);

// The digest Windows looks up in a catalog for these bytes.
std::string FileDigest(std::string_view file, Algorithm algorithm);

}  // namespace catalog
