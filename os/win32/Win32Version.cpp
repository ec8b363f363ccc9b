#include <windows.h>

#include <cstring>

#include "os/Version.h"
#include "os/win32/Backends.h"
#include "os/win32/Handles.h"

namespace os::win32 {
namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148);

// Functions newer than Windows 2000 are looked up at run time, never imported: a missing import
// would keep the program from starting there at all.
template <typename Fn>
Fn Kernel32Function(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

class Win32Version final : public Version {
 public:
  bool Query(VersionRecord& record) override {
    // The short record, whatever size the caller left in its copy; the buffer starts zeroed,
    // so what follows the service-pack text's NUL is never left over from an earlier answer.
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    record.size = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExA(&info) != 1) return false;
#pragma GCC diagnostic pop
    record.major = info.dwMajorVersion;
    record.minor = info.dwMinorVersion;
    record.build = info.dwBuildNumber;
    record.platformId = info.dwPlatformId;
    std::memcpy(record.servicePack, info.szCSDVersion, sizeof record.servicePack);
    return true;
  }

  std::optional<bool> IsWow64Process() override {
#ifdef _WIN64
    // A 64-bit process only runs on 64-bit Windows.
    return true;
#else
    // Windows 2000 and XP before SP2 lack it.
    const auto isWow64 = Kernel32Function<BOOL(WINAPI*)(HANDLE, PBOOL)>("IsWow64Process");
    if (!isWow64) return std::nullopt;
    BOOL flag = FALSE;
    if (!isWow64(GetCurrentProcess(), &flag)) return std::nullopt;
    return flag != FALSE;
#endif
  }

  uint16_t NativeMachine() override {
    // Windows 10 1709 and later. Unlike IsWow64Process it sees through x64 emulation on ARM64,
    // for both widths of the program.
    const auto isWow64 =
        Kernel32Function<BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*)>("IsWow64Process2");
    USHORT process, native;
    if (!isWow64 || !isWow64(GetCurrentProcess(), &process, &native)) return kMachineUnknown;
    return native;
  }

  std::optional<bool> IsUserAnAdmin() override {
    UniqueLibrary shell32(LoadSystemLibrary("shell32.dll"));
    if (!shell32.get()) return std::nullopt;
    using IsUserAnAdminFn = BOOL(WINAPI*)();
    const auto test = reinterpret_cast<IsUserAnAdminFn>(
        reinterpret_cast<void*>(GetProcAddress(shell32.get(), MAKEINTRESOURCEA(680))));
    if (!test) return std::nullopt;
    return test() != FALSE;
  }
};

}  // namespace

Version& VersionBackend() {
  static Win32Version version;
  return version;
}

}  // namespace os::win32
