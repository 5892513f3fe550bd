// Feeds "save/battleMode.dat" bytes to the battle mode's unlock reader:
// weapon 0 of each kind is owned, flags are 0 or 1, no count is negative,
// and writing what was read and reading it again gives the same holdings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/core/unlocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace game;
  holdingsData h;
  decodeBattleModeItems(data, size, h);
  if (h.mainOwned[0] != 1 || h.subOwned[0] != 1) std::abort();
  for (uint8_t f : h.mainOwned) {
    if (f > 1) std::abort();
  }
  for (uint8_t f : h.subOwned) {
    if (f > 1) std::abort();
  }
  for (int32_t c : h.itemCounts) {
    if (c < 0) std::abort();
  }
  uint8_t once[kBattleModeSize];
  encodeBattleModeItems(h, once);
  holdingsData back;
  decodeBattleModeItems(once, sizeof once, back);
  uint8_t twice[kBattleModeSize];
  encodeBattleModeItems(back, twice);
  if (std::memcmp(once, twice, sizeof once) != 0) std::abort();
  return 0;
}
