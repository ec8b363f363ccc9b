// The bar's stored properties. Apart from the rest of the control: the shipped program stores
// none, and this file's map and number reader would otherwise come into it with the control.
#include <cerrno>
#include <cstdlib>

#include "run/InstallerState.h"
#include "ui/VistaProg.h"

namespace ui {

std::optional<int32_t> PropertyBag::ReadProperty(const std::string& name,
                                                 int32_t defaultValue) const {
  const auto found = entries.find(name);
  if (found == entries.end()) return defaultValue;
  const char* text = found->second.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
    return std::nullopt;
  return static_cast<int32_t>(value);
}

void PropertyBag::WriteProperty(const std::string& name, int32_t value, int32_t defaultValue) {
  if (value == defaultValue)
    entries.erase(name);
  else
    entries[name] = run::DecimalText(value);
}

void VistaProg::ReadProperties(const PropertyBag& bag) {
  const struct {
    const char* name;
    int32_t defaultValue;
    void (VistaProg::*set)(int32_t);
  } entries[] = {{"Max", 100, &VistaProg::SetMax},
                 {"Min", 0, &VistaProg::SetMin},
                 {"Value", 1, &VistaProg::SetValue}};
  for (const auto& entry : entries) {
    // A damaged entry leaves the property as it is; the next one is still read.
    if (const auto value = bag.ReadProperty(entry.name, entry.defaultValue))
      (this->*entry.set)(*value);
  }
}

void VistaProg::WriteProperties(PropertyBag& bag) const {
  bag.WriteProperty("Max", max_, 100);
  bag.WriteProperty("Min", min_, 0);
  bag.WriteProperty("Value", value_, 1);
}

}  // namespace ui
