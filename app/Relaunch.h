#pragma once
// The first start: run the installation from a fresh temporary copy of the program.
#include <cstdint>
#include <optional>

namespace app {

// The exit code of the copy's run when the copy ran and is gone (the caller ends the process
// with it); nullopt when the installation is to run in this process instead.
std::optional<uint32_t> RunRelaunch();

}  // namespace app
