#include "cab/ExtractFilesFromCab.h"

#include "cab/CabFile.h"

namespace cab {
namespace {

std::shared_ptr<CabFile>& Held() {
  static std::shared_ptr<CabFile> held;
  return held;
}

}  // namespace

std::string ExtractFilesFromCab(const std::string& xCABFile, const std::string& xFolder) {
  Held() = CabFile::Create();
  Held()->CabName = xCABFile;
  Held()->Extract("", xFolder, "");
  return "";
}

const std::shared_ptr<CabFile>& HeldCabinet() {
  return Held();
}

}  // namespace cab
