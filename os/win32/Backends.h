#pragma once
// The Win32 backend of each area of the seam.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "os/Platform.h"

namespace os {
class HeldFolder;
}

namespace os::win32 {

Files& FilesBackend();
Resources& ResourcesBackend();
Processes& ProcessesBackend();
Shell& ShellBackend();
Version& VersionBackend();
Cabinets& CabinetsBackend();
Services& ServicesBackend();
Unicode& UnicodeBackend();
Registry& RegistryBackend();

// The running program's path as the A functions can open it, for the programs of the payload,
// which run without the seam: GetModuleFileNameA's answer, or the path with short names where
// that answer has "?" for letters of the long one.
std::string ProgramFilePathForAnsi();

// All of them together, as the program installs them at start.
Platform Win32Platform();

// Files::CreateProtectedFolder.
std::unique_ptr<HeldFolder> CreateProtectedFolder(const std::string& path, uint32_t& error);
// Files::KeptByAdministratorsAlone.
std::optional<bool> KeptByAdministratorsAlone(const std::string& path);
// os::KeptByAdministratorsAlone for an open file (objectType 1, SE_FILE_OBJECT) or registry key
// (4, SE_REGISTRY_KEY); false when `handle` is null or its owner and list cannot be read,
// nullopt where Windows keeps none (Windows 9x).
std::optional<bool> SecuredForAdministrators(void* handle, int objectType);

// Owner Administrators; full access for Administrators and SYSTEM only, passed on to files and
// folders made inside ("OICI"); "P" cuts what the folder above would pass on.
inline constexpr char kAdministratorsOnly[] = "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// A security descriptor made from its SDDL text, to be freed with LocalFree; null where Windows
// lacks the conversion (before Windows 2000).
void* DescriptorFrom(const char* sddl);

// Whether the owner of an open file (object type 1, SE_FILE_OBJECT) or kernel object (6,
// SE_KERNEL_OBJECT) is Administrators or SYSTEM, owners that only their members can give.
// False when it cannot be read.
bool OwnedByAdministrators(void* handle, int objectType);

// HeldFile::MoveTo for an open file handle (with DELETE access).
bool RenameByHandle(void* file, const std::string& path);

// HeldFile::IsRunningProgram for an open file handle.
bool IsRunningImage(void* file);

// The first thing every start does, before any window or shell call: from here on DLLs that are
// loaded by name come from the system folder only, never from the program's folder (the
// Downloads or the temporary folder, where anyone may drop a DLL) or the current folder.
void RestrictDllSearch();

}  // namespace os::win32
