#include "os/Cabinets.h"
#include "os/win32/Backends.h"

namespace os::win32 {

Cabinets& CabinetsBackend() {
  static Cabinets cabinets;
  return cabinets;
}

}  // namespace os::win32
