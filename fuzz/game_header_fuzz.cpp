// Feeds the 324 bytes of a slot's game header (a shorter input is padded
// with zeros) to the header reader: the caption is terminated, and writing
// what was read and reading it again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/core/records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace game;
  uint8_t bytes[kGameHeaderSize] = {};
  if (size > 0) std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  const gameHeader h = decodeGameHeader(bytes);
  if (std::memchr(h.caption, 0, sizeof h.caption) == nullptr) std::abort();
  uint8_t once[kGameHeaderSize];
  encodeGameHeader(h, once);
  uint8_t twice[kGameHeaderSize];
  encodeGameHeader(decodeGameHeader(once), twice);
  if (std::memcmp(once, twice, sizeof once) != 0) std::abort();
  return 0;
}
