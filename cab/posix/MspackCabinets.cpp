#include "cab/posix/MspackCabinets.h"

#include <mspack.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace cab::posix {
namespace {

// Windows error codes the walk reports, as SetupIterateCabinetA would.
constexpr uint32_t kFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
constexpr uint32_t kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
constexpr uint32_t kAccessDenied = 5;  // ERROR_ACCESS_DENIED
constexpr uint32_t kNoMemory = 8;      // ERROR_NOT_ENOUGH_MEMORY
constexpr uint32_t kInvalidData = 13;  // ERROR_INVALID_DATA
constexpr uint32_t kWriteFault = 29;   // ERROR_WRITE_FAULT
constexpr uint32_t kReadFault = 30;    // ERROR_READ_FAULT
constexpr uint32_t kDiskFull = 112;    // ERROR_DISK_FULL
constexpr uint32_t kAborted = 995;     // ERROR_OPERATION_ABORTED

uint32_t FromErrno(int error, uint32_t otherwise) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return kAccessDenied;
    case ENOSPC:
      return kDiskFull;
    default:
      return otherwise;
  }
}

uint32_t OpenError(int mspackError, int error) {
  switch (mspackError) {
    case MSPACK_ERR_OPEN:
      return error == ENOENT ? kFileNotFound : FromErrno(error, kFileNotFound);
    case MSPACK_ERR_NOMEMORY:
      return kNoMemory;
    default:  // not a cabinet, or one cut short before its file list (Wine answers 0 here)
      return kInvalidData;
  }
}

uint32_t ExtractError(int mspackError, int error) {
  switch (mspackError) {
    case MSPACK_ERR_OK:
      return 0;
    case MSPACK_ERR_OPEN:
    case MSPACK_ERR_WRITE:
      return FromErrno(error, kWriteFault);
    case MSPACK_ERR_NOMEMORY:
      return kNoMemory;
    case MSPACK_ERR_READ:
    case MSPACK_ERR_SEEK:
      return kReadFault;
    default:  // data format, checksum, decompression
      return kInvalidData;
  }
}

struct Decompressor {
  void operator()(mscab_decompressor* d) const { mspack_destroy_cab_decompressor(d); }
};

}  // namespace

bool MspackCabinets::Iterate(const std::string& cabinet, uintptr_t context,
                             os::CabinetHandler handler, uint32_t& lastError) {
  std::unique_ptr<mscab_decompressor, Decompressor> d(mspack_create_cab_decompressor(nullptr));
  if (!d) {
    lastError = kNoMemory;
    return false;
  }
  const std::string host = files_.HostPath(cabinet).string();
  errno = 0;
  mscabd_cabinet* opened = d->open(d.get(), host.c_str());
  if (!opened) {
    lastError = OpenError(d->last_error(d.get()), errno);
    return false;
  }
  const auto close = [&d](mscabd_cabinet* c) { d->close(d.get(), c); };
  std::unique_ptr<mscabd_cabinet, decltype(close)> cab(opened, close);

  handler(context, os::kNotifyCabinetInfo, 0, 0);
  for (mscabd_file* file = cab->files; file; file = file->next) {
    os::FileInCabinetInfo info;
    info.NameInCabinet = file->filename;
    info.FileSize = file->length;
    info.DosDate =
        static_cast<uint16_t>(((file->date_y - 1980) << 9) | (file->date_m << 5) | file->date_d);
    info.DosTime =
        static_cast<uint16_t>((file->time_h << 11) | (file->time_m << 5) | (file->time_s / 2));
    info.DosAttribs = static_cast<uint16_t>(file->attribs);
    const uint32_t answer =
        handler(context, os::kNotifyFileInCabinet, reinterpret_cast<uintptr_t>(&info), 0);
    if (answer == os::kFileOpSkip) continue;
    if (answer != os::kFileOpDoIt) {
      lastError = info.Win32Error ? info.Win32Error : kAborted;
      return false;
    }

    const std::string target(info.FullTargetName,
                             strnlen(info.FullTargetName, sizeof info.FullTargetName));
    const std::string hostTarget = files_.HostPath(target).string();
    errno = 0;
    const int result = d->extract(d.get(), file, hostTarget.c_str());
    os::FilePaths paths;
    paths.Target = target.c_str();
    paths.Source = cabinet.c_str();
    paths.Win32Error = ExtractError(result, errno);
    const uint32_t stop =
        handler(context, os::kNotifyFileExtracted, reinterpret_cast<uintptr_t>(&paths), 0);
    if (stop != 0) {
      lastError = stop;
      return false;
    }
  }
  return true;
}

}  // namespace cab::posix
