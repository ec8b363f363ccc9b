#include "run/RunSteps.h"

namespace run {
namespace {
RunSteps steps;  // constant-initialised: no start-up code
}

RunSteps& Steps() { return steps; }

}  // namespace run
