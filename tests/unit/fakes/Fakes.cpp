#include "tests/unit/fakes/Fakes.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace fakes {
namespace {

std::filesystem::path NewRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "installer-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

// The value a test gave for this key; nullopt where it gave none.
template <typename Map>
std::optional<typename Map::mapped_type> Answer(const Map& answers,
                                                const typename Map::key_type& key) {
  const auto found = answers.find(key);
  if (found == answers.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::string ShippedConfiguration() {
  std::ifstream in(SOURCE_DIR "/resources/config.txt", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int FakeShell::ShowMessage(uintptr_t, const std::string& text, const std::string& title,
                           uint32_t style) {
  messages.push_back({text, title, style});
  if (onMessage) onMessage(messages.back());
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return (style & 0xF) == os::kMbYesNo ? os::kIdYes : os::kIdOk;
}

std::optional<std::string> FakeShell::SpecialFolder(int id) {
  return Answer(specialFolders, id);
}

std::optional<std::u16string> FakeUnicode::SpecialFolder(int id) {
  return Answer(specialFolders, id);
}

std::optional<std::u16string> FakeUnicode::ShortPath(const std::u16string& path) {
  return Answer(shortPaths, path);
}

std::string FakeUnicode::ToAnsi(const std::u16string& text) {
  // The best fit of the A functions: L with stroke as "L", z with acute as "z".
  static const std::map<char16_t, char> lookAlikes = {{u'\u0141', 'L'}, {u'\u017a', 'z'}};
  std::string ansi;
  for (const char16_t unit : text) {
    const auto lookAlike = Answer(lookAlikes, unit);
    ansi += unit < 0x100 ? static_cast<char>(unit) : lookAlike.value_or('?');
  }
  return ansi;
}

std::u16string FakeUnicode::FromAnsi(const std::string& text) {
  std::u16string wide;
  for (size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (!doubleByte || byte < 0x81)
      wide += static_cast<char16_t>(byte);
    else
      wide += ++at < text.size() ? static_cast<char16_t>(byte << 8 | uint8_t(text[at])) : u'?';
  }
  return wide;
}

os::ShellAnswer FakeProcesses::Execute(const os::ShellRequest& request) {
  started.push_back(request);
  if (onExecute) return onExecute(request);
  return {true, 42, 0, 100 + started.size()};
}

std::string VersionResource(const std::vector<std::pair<std::string, std::string>>& strings) {
  const auto wide = [](const std::string& text) {
    std::string bytes;
    for (const char c : text) bytes += {c, '\0'};
    return bytes + std::string(2, '\0');
  };
  std::string resource = std::string(6, '\x01') + wide("VS_VERSION_INFO");
  for (const auto& [key, value] : strings) {
    resource.resize((resource.size() + 3) & ~size_t{3}, '\0');
    resource += std::string(6, '\x01') + wide(key);
    resource.resize((resource.size() + 3) & ~size_t{3}, '\0');
    resource += wide(value);
  }
  return resource;
}

std::optional<std::string_view> FakeResources::Find(const char* type, int id) {
  const auto found = resources.find({TypeName(type), id});
  if (found == resources.end()) return std::nullopt;
  return std::string_view(found->second);
}

void FakeVersion::Set(uint32_t platformId, uint32_t major, uint32_t minor,
                      const std::string& servicePack) {
  record = {};
  record.platformId = platformId;
  record.major = major;
  record.minor = minor;
  std::memcpy(record.servicePack, servicePack.data(),
              std::min(servicePack.size(), sizeof record.servicePack));
}

bool FakeVersion::Query(os::VersionRecord& out) {
  ++queries;
  if (!querySucceeds) return false;
  out = record;
  return true;
}

void FakeProgressWindow::SetProgress(int value) {
  progress = std::clamp(value, 0, 100);
  progressHistory.push_back(progress);
}

PlatformTest::PlatformTest() : root(NewRoot()), files(root), previous_(os::Os()) {
  platform.files = &files;
  platform.shell = &shell;
  platform.processes = &processes;
  platform.resources = &resources;
  platform.version = &version;
  resources.resources[{"CONFIG", 7}] = ShippedConfiguration();
  platform.unicode = &unicode;
  platform.registry = &registry;
  os::SetOs(platform);
  previousUi_ = run::SetUi(&windows);
  run::State() = run::InstallerState();
}

PlatformTest::~PlatformTest() {
  os::SetOs(previous_);
  run::SetUi(previousUi_);
  run::State() = run::InstallerState();
  std::error_code error;
  std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, error);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
  std::filesystem::remove_all(root, error);
}

void PlatformTest::WriteFile(const std::string& windowsPath, const std::string& bytes) {
  ASSERT_TRUE(files.WriteAll(windowsPath, bytes)) << windowsPath;
}

std::string PlatformTest::ReadFile(const std::string& windowsPath) {
  return files.ReadAll(windowsPath).value_or("<missing>");
}

}  // namespace fakes
