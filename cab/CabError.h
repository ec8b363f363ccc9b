#pragma once
// The failures the cabinet object reports: a number, where it came from, and a text. They travel
// as plain values: the program is built without exceptions.
#include <cstdint>
#include <optional>
#include <string_view>

namespace cab {

// The object-error base 0x80040000 plus 1956.
inline constexpr int32_t kErrCabNameMissing = static_cast<int32_t>(0x800407A4u);
inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrSubscriptOutOfRange = 9;
inline constexpr uint32_t kErrorInvalidName = 123;  // ERROR_INVALID_NAME

// Source and text are fixed texts of the program (literals or the tables below), never built at
// run time: a failure is then three words that copy for nothing, where two owned strings cost
// every place that makes, moves or drops one.
struct CabError {
  int32_t number;
  std::string_view source;
  std::string_view description;
};

// Empty when the step succeeded.
using MaybeCabError = std::optional<CabError>;

// The text for a Windows error code the cabinet iterator reports; "Unknown error." otherwise.
std::string_view CabinetErrorText(uint32_t code);
// The class's own text for its numbers; "Unknown error." otherwise.
std::string_view CabFileErrorText(int32_t number);

}  // namespace cab
