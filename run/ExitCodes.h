#pragma once
// The exit codes deployment tools read, in the Windows Installer's own meanings. The relauncher
// ends with the code of the run it waited for; the name display and the manifest copy end with 0.
#include <cstdint>

namespace run {

inline constexpr uint32_t kExitInstalled = 0;          // also: in the driver store only
inline constexpr uint32_t kExitRestartNeeded = 3010;   // ERROR_SUCCESS_REBOOT_REQUIRED
inline constexpr uint32_t kExitFailed = 1603;          // ERROR_INSTALL_FAILURE, also partly
inline constexpr uint32_t kExitUserDeclined = 1602;    // ERROR_INSTALL_USEREXIT
inline constexpr uint32_t kExitUnsupported = 1633;     // ERROR_INSTALL_PLATFORM_UNSUPPORTED
inline constexpr uint32_t kExitAlreadyRunning = 1618;  // ERROR_INSTALL_ALREADY_RUNNING
inline constexpr uint32_t kExitBadCommandLine = 1639;  // ERROR_INVALID_COMMAND_LINE
inline constexpr uint32_t kExitNotInstalled = 1605;    // ERROR_UNKNOWN_PRODUCT: nothing to remove

// The flags byte of the driver installer's return code (0x80 a package failed, 0x40 restart
// needed). Flags the finish window has no outcome for count as a failure, as nothing was shown.
uint32_t ExitCodeOfInstallerFlags(int flags);

// A vendor's own setup program: its success and its restart request pass on, anything else
// is a failure.
uint32_t ExitCodeOfSetupProgram(uint32_t code);

}  // namespace run
