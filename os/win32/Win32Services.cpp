#include "os/Services.h"
#include "os/win32/Backends.h"

namespace os::win32 {

Services& ServicesBackend() {
  static Services services;
  return services;
}

}  // namespace os::win32
