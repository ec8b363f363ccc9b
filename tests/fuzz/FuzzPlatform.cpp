#include "tests/fuzz/FuzzPlatform.h"

#include <cstring>

#include "run/InstallerState.h"

namespace fuzz {
namespace {

std::string Key(const std::string& path) {
  return run::UpperCase(path);
}

}  // namespace

uint32_t MemoryFiles::TempPath(char* buffer, uint32_t size) {
  static const char kTemp[] = "C:\\Temp\\";
  if (size < sizeof kTemp) return sizeof kTemp;
  std::memcpy(buffer, kTemp, sizeof kTemp);
  return sizeof kTemp - 1;
}

std::optional<uint32_t> MemoryFiles::Attributes(const std::string& path) {
  if (files.count(Key(path))) return os::kAttrNormal;
  return std::nullopt;
}

bool MemoryFiles::RemoveFile(const std::string& path) {
  return files.erase(Key(path)) == 1;
}

bool MemoryFiles::Copy(const std::string& from, const std::string& to) {
  const auto found = files.find(Key(from));
  if (found == files.end()) return false;
  const std::string bytes = found->second;
  files[Key(to)] = bytes;
  return true;
}

std::optional<uint64_t> MemoryFiles::Length(const std::string& path) {
  const auto found = files.find(Key(path));
  if (found == files.end()) return std::nullopt;
  return found->second.size();
}

std::optional<std::string> MemoryFiles::ReadAll(const std::string& path) {
  const auto found = files.find(Key(path));
  if (found == files.end()) return std::nullopt;
  return found->second;
}

bool MemoryFiles::WriteAll(const std::string& path, std::string_view bytes) {
  files[Key(path)] = std::string(bytes);
  return true;
}

bool MemoryFiles::Truncate(const std::string& path, uint64_t length) {
  const auto found = files.find(Key(path));
  if (found == files.end() || length > found->second.size()) return false;
  found->second.resize(length);
  return true;
}

bool MemoryFiles::Append(const std::string& path, std::string_view bytes) {
  const auto found = files.find(Key(path));
  if (found == files.end()) return false;
  found->second.append(bytes);
  return true;
}

namespace {

// By its key, not a reference into the map: a run may remove other files meanwhile.
class MemoryLog final : public os::WritableFile {
 public:
  MemoryLog(std::map<std::string, std::string>& files, std::string key)
      : files_(files), key_(std::move(key)) {}
  bool Write(std::string_view bytes) override {
    files_[key_].append(bytes);
    return true;
  }
  bool Flush() override { return true; }

 private:
  std::map<std::string, std::string>& files_;
  std::string key_;
};

}  // namespace

std::unique_ptr<os::WritableFile> MemoryFiles::OpenLog(const std::string& path, bool,
                                                       os::LogFacts& facts) {
  facts.created = files.try_emplace(Key(path)).second;
  facts.adminOwned = true;
  return std::make_unique<MemoryLog>(files, Key(path));
}

int QuietShell::ShowMessage(uintptr_t, const std::string&, const std::string&, uint32_t style) {
  ++messages;
  return (style & 0xF) == os::kMbYesNo ? os::kIdYes : os::kIdOk;
}

std::string QuietUnicode::ToAnsi(const std::u16string& text) {
  std::string ansi;
  for (const char16_t unit : text) ansi.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
  return ansi;
}

std::u16string QuietUnicode::FromAnsi(const std::string& text) {
  std::u16string wide;
  for (const char c : text) wide.push_back(static_cast<unsigned char>(c));
  return wide;
}

void RememberingWindows::SetOutcome(const std::string& text, const std::string& title) {
  finishLoaded = true;
  label = text;
  caption = title;
}

Platform::Platform() : previous_(os::Os()) {
  os::Platform platform;
  platform.files = &files;
  platform.shell = &shell;
  platform.unicode = &unicode;
  platform.processes = &processes;
  platform.resources = &resources;
  os::SetOs(platform);
  run::SetUi(&windows);
  run::State() = run::InstallerState();
}

Platform::~Platform() {
  os::SetOs(previous_);
  run::SetUi(nullptr);
}

}  // namespace fuzz
