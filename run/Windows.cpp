#include "run/Windows.h"

#include <utility>

namespace run {
namespace {
Windows* current = nullptr;
}

Windows& Ui() { return *current; }
Windows* SetUi(Windows* windows) { return std::exchange(current, windows); }
void ShowWaitWindow() { Ui().Wait().SetVisible(true); }

}  // namespace run
