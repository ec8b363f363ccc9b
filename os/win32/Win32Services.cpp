#include <windows.h>

#include <cstring>
#include <vector>

#include "os/Services.h"
#include "os/win32/Backends.h"

namespace os::win32 {
namespace {

SC_HANDLE Sc(ScHandle handle) {
  return reinterpret_cast<SC_HANDLE>(handle);
}

ScCall Called(BOOL ok) {
  if (ok) return {true, 0};
  const DWORD error = GetLastError();
  return {false, error};
}

ScOpened Opened(SC_HANDLE handle) {
  if (handle) return {reinterpret_cast<ScHandle>(handle), 0};
  const DWORD error = GetLastError();
  return {0, error};
}

// A text the manager points at inside the buffer it filled. The pointers are trusted no further
// than that buffer: one outside it gives an empty text, and a missing NUL ends the text at the
// buffer's end. A multi-string keeps its inner NULs and ends before the empty name. The answer
// is a view into that buffer, to be copied before the buffer goes.
std::string_view TextIn(const char* text, const char* begin, const char* end, bool multiString) {
  if (text == nullptr || text < begin || text >= end) return {};
  const char* stop = text;
  for (;;) {
    const void* nul = std::memchr(stop, '\0', end - stop);
    if (nul == nullptr) return std::string_view(text, end - text);
    stop = static_cast<const char*>(nul);
    if (!multiString || stop + 1 >= end || stop[1] == '\0' || stop == text) break;
    ++stop;
  }
  return std::string_view(text, stop - text);
}

class Win32Services final : public Services {
 public:
  ScOpened OpenManager(uint32_t access) override {
    return Opened(OpenSCManagerA(nullptr, nullptr, access));
  }

  ScOpened OpenNamedService(ScHandle manager, const std::string& name, uint32_t access) override {
    return Opened(OpenServiceA(Sc(manager), name.c_str(), access));
  }

  ScConfigAnswer QueryConfig(ScHandle service, uint32_t bufferSize) override {
    ScConfigAnswer answer;
    // Backed by 8-byte units so the record's pointers are aligned in the 64-bit build too.
    std::vector<unsigned long long> storage((bufferSize + 7) / 8, 0);
    auto* record = bufferSize ? reinterpret_cast<QUERY_SERVICE_CONFIGA*>(storage.data()) : nullptr;
    DWORD needed = 0;
    answer.call = Called(QueryServiceConfigA(Sc(service), record, bufferSize, &needed));
    answer.bytesNeeded = needed;
    if (!answer.call.succeeded || record == nullptr) return answer;

    const char* begin = reinterpret_cast<const char*>(storage.data());
    const char* end = begin + bufferSize;
    auto text = [&](const char* pointer, bool multiString = false) {
      return TextIn(pointer, begin, end, multiString);
    };
    answer.config.serviceType = record->dwServiceType;
    answer.config.startType = record->dwStartType;
    answer.config.errorControl = record->dwErrorControl;
    answer.config.tagId = record->dwTagId;
    answer.config.binaryPathName = text(record->lpBinaryPathName);
    answer.config.loadOrderGroup = text(record->lpLoadOrderGroup);
    answer.config.dependencies = text(record->lpDependencies, true);
    answer.config.serviceStartName = text(record->lpServiceStartName);
    answer.config.displayName = text(record->lpDisplayName);
    return answer;
  }

  ScCall QueryStatus(ScHandle service, uint32_t& currentState) override {
    SERVICE_STATUS status = {};
    const ScCall call = Called(QueryServiceStatus(Sc(service), &status));
    currentState = call.succeeded ? status.dwCurrentState : 0;
    return call;
  }

  ScCall Control(ScHandle service, uint32_t control) override {
    SERVICE_STATUS status = {};
    return Called(ControlService(Sc(service), control, &status));
  }

  ScCall Start(ScHandle service) override { return Called(StartServiceA(Sc(service), 0, nullptr)); }

  ScCall ChangeConfig(ScHandle service, uint32_t serviceType, uint32_t startType,
                      uint32_t errorControl, uint32_t* tagId) override {
    DWORD tag = tagId ? *tagId : 0;
    const ScCall call = Called(
        ChangeServiceConfigA(Sc(service), serviceType, startType, errorControl, nullptr, nullptr,
                             tagId ? &tag : nullptr, nullptr, nullptr, nullptr, nullptr));
    if (tagId) *tagId = tag;
    return call;
  }

  ScCall Close(ScHandle handle) override { return Called(CloseServiceHandle(Sc(handle))); }
};

}  // namespace

Services& ServicesBackend() {
  static Win32Services services;
  return services;
}

}  // namespace os::win32
