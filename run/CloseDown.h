#pragma once
// Every way out of the installation run ends in UnloadWait.

namespace run {

// The orderly way out from the finish window: unloads both windows; the final clean-up merges
// the set-aside driver installer log back.
[[noreturn]] void CloseDown();

// Unloading the progress window: the final clean-up. Deletes the work folder,
// resets the state and ends the process.
[[noreturn]] void UnloadWait();

}  // namespace run
