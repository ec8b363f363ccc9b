#include "tools/dpinst/DriverRank.h"

#include <array>
#include <compare>

namespace dpinst {
namespace {

// Up to `count` numbers separated by any of `separators`; false when a part is empty, not a
// number or too large, or there are more parts than `count`.
template <size_t count>
bool ReadNumbers(std::string_view text, std::string_view separators,
                 std::array<unsigned long, count>& numbers) {
  numbers = {};
  size_t part = 0;
  bool digits = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      numbers[part] = numbers[part] * 10 + static_cast<unsigned long>(c - '0');
      if (numbers[part] > 65535) return false;
      digits = true;
    } else if (separators.find(c) != std::string_view::npos && digits && part + 1 < count) {
      ++part;
      digits = false;
    } else if (c != ' ') {
      return false;
    }
  }
  return digits;
}

}  // namespace

unsigned long DateNumber(std::string_view date) {
  std::array<unsigned long, 3> parts;
  if (!ReadNumbers(date, "/-", parts)) return 0;
  const auto [month, day, year] = parts;
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1000) return 0;
  return year * 10000 + month * 100 + day;
}

int CompareOffers(const DriverOffer& a, const DriverOffer& b) {
  if (a.isSigned != b.isSigned) return a.isSigned ? 1 : -1;
  const auto byDate = DateNumber(a.date) <=> DateNumber(b.date);
  if (byDate != 0) return byDate > 0 ? 1 : -1;
  // A version gives its four parts from the left; missing parts count 0, as in Windows.
  std::array<unsigned long, 4> left, right;
  const bool readA = ReadNumbers(a.version, ".", left);
  const bool readB = ReadNumbers(b.version, ".", right);
  if (!readA || !readB) return readA == readB ? 0 : readA ? 1 : -1;
  const auto byVersion = left <=> right;
  return byVersion == 0 ? 0 : byVersion > 0 ? 1 : -1;
}

std::string Describe(const DriverOffer& offer) {
  return (offer.provider.empty() ? "" : offer.provider + " ") +
         (offer.version.empty() ? "(no version)" : offer.version) + " of " +
         (offer.date.empty() ? "(no date)" : offer.date) +
         (offer.isSigned ? ", signed" : ", unsigned");
}

}  // namespace dpinst
