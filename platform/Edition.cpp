#include "platform/Edition.h"

#include <initializer_list>

#include "os/Platform.h"

namespace platform {
namespace {

constexpr uint32_t kWindows9x = 1;
constexpr uint32_t kWindowsNt = 2;

run::Flag ToFlag(bool value) {
  return value ? run::kTrue : run::kFalse;
}

// Every query starts from a fresh record with the size set, as GetVersionExA requires.
std::optional<os::VersionRecord> QueryVersion() {
  os::VersionRecord record;
  record.size = 148;
  if (!os::Os().version->Query(record)) return std::nullopt;
  return record;
}

bool IsNt(uint32_t major, uint32_t minor) {
  const auto record = QueryVersion();
  return record && record->platformId == kWindowsNt && record->major == major &&
         record->minor == minor;
}

// The edition test comes first and the text is read from a second, separate query. Every text
// is searched, so the answer does not depend on their order.
run::Flag HasServicePack(run::Flag (*editionTest)(),
                         std::initializer_list<std::string_view> texts) {
  if (editionTest() != run::kTrue) return run::kFalse;
  const auto record = QueryVersion();
  if (!record) return run::kFalse;
  bool found = false;
  for (const std::string_view text : texts) found = ServicePackTextContains(*record, text) || found;
  return ToFlag(found);
}

}  // namespace

std::string BaseEditionKey(const std::optional<os::VersionRecord>& record) {
  if (!record) return "";
  if (record->platformId == kWindows9x) {
    if (record->minor == 0) return "95";
    if (record->minor == 90) return "ME";
    return "98";
  }
  if (record->platformId != kWindowsNt) return "";
  if (record->major == 5) {
    switch (record->minor) {
      case 0:
        return "Win2K";
      case 1:
        return "WinXP";
      case 2:
        return "Win2K3";
      default:
        return "";
    }
  }
  if (record->major == 6) return "Vista";
  return "";
}

bool AsksWow64(std::string_view baseKey) {
  return baseKey == "WinXP" || baseKey == "Win2K3" || baseKey == "Vista";
}

std::string ClassifyEdition(const std::optional<os::VersionRecord>& record, bool wow64) {
  std::string key = BaseEditionKey(record);
  if (wow64 && AsksWow64(key)) key += "64";
  return key;
}

bool AsksAdministratorTest(std::string_view platformKey) {
  for (const std::string_view nt :
       {"WinXP", "Win2K", "WinXP64", "Win2K3", "Win2K364", "Vista", "Vista64"})
    if (platformKey == nt) return true;
  return false;
}

bool HasDriverForMachine(uint16_t nativeMachine) {
  return nativeMachine == os::kMachineUnknown || nativeMachine == os::kMachineX86 ||
         nativeMachine == os::kMachineX64;
}

bool ServicePackTextContains(const os::VersionRecord& record, std::string_view text) {
  const std::string_view servicePack(record.servicePack, sizeof record.servicePack);
  return servicePack.find(text) != std::string_view::npos;
}

std::string DetectPlatformKey() {
  const auto record = QueryVersion();
  const std::string base = BaseEditionKey(record);
  if (!AsksWow64(base)) return base;
  // IsWow64Platform decides on the stored key, so the base key has to be there first.
  run::State().PlatformKey = base;
  return ClassifyEdition(record, IsWow64Platform() == run::kTrue);
}

run::Flag IsWow64Platform() {
  if (!AsksWow64(run::State().PlatformKey)) return run::kFalse;
  // Missing (Windows 2000, XP before SP2) or failing: treated as 32-bit Windows.
  return ToFlag(os::Os().version->IsWow64Process().value_or(false));
}

run::Flag HasAdministratorRights() {
  if (!AsksAdministratorTest(run::State().PlatformKey)) return run::kTrue;
  // Unreachable test: not an administrator, so the run asks the user whether to go on.
  return ToFlag(os::Os().version->IsUserAnAdmin().value_or(false));
}

run::Flag IsWindows2000() {
  return ToFlag(IsNt(5, 0));
}
run::Flag IsWindowsXP() {
  return ToFlag(IsNt(5, 1));
}
run::Flag IsWindowsVista() {
  return ToFlag(IsNt(6, 0));
}

run::Flag IsWindowsAfterVista() {
  const auto record = QueryVersion();
  return ToFlag(record && record->platformId == kWindowsNt && record->major == 6 &&
                record->minor >= 1);
}

run::Flag HasWindows2000SP4() {
  return HasServicePack(IsWindows2000,
                        {"Service Pack 7", "Service Pack 6", "Service Pack 5", "Service Pack 4"});
}

run::Flag HasWindowsXPSP2() {
  return HasServicePack(IsWindowsXP,
                        {"Service Pack 5", "Service Pack 4", "Service Pack 3", "Service Pack 2"});
}

run::Flag HasWindowsVistaSP1() {
  return HasServicePack(IsWindowsVista,
                        {"Service Pack 4", "Service Pack 3", "Service Pack 2", "Service Pack 1"});
}

}  // namespace platform
