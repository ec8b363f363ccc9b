#pragma once
// Which of two drivers Windows would rather give a device, by the rules Microsoft documents for
// choosing among drivers: a signed driver before an unsigned one, then the later date, then the
// higher version.
#include <string>
#include <string_view>

namespace dpinst {

struct DriverOffer {
  bool isSigned = false;
  std::string provider;
  std::string date;     // as written: "09/30/2026" in an INF, "9-30-2026" in a driver key
  std::string version;  // "1.4.0.930"
};

// A driver date as the number yyyymmdd; 0 when the text is not a month, a day and a year.
unsigned long DateNumber(std::string_view date);

// Above 0: `a` is the better driver; 0: neither is; below 0: `b` is. A date or version that
// cannot be read ranks below every one that can.
int CompareOffers(const DriverOffer& a, const DriverOffer& b);

// "Norvane 1.4.0.930 of 09/30/2026, signed" for the log.
std::string Describe(const DriverOffer& offer);

}  // namespace dpinst
