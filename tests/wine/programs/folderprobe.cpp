// Runs the work-folder helpers on real Windows paths for the Wine tests.
//   folderprobe delete PATH          DeleteFolderTree(PATH)
//   folderprobe exists PATH          prints "file folder" flags (1/0) of FileExists, FolderExists
//   folderprobe hold FILE SECONDS    keeps FILE open without sharing for that long
//   folderprobe event NAME SECONDS   keeps an event of that name for that long, as any user may
//   folderprobe security PATH        prints the owner and access list of PATH in SDDL
//   folderprobe loosekey KEY         makes HKLM\KEY (64-bit view) one that every account may change
//   folderprobe regvalue KEY NAME    prints the length of HKLM\KEY's value NAME as the program
//                                    reads it, or "unreadable"
//   folderprobe truncate PATH LENGTH cuts the file back to LENGTH bytes; exit code 1 if it cannot
#include <windows.h>
// The security headers need the types windows.h declares.
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/Files.h"
#include "os/Platform.h"
#include "os/Registry.h"
#include "os/win32/Backends.h"
#include "run/WorkFolders.h"

int main(int argc, char** argv) {
  os::SetOs(os::win32::Win32Platform());
  if (argc < 3) return 2;
  const std::string command = argv[1];
  if (command == "delete") {
    run::DeleteFolderTree(argv[2]);
    return 0;
  }
  if (command == "exists") {
    std::printf("%d %d\n", run::FileExists(argv[2]) ? 1 : 0, run::FolderExists(argv[2]) ? 1 : 0);
    return 0;
  }
  if (command == "truncate" && argc > 3)
    return os::Os().files->Truncate(argv[2], std::strtoull(argv[3], nullptr, 10)) ? 0 : 1;
  if (command == "regvalue" && argc > 3) {
    const auto value = os::Os().registry->Value(argv[2], argv[3], nullptr);
    if (value)
      std::printf("%u\n", static_cast<unsigned>(value->size()));
    else
      std::printf("unreadable\n");
    return 0;
  }
  if (command == "hold" && argc > 3) {
    HANDLE file = CreateFileA(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::atoi(argv[3]) * 1000));
    CloseHandle(file);
    return 0;
  }
  if (command == "event" && argc > 3) {
    if (!CreateEventA(nullptr, TRUE, FALSE, argv[2])) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::atoi(argv[3]) * 1000));
    return 0;
  }
  if (command == "loosekey") {
    HKEY key = nullptr;
    PSECURITY_DESCRIPTOR everyone = nullptr;
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, nullptr, 0, WRITE_DAC | KEY_WOW64_64KEY,
                           nullptr, &key, nullptr) ||
           !ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                 &everyone, nullptr) ||
           RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, everyone);
  }
  if (command == "security") {
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetNamedSecurityInfoA(argv[2], SE_FILE_OBJECT, what, nullptr, nullptr,
                                              nullptr, nullptr, &descriptor);
    if (error != 0) return static_cast<int>(error);
    char* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, what,
                                                              &text, nullptr))
      return 1;
    std::printf("%s\n", text);
    LocalFree(text);
    LocalFree(descriptor);
    return 0;
  }
  return 2;
}
