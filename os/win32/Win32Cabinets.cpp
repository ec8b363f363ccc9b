#include <windows.h>
// setupapi.h needs the types of windows.h first.
#include <setupapi.h>

#include <cstring>

#include "os/Cabinets.h"
#include "os/win32/Backends.h"
#include "os/win32/Handles.h"

namespace os::win32 {
namespace {

static_assert(sizeof(FILE_IN_CABINET_INFO_A::FullTargetName) == kMaxTargetName);
static_assert(kNotifyCabinetInfo == SPFILENOTIFY_CABINETINFO &&
              kNotifyFileInCabinet == SPFILENOTIFY_FILEINCABINET &&
              kNotifyNeedNewCabinet == SPFILENOTIFY_NEEDNEWCABINET &&
              kNotifyFileExtracted == SPFILENOTIFY_FILEEXTRACTED);
static_assert(kFileOpAbort == FILEOP_ABORT && kFileOpDoIt == FILEOP_DOIT &&
              kFileOpSkip == FILEOP_SKIP);

// What travels through the iterator's context: the logic's handler and its own context value.
struct Walk {
  CabinetHandler handler;
  uintptr_t context;
};

// The real records are copied into the seam's and back, so the logic only ever touches plain
// structures it declares itself; a few hundred bytes per file cost nothing next to inflating it.
UINT CALLBACK Relay(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2) {
  const Walk& walk = *static_cast<const Walk*>(context);
  switch (notification) {
    case SPFILENOTIFY_FILEINCABINET: {
      auto* real = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
      FileInCabinetInfo info;
      info.NameInCabinet = real->NameInCabinet;
      info.FileSize = real->FileSize;
      info.Win32Error = real->Win32Error;
      info.DosDate = real->DosDate;
      info.DosTime = real->DosTime;
      info.DosAttribs = real->DosAttribs;
      std::memcpy(info.FullTargetName, real->FullTargetName, kMaxTargetName);
      const UINT answer =
          walk.handler(walk.context, notification, reinterpret_cast<uintptr_t>(&info), param2);
      std::memcpy(real->FullTargetName, info.FullTargetName, kMaxTargetName);
      real->Win32Error = info.Win32Error;
      return answer;
    }
    case SPFILENOTIFY_FILEEXTRACTED: {
      const auto* real = reinterpret_cast<const FILEPATHS_A*>(param1);
      FilePaths paths;
      paths.Target = real->Target;
      paths.Source = real->Source;
      paths.Win32Error = real->Win32Error;
      paths.Flags = real->Flags;
      return walk.handler(walk.context, notification, reinterpret_cast<uintptr_t>(&paths), param2);
    }
    default:
      return walk.handler(walk.context, notification, param1, param2);
  }
}

class Win32Cabinets final : public Cabinets {
 public:
  bool Iterate(const std::string& cabinet, uintptr_t context, CabinetHandler handler,
               uint32_t& lastError) override {
    // setupapi loads the cabinet library late, by name, and Wine's setupapi does so past the
    // restricted DLL search: loaded first from the system folder, that is the one it finds.
    static const HMODULE cabinetLibrary = LoadSystemLibrary("cabinet.dll");
    (void)cabinetLibrary;
    Walk walk{handler, context};
    if (SetupIterateCabinetA(cabinet.c_str(), 0, Relay, &walk)) return true;
    lastError = GetLastError();
    return false;
  }
};

}  // namespace

Cabinets& CabinetsBackend() {
  static Win32Cabinets cabinets;
  return cabinets;
}

}  // namespace os::win32
