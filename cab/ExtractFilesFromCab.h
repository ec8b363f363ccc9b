#pragma once
// The progress window's way of unpacking a cabinet.
#include <memory>
#include <string>

namespace cab {

class CabFile;

// Extracts every file of the cabinet xCABFile below xFolder with a new CabFile, which replaces
// the one held from the previous call. Always answers an empty text. A failure ends the run
// (CabFile::Extract).
std::string ExtractFilesFromCab(const std::string& xCABFile, const std::string& xFolder);

// The CabFile of the latest ExtractFilesFromCab (the window's `cab`).
const std::shared_ptr<CabFile>& HeldCabinet();

}  // namespace cab
