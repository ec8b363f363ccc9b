#pragma once
// What stays on the machine after an install so that it can be found and removed: a copy of the
// program without the driver cabinet under the Program Files folder, and one Apps & Features
// entry for the machine that names it and the driver packages the driver installer published.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// A text of the version resource's string table ("ProductName"): UTF-16 letters beyond ASCII
// come back as "?". Empty when the key is missing.
std::string VersionText(std::string_view resource, std::string_view key);

// The published INF names (file names only) the driver installer's log reports, as the
// registry keeps a list: each name with its NUL, then one more NUL. Empty when none.
std::string PublishedInfs(std::string_view logText);

// Two such lists as one: each name once (letter case aside), the earlier list's first.
std::string MergedInfLists(std::string_view earlier, std::string_view now);

// The product's entry under HKEY_LOCAL_MACHINE and its folder under Program Files are both
// named after the product, with the letters a file name may not hold made "_". Empty when the
// program carries no product name.
std::string ProductName();

// After a driver installer run whose return code says installed or in the driver store only, with
// or without a restart: the kept copy, the entry and the packages the run's log names. A run that
// failed or installed nothing registers nothing.
void RegisterProduct(uint32_t returnCode);

// The entry's published INF names as the registry keeps the list; nullopt when the product has no
// entry on this machine (then `missing` is true) or when that cannot be told.
std::optional<std::string> RecordedDriverPackages(bool& missing);

// After a removal of every recorded package: the entry goes, and the kept copy and its folder
// are left to a process of their own (RemoveKeptCopy). False when the entry stays.
bool ForgetProduct();

// Deletes the kept copy once nothing runs from it any more, then its folder; an entry that is
// back (installed again meanwhile) keeps both.
void RemoveKeptCopy();

}  // namespace app
