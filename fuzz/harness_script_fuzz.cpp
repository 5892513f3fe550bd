// Feeds any text to the whole-game harness's script reader: a script it
// accepts has its events in frame order, within the frames a script may
// name, with key codes a key state has, and never more events than the
// reader's cap (so no script can make it fill the memory).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/window/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace platform::window;
  // The file reader refuses anything longer before the text is read.
  if (size > kMaxHarnessScriptBytes) return 0;
  HarnessScript script;
  std::string error;
  if (!ParseHarnessScript(std::string(reinterpret_cast<const char*>(data), size), &script, &error)) {
    if (error.rfind("line ", 0) != 0) std::abort();
    return 0;
  }
  if (script.events.size() > 500'000) std::abort();
  int previous = 0;
  for (const HarnessEvent& e : script.events) {
    if (e.frame < previous || e.frame > 10'000'002) std::abort();
    previous = e.frame;
    if ((e.kind == HarnessEvent::kKeyDown || e.kind == HarnessEvent::kKeyUp) && (e.a < 0 || e.a > 255)) std::abort();
  }
  for (int answer : script.answers) {
    if (answer < 0 || answer > 3) std::abort();
  }
  if (script.limit < 1) std::abort();
  return 0;
}
