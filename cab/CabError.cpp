#include "cab/CabError.h"

#include <iterator>
#include <utility>

namespace cab {
namespace {

// Codes and texts in two arrays, a row's code and text at the same place: the codes all fit a
// byte, so the table is a quarter of the size of one kept as pairs.
constexpr uint8_t kCabinetErrorCodes[] = {2,  3,  4,  5,  8,  13, 14, 15, 19, 20,  21,  23, 25,
                                          26, 27, 29, 30, 31, 32, 33, 39, 82, 111, 112, 123};
constexpr const char* kCabinetErrorTexts[] = {
    "The system cannot find the file specified.",
    "The system cannot find the path specified.",
    "The system cannot open the file.",
    "Access is denied.",
    "Not enough storage is available to process this command.",
    "Invalid data.",
    "Not enough storage is available to complete this operation.",
    "The system cannot find the drive specified.",
    "The media is write protected.",
    "The system cannot find the device specified.",
    "The device is not ready.",
    "Data error (cyclic redundancy check).",
    "The drive cannot locate a specific area or track on the disk.",
    "The specified disk or diskette cannot be accessed.",
    "The drive cannot find the sector requested.",
    "The system cannot write to the specified device.",
    "The system cannot read from the specified device.",
    "A device attached to the system is not functioning.",
    "The process cannot access the file because it is being used by another process.",
    "The process cannot access the file because another process has locked a portion of the "
    "file.",
    "The disk is full.",
    "The directory or file cannot be created.",
    "The file name is too long.",
    "There is not enough space on the disk.",
    "The filename, directory name, or volume label syntax is incorrect.",
};
static_assert(std::size(kCabinetErrorCodes) == std::size(kCabinetErrorTexts));

constexpr const char* kUnknownError = "Unknown error.";

}  // namespace

std::string_view CabinetErrorText(uint32_t code) {
  for (size_t row = 0; row < std::size(kCabinetErrorCodes); ++row)
    if (kCabinetErrorCodes[row] == code) return kCabinetErrorTexts[row];
  return kUnknownError;
}

std::string_view CabFileErrorText(int32_t number) {
  if (number == kErrCabNameMissing)
    return "You must set the CabName property before taking any action on the CabFile object.";
  return kUnknownError;
}

}  // namespace cab
