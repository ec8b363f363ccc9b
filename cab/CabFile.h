#pragma once
// Counts or extracts the files of one cabinet through the platform's cabinet iterator, deciding
// for each file whether it is written and where to.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cab/CabError.h"
#include "os/Cabinets.h"

namespace cab {

// The two walks, as passed through the iterator's context.
inline constexpr uintptr_t CountMode = 0;
inline constexpr uintptr_t ExtractMode = 2;

class CabFile : public std::enable_shared_from_this<CabFile> {
 public:
  // Always held by a shared pointer: the callback bridge keeps a reference to the last object
  // that walked a cabinet.
  static std::shared_ptr<CabFile> Create();

  std::string CabName;  // full path of the cabinet

  // The number of files in the cabinet, or the failure that stopped the count; writes nothing.
  struct Count {
    int32_t files = 0;
    MaybeCabError failure;
  };
  Count FileCount();

  // Extracts the file whose stored name is fileToExtract (any letter case), or every file when it
  // is empty, into outputPath (empty: the cabinet's folder), each under outputFile (empty: its
  // stored name, folders included). Answers true; any failure instead shows the extraction error,
  // closes the windows and ends the run.
  bool Extract(const std::string& fileToExtract, const std::string& outputPath,
               const std::string& outputFile);

  // Events. FileFound is part of the class's interface but no walk raises it.
  std::function<void(const std::string& FileName, const std::string& DateTime, int32_t Size,
                     const std::string& Path)>
      FileFound;
  // Before anything is made for a file that passed the filter; Cancel = true skips it. A failure
  // the handler answers stops the walk and fails the pass, as any failure of the walk does.
  std::function<MaybeCabError(const std::string& FileName, bool& Cancel)> BeforeExtract;
  // After the iterator wrote a file; FileName is the full target path. A failure stops the walk.
  std::function<MaybeCabError(const std::string& FileName)> AfterExtract;

 private:
  CabFile() = default;

  friend uint32_t CabinetCallback(uintptr_t, uint32_t, uintptr_t, uintptr_t) noexcept;
  uint32_t HandleNotification(uintptr_t context, uint32_t notification, uintptr_t param1,
                              uintptr_t param2) noexcept;
  // Sets write when the file is to be written, its full target then filled in.
  MaybeCabError PrepareFileTarget(os::FileInCabinetInfo& info, bool& write);
  MaybeCabError TargetPathFor(const std::string& storedName, std::string& target) const;
  // Runs one walk; answers what the notifications kept, else the iterator's own failure.
  MaybeCabError Walk(uintptr_t mode);

  std::string FileToExtract;
  std::string OutputPath;
  std::string OutputFile;
  int32_t CountedFiles = 0;
  // A failure inside a notification waits here until the iterator has returned; the notification
  // itself only tells the iterator to stop.
  MaybeCabError pendingFailure_;
};

// True when a file stored under this name, put below a target folder, stays below it: no "..",
// no drive or stream colon, no leading separator (rooted, UNC or device paths), no component the
// platform would fold away or open as a device. Both "\" and "/" separate components, as they do
// for the Windows file functions.
bool StaysInsideTarget(const std::string& storedName);

}  // namespace cab
