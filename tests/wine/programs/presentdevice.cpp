// presentdevice HARDWARE-ID: registers a root-enumerated device with that hardware id, which the
// setup API then lists as present, as Windows lists a plugged-in adapter. Prints its instance id.
// presentdevice HARDWARE-ID INF: asks Windows' own setup functions to install the INF on the
// devices with that id (UpdateDriverForPlugAndPlayDevices), the verdict to hold the package
// installer's against. Prints "installed" or "not installed <error>".
#include <windows.h>

#include <setupapi.h>

#include <cstdio>
#include <string>

namespace {

int Register(const char* id) {
  // A class of its own: no class installer of Windows' takes part.
  const GUID kClass = {
      0x6e0f1a52, 0x4c1e, 0x4b8e, {0x9a, 0x31, 0x5d, 0x2c, 0x7e, 0x44, 0x10, 0x9b}};
  HDEVINFO list = SetupDiCreateDeviceInfoList(&kClass, nullptr);
  if (list == INVALID_HANDLE_VALUE) return 1;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  const std::string ids = std::string(id) + '\0' + '\0';
  char instance[200] = {};  // MAX_DEVICE_ID_LEN
  const bool made = SetupDiCreateDeviceInfoA(list, "NorvaneTest", &kClass, nullptr, nullptr,
                                             DICD_GENERATE_ID, &device) &&
                    SetupDiSetDeviceRegistryPropertyA(list, &device, SPDRP_HARDWAREID,
                                                      reinterpret_cast<const BYTE*>(ids.data()),
                                                      static_cast<DWORD>(ids.size())) &&
                    SetupDiCallClassInstaller(DIF_REGISTERDEVICE, list, &device) &&
                    SetupDiGetDeviceInstanceIdA(list, &device, instance, sizeof instance, nullptr);
  const DWORD error = GetLastError();
  SetupDiDestroyDeviceInfoList(list);
  if (!made) {
    std::printf("failed %lu\n", error);
    return 1;
  }
  std::printf("%s\n", instance);
  return 0;
}

int Install(const char* id, const char* inf) {
  using UpdateDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);
  HMODULE newdev = LoadLibraryA("newdev.dll");
  const auto update = newdev ? reinterpret_cast<UpdateDriverFn>(reinterpret_cast<void*>(
                                   GetProcAddress(newdev, "UpdateDriverForPlugAndPlayDevicesA")))
                             : nullptr;
  if (!update) return 1;
  BOOL restart = FALSE;
  if (update(nullptr, id, inf, 0, &restart))
    std::printf("installed\n");
  else
    std::printf("not installed %lX\n", GetLastError());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2) return Register(argv[1]);
  if (argc == 3) return Install(argv[1], argv[2]);
  return 2;
}
