#pragma once
// The options file dpinst.xml beside the package installer.
#include <string>
#include <string_view>

namespace dpinst {

struct Options {
  bool found = false;  // a root element dpInst was read
  bool suppressWizard = false;
  bool quietInstall = false;
  bool quietInstallStrict = false;
  bool legacyMode = false;
  bool scanHardware = false;
  bool forceIfDriverIsNotBetter = false;
};

// Reads the options that are direct children of the root element dpInst; an element counts as
// set when present, empty or with content. Other elements, attributes, comments and processing
// instructions are passed over. A text that is not such a document sets nothing.
Options ParseOptions(std::string_view xml);

}  // namespace dpinst
