#include "tools/dpinst/CommandLine.h"

#include "tools/dpinst/Inf.h"

namespace dpinst {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsSwitch(std::string_view argument, std::string_view name) {
  if (argument.size() != name.size() + 1 || argument[0] != '/') return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = argument[i + 1];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != name[i]) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view line) {
  std::vector<std::string> arguments;
  size_t at = 0;
  for (;;) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at == line.size()) return arguments;
    std::string argument;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
      size_t slashes = 0;
      while (at < line.size() && line[at] == '\\') ++slashes, ++at;
      if (at < line.size() && line[at] == '"') {
        argument.append(slashes / 2, '\\');
        if (slashes % 2)
          argument += '"';
        else
          quoted = !quoted;
        ++at;
      } else if (slashes > 0) {
        argument.append(slashes, '\\');
      } else {
        argument += line[at++];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

Command ParseCommandLine(std::string_view line) {
  Command command;
  const std::vector<std::string> arguments = SplitArguments(line);
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (IsSwitch(arguments[i], "U")) {
      command.uninstall = true;
      const bool named = i + 1 < arguments.size() && !arguments[i + 1].starts_with('/');
      command.inf = named ? arguments[++i] : std::string();
    } else if (IsSwitch(arguments[i], "Q")) {
      command.quiet = true;
    } else if (IsSwitch(arguments[i], "F")) {
      command.force = true;
    }
  }
  return command;
}

bool MayBeWindowsOwnInf(std::string_view name, std::string_view provider) {
  const auto upper = [](std::string_view text) {
    std::string result(text);
    for (char& c : result)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
  };
  const std::string file = upper(name);
  if (file.size() > 7 && file.starts_with("OEM") && file.ends_with(".INF") &&
      file.find_first_not_of("0123456789", 3) == file.size() - 4)
    return false;
  return provider.empty() || upper(provider).starts_with("MICROSOFT");
}

std::string PublishedInfName(std::string_view argument) {
  const size_t slash = argument.find_last_of("\\/");
  const std::string_view name =
      slash == std::string_view::npos ? argument : argument.substr(slash + 1);
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
      return {};
  return IsInfFileName(name) ? std::string(name) : std::string();
}

}  // namespace dpinst
