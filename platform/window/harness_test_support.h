// Test support for the harness: a script run in a test's own process.
#pragma once

#include "platform/window/harness.h"

namespace platform::window::detail {

// The harness running with a script in a test's own process (no files
// written, the clock and drivers left as the test set them), and stopped.
void StartHarnessWithScript(const HarnessScript& script);
void StopHarness();

}  // namespace platform::window::detail
