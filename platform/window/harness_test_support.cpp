#include "platform/window/harness_test_support.h"

#include "platform/window/harness_state.h"

namespace platform::window::detail {

void StartHarnessWithScript(const HarnessScript& script) {
  HarnessState& h = HarnessRecord();
  h.script = script;
  h.next_event = 0;
  h.input = HarnessInput{};
  h.active = true;
}

void StopHarness() {
  HarnessState& h = HarnessRecord();
  h.active = false;
  h.script = HarnessScript{};
  h.next_event = 0;
  h.input = HarnessInput{};
}

}  // namespace platform::window::detail
