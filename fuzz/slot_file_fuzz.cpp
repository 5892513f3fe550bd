// Feeds any bytes to the save slot reader, of every kind: it refuses or
// accepts without a fault, and a slot it accepts writes back to bytes that
// read again and write to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/core/slot_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace game;
  slotContents first;
  if (decodeSlot(data, size, first) != nullptr) return 0;
  auto encode = [](slotContents& c) {
    std::vector<uint8_t> out;
    encodeSlot(out, c.header, c.thumbnail, c.kind, &c.story, c.kind == kSaveStory ? nullptr : &c.battle);
    return out;
  };
  const std::vector<uint8_t> once = encode(first);
  slotContents second;
  if (decodeSlot(once.data(), once.size(), second) != nullptr) std::abort();
  if (encode(second) != once) std::abort();
  return 0;
}
