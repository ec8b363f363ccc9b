#include "tools/catalog/DriverCatalogs.h"

#include <algorithm>
#include <cctype>

namespace catalog {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

void AddOnce(std::vector<std::string>& files, const std::string& file) {
  for (const std::string& present : files)
    if (Lower(present) == Lower(file)) return;
  files.push_back(file);
}

}  // namespace

const std::vector<dpinst::WindowsVersion>& WindowsFor(dpinst::Architecture architecture) {
  static const std::vector<dpinst::WindowsVersion> x86 = {{5, 0, 1}, {5, 1, 1},           {5, 2, 3},
                                                          {6, 0, 1}, {6, 1, 1},           {6, 2, 1},
                                                          {6, 3, 1}, {10, 0, 1, 0, 26100}};
  static const std::vector<dpinst::WindowsVersion> amd64 = {
      {5, 2, 1}, {6, 0, 1}, {6, 1, 1}, {6, 2, 1}, {6, 3, 1}, {10, 0, 1, 0, 26100}};
  return architecture == dpinst::Architecture::kAmd64 ? amd64 : x86;
}

std::vector<CatalogPlan> PlanCatalogs(const std::vector<InfFile>& infs) {
  std::vector<CatalogPlan> plans;
  for (const InfFile& inf : infs)
    for (const dpinst::Architecture architecture :
         {dpinst::Architecture::kX86, dpinst::Architecture::kAmd64})
      for (const dpinst::WindowsVersion& version : WindowsFor(architecture)) {
        const dpinst::InfPackage package = dpinst::ParseInf(inf.text, {architecture, version});
        if (!package.validVersion || package.hardwareIds.empty() || package.catalogFile.empty())
          continue;
        auto plan = std::find_if(plans.begin(), plans.end(), [&](const CatalogPlan& p) {
          return Lower(p.catalogFile) == Lower(package.catalogFile);
        });
        if (plan == plans.end()) plan = plans.insert(plans.end(), {package.catalogFile, {}, {}});
        // INFs lead, so that a catalog that lists one INF's files reads as that INF's.
        auto firstFile = plan->files.begin();
        while (firstFile != plan->files.end() && dpinst::IsInfFileName(*firstFile)) ++firstFile;
        if (std::none_of(plan->files.begin(), firstFile,
                         [&](const std::string& f) { return Lower(f) == Lower(inf.name); }))
          plan->files.insert(firstFile, inf.name);
        for (const std::string& file : package.sourceFiles) AddOnce(plan->files, file);
        const std::pair<unsigned, unsigned> served{version.major, version.minor};
        if (std::find(plan->versions.begin(), plan->versions.end(), served) == plan->versions.end())
          plan->versions.push_back(served);
      }
  for (CatalogPlan& plan : plans) std::sort(plan.versions.begin(), plan.versions.end());
  return plans;
}

}  // namespace catalog
