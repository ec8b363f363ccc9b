#pragma once
// The cabinet iterator (SetupIterateCabinetA) and its notifications.
//
// The walk is synchronous: the handler is called on the calling thread once per event, in the
// order of the cabinet. The records mirror setupapi's ANSI records field by field; the Win32
// backend copies between them and the real ones, so the logic never sees <setupapi.h>.
#include <cstdint>
#include <string>

namespace os {

// Notification codes (SPFILENOTIFY_*).
inline constexpr uint32_t kNotifyCabinetInfo = 0x10;    // param1: the cabinet's own record
inline constexpr uint32_t kNotifyFileInCabinet = 0x11;  // param1: FileInCabinetInfo*
inline constexpr uint32_t kNotifyNeedNewCabinet = 0x12;
inline constexpr uint32_t kNotifyFileExtracted = 0x13;  // param1: FilePaths*

// Answers to kNotifyFileInCabinet (FILEOP_*).
inline constexpr uint32_t kFileOpAbort = 0;
inline constexpr uint32_t kFileOpDoIt = 1;
inline constexpr uint32_t kFileOpSkip = 2;

inline constexpr size_t kMaxTargetName = 260;  // MAX_PATH, the terminating NUL included

// FILE_IN_CABINET_INFO_A: the handler reads the stored name and, to have the file written,
// fills FullTargetName with a NUL-terminated path.
struct FileInCabinetInfo {
  const char* NameInCabinet = nullptr;
  uint32_t FileSize = 0;
  uint32_t Win32Error = 0;
  uint16_t DosDate = 0;
  uint16_t DosTime = 0;
  uint16_t DosAttribs = 0;
  char FullTargetName[kMaxTargetName] = {};
};

// FILEPATHS_A: what became of one file the handler asked for.
struct FilePaths {
  const char* Target = nullptr;
  const char* Source = nullptr;
  uint32_t Win32Error = 0;  // 0 when the file was written
  uint32_t Flags = 0;
};

// The message handler: context is passed through unchanged. A non-zero answer to
// kNotifyFileExtracted ends the walk with that code as the walk's error.
using CabinetHandler = uint32_t (*)(uintptr_t context, uint32_t notification, uintptr_t param1,
                                    uintptr_t param2);

class Cabinets {
 public:
  virtual ~Cabinets() = default;
  // SetupIterateCabinetA(cabinet, 0, handler, context). True when the walk completed; otherwise
  // lastError holds GetLastError() as read right after the call.
  virtual bool Iterate(const std::string& cabinet, uintptr_t context, CabinetHandler handler,
                       uint32_t& lastError) = 0;
};

}  // namespace os
