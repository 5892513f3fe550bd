// Feeds "save/openStages.dat" bytes to the stage flag reader: every flag is
// 0 or 1, and a notice built from them names only stages of the table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "game/core/unlocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace game;
  uint8_t flags[kStageCount];
  decodeOpenStages(data, size, flags);
  for (uint8_t f : flags) {
    if (f > 1) std::abort();
  }
  const uint8_t none[kStageCount] = {};
  const std::vector<std::string> notice = stageNotice(none, flags);
  if (!notice.empty() && (notice.size() < 3 || notice.size() > kStageCount + 2)) std::abort();
  return 0;
}
