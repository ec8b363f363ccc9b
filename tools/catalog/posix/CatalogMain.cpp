// catalogtool write FOLDER: writes, unsigned, each catalog the folder's INF files name, and
//   prints the path of each; the time in them is SOURCE_DATE_EPOCH's when it is set.
// catalogtool show CATALOG: what a catalog holds, one member a line, as Windows reads it.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "tools/catalog/Catalog.h"
#include "tools/catalog/DriverCatalogs.h"

namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Windows finds a name in any letter case, part by part.
std::optional<fs::path> Find(const fs::path& folder, const std::string& relative) {
  fs::path found = folder;
  std::stringstream parts(relative);
  for (std::string part; std::getline(parts, part, '\\');) {
    bool matched = false;
    std::error_code failed;
    for (const auto& entry : fs::directory_iterator(found, failed))
      if (Lower(entry.path().filename().string()) == Lower(part)) {
        found = entry.path();
        matched = true;
        break;
      }
    if (!matched) return std::nullopt;
  }
  return found;
}

int Write(const fs::path& folder) {
  int64_t now = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    now = std::strtoll(epoch, &end, 10);
    if (!*epoch || *end) {
      std::fprintf(stderr, "catalogtool: SOURCE_DATE_EPOCH=%s is no number of seconds\n", epoch);
      return 2;
    }
  }
  std::vector<catalog::InfFile> infs;
  std::error_code failed;
  for (const auto& entry : fs::directory_iterator(folder, failed))
    if (entry.is_regular_file() && dpinst::IsInfFileName(entry.path().filename().string()))
      infs.push_back(
          {entry.path().filename().string(), dpinst::InfText(ReadFile(entry.path()).value_or(""))});
  std::sort(infs.begin(), infs.end(),
            [](const catalog::InfFile& a, const catalog::InfFile& b) { return a.name < b.name; });
  const std::vector<catalog::CatalogPlan> plans = catalog::PlanCatalogs(infs);
  if (plans.empty()) {
    std::fprintf(stderr, "%s: no INF names a catalog file for the devices it offers\n",
                 folder.string().c_str());
    return 1;
  }
  int errors = 0;
  for (const catalog::CatalogPlan& plan : plans) {
    const catalog::Algorithm algorithm = catalog::AlgorithmFor(plan.versions);
    std::vector<catalog::Member> members;
    for (const std::string& file : plan.files) {
      const auto path = Find(folder, file);
      const auto bytes = path ? ReadFile(*path) : std::nullopt;
      if (!bytes) {
        std::fprintf(stderr, "%s: error: %s is copied by the INF but missing from the folder\n",
                     folder.string().c_str(), file.c_str());
        ++errors;
        continue;
      }
      members.push_back(catalog::MemberFor(Lower(path->filename().string()), *bytes, algorithm));
    }
    if (errors) continue;
    const fs::path out = Find(folder, plan.catalogFile).value_or(folder / plan.catalogFile);
    std::ofstream(out, std::ios::binary)
        << catalog::WriteCatalog(members, catalog::OsAttributeFor(plan.versions), now);
    std::printf("%s\n", out.string().c_str());
  }
  return errors ? 1 : 0;
}

int Show(const fs::path& file) {
  const auto bytes = ReadFile(file);
  const auto read = bytes ? catalog::ReadCatalog(*bytes) : std::nullopt;
  if (!read) {
    std::fprintf(stderr, "%s: not a catalog\n", file.string().c_str());
    return 1;
  }
  std::printf("OSAttr: %s\nsigned: %s\n", read->osAttribute.c_str(), read->isSigned ? "yes" : "no");
  for (const catalog::Signer& signer : read->signers)
    std::printf("signer: %s (issuer: %s)\n", signer.subject.c_str(), signer.issuer.c_str());
  for (const catalog::Member& member : read->members)
    std::printf("%s %s %s %s\n", member.tag.c_str(),
                member.algorithm == catalog::Algorithm::kSha1 ? "sha1" : "sha256",
                member.peImage ? "pe" : "flat", member.fileName.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc == 3 ? argv[1] : "";
  if (command == "write") return Write(argv[2]);
  if (command == "show") return Show(argv[2]);
  std::fprintf(stderr, "usage: catalogtool write DRIVER_FOLDER | catalogtool show CATALOG\n");
  return 2;
}
