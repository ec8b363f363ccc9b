#pragma once
// Extracts the files of one cabinet through the platform's cabinet iterator, deciding for each
// file whether it is written and where to.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "os/Cabinets.h"

namespace cab {

// A failure of the walk, from the walk itself or from an event handler. Every failure ends the
// run with the same message box, so a failure carries nothing but the fact that it happened.
struct CabError {};
// Empty when the step succeeded.
using MaybeCabError = std::optional<CabError>;

class CabFile : public std::enable_shared_from_this<CabFile> {
 public:
  // Always held by a shared pointer: the callback bridge keeps a reference to the last object
  // that walked a cabinet.
  static std::shared_ptr<CabFile> Create();

  std::string CabName;  // full path of the cabinet

  // Extracts the file whose stored name is fileToExtract (any letter case), or every file when it
  // is empty, into outputPath (empty: the cabinet's folder), each under outputFile (empty: its
  // stored name, folders included). Answers true; any failure instead shows the extraction error,
  // closes the windows and ends the run.
  bool Extract(const std::string& fileToExtract, const std::string& outputPath,
               const std::string& outputFile);

  // Events. BeforeExtract: before anything is made for a file that passed the filter; Cancel =
  // true skips it. A failure the handler answers stops the walk and fails the pass, as any
  // failure of the walk does.
  std::function<MaybeCabError(const std::string& FileName, bool& Cancel)> BeforeExtract;
  // After the iterator wrote a file; FileName is the full target path. A failure stops the walk.
  std::function<MaybeCabError(const std::string& FileName)> AfterExtract;

 private:
  CabFile() = default;

  friend uint32_t CabinetCallback(uintptr_t, uint32_t, uintptr_t, uintptr_t) noexcept;
  uint32_t HandleNotification(uint32_t notification, uintptr_t param1) noexcept;
  // Sets write when the file is to be written, its full target then filled in.
  MaybeCabError PrepareFileTarget(os::FileInCabinetInfo& info, bool& write);
  MaybeCabError TargetPathFor(const std::string& storedName, std::string& target) const;
  // False when a notification or the iterator itself failed.
  bool Walk();

  std::string FileToExtract;
  std::string OutputPath;
  std::string OutputFile;
  // A failure inside a notification waits here until the iterator has returned; the notification
  // itself only tells the iterator to stop.
  bool failedInNotification_ = false;
};

// True when a file stored under this name, put below a target folder, stays below it: no "..",
// no drive or stream colon, no leading separator (rooted, UNC or device paths), no component the
// platform would fold away or open as a device. Both "\" and "/" separate components, as they do
// for the Windows file functions.
bool StaysInsideTarget(const std::string& storedName);

}  // namespace cab
