#pragma once
// What Windows says about itself: version record, 64-bit, administrator.
#include <cstdint>
#include <optional>
#include <string>

namespace os {

// The short OSVERSIONINFOA record (148 bytes).
struct VersionRecord {
  uint32_t size = 148;
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 0;
  char servicePack[128] = {};
};

// IMAGE_FILE_MACHINE_* values: the machines the driver folders are for, and the one they are not.
inline constexpr uint16_t kMachineUnknown = 0;
inline constexpr uint16_t kMachineX86 = 0x014c;
inline constexpr uint16_t kMachineX64 = 0x8664;
inline constexpr uint16_t kMachineArm64 = 0xaa64;

class Version {
 public:
  virtual ~Version() = default;
  // GetVersionExA; true when it returned 1.
  virtual bool Query(VersionRecord& record) = 0;
  // IsWow64Process for this process; nullopt when the function is missing or fails.
  virtual std::optional<bool> IsWow64Process() = 0;
  // The machine Windows itself runs on (IMAGE_FILE_MACHINE_*), from IsWow64Process2; 0
  // (IMAGE_FILE_MACHINE_UNKNOWN) when the function is missing (before Windows 10 1709) or fails.
  virtual uint16_t NativeMachine() = 0;
  // The shell's administrator test (shell32 ordinal 680); nullopt when it cannot be reached.
  virtual std::optional<bool> IsUserAnAdmin() = 0;
};

}  // namespace os
