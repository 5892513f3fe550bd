// Feeds any body, as a board request delivers it (at most 1023 bytes, cut at
// its first zero byte), to the board parser: every entry's name ends inside
// its field, no name holds "eof" or a line break, and scores are not negative.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/core/ranking.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace game;
  const std::string body(reinterpret_cast<const char*>(data), size < 1023 ? size : 1023);
  rankingEntry table[kRankCount];
  parseRankingBoard(body, table);
  for (const rankingEntry& e : table) {
    if (std::memchr(e.name, 0, sizeof e.name) == nullptr) std::abort();
    if (std::strstr(e.name, "eof") != nullptr || std::strchr(e.name, '\n') != nullptr) std::abort();
    if (e.score < 0) std::abort();
  }
  return 0;
}
