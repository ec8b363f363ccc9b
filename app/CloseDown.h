#pragma once
// Every way out of the installation run ends in UnloadWait.

namespace app {

// The orderly way out from the finish window: closes open files, merges the set-aside driver
// installer log back, unloads both windows.
[[noreturn]] void CloseDown();
void CloseOpenFiles();

// Unloading the progress window: the final clean-up. Deletes the work folder and config.txt,
// resets the state and ends the process.
[[noreturn]] void UnloadWait();

}  // namespace app
