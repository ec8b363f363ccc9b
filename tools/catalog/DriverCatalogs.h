#pragma once
// Which catalogs a driver folder's INF files name, and what each must hold: the INF and every
// file it copies, for each processor the INF names the catalog for, with the Windows versions
// those processors' sections serve.
#include <string>
#include <utility>
#include <vector>

#include "tools/dpinst/Inf.h"

namespace catalog {

struct InfFile {
  std::string name;  // as in the folder
  std::string text;  // dpinst::InfText of its bytes
};

struct CatalogPlan {
  std::string catalogFile;         // as the first INF naming it writes it
  std::vector<std::string> files;  // relative to the folder, "\\" between parts; INFs first
  std::vector<std::pair<unsigned, unsigned>> versions;  // ascending
};

// The Windows a package may be offered to on a processor, oldest first: each version an INF's
// decorations can tell apart, the servers of 5.2 on x86 (XP has no 5.2 on x86).
const std::vector<dpinst::WindowsVersion>& WindowsFor(dpinst::Architecture architecture);

std::vector<CatalogPlan> PlanCatalogs(const std::vector<InfFile>& infs);

}  // namespace catalog
