#pragma once
// A cabinet iterator for the Linux tests over libmspack, with the walk of SetupIterateCabinetA:
// one notification per file in cabinet order, skip / abort / write-to-target answers, one
// notification after each written file, and a walk that stops on a non-zero answer to it.
#include "os/Cabinets.h"
#include "os/posix/PosixFiles.h"

namespace cab::posix {

class MspackCabinets final : public os::Cabinets {
 public:
  // Windows paths (the cabinet and every target) go through the files' mapping onto the host.
  explicit MspackCabinets(const os::posix::PosixFiles& files) : files_(files) {}

  bool Iterate(const std::string& cabinet, uintptr_t context, os::CabinetHandler handler,
               uint32_t& lastError) override;

 private:
  const os::posix::PosixFiles& files_;
};

}  // namespace cab::posix
