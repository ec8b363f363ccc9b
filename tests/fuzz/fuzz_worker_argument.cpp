// The worker's resource id over any argument text: a whole number within 32 bits, 0 for no
// number, and the same number for a text and that text with anything appended after a blank.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/ExtractionWorker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string argument(reinterpret_cast<const char*>(data), size);
  const int32_t id = app::WorkerResourceId(argument);
  if (argument.find_first_not_of(" \t") != std::string::npos &&
      id != app::WorkerResourceId(argument + " 1.5x"))
    std::abort();
  // Plain digits up to nine of them are read as they are.
  if (!argument.empty() && argument.size() <= 9 &&
      argument.find_first_not_of("0123456789") == std::string::npos &&
      id != std::atoi(argument.c_str()))
    std::abort();
  return 0;
}
