// Feeds key file bytes to the key code reader: every code it leaves in a
// record has a name, and the names and the legend line can be built from it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "game/core/key_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace game;
  // Every action starts on a key with a name, as a record the game made does.
  inputRecord r{};
  std::fill(std::begin(r.keyCode), std::end(r.keyCode), 0x01);
  decodeKeyCodes(data, size, r);
  for (int a = 0; a < kBoundActions; ++a) {
    if (r.keyCode[a] < 0 || r.keyCode[a] >= kKeyStateCount) std::abort();
    if (std::strcmp(getKeyName(r.keyCode[a]), kUnknownKeyName) == 0) std::abort();
  }
  if (keyLegendText(r, true).empty()) std::abort();
  return 0;
}
