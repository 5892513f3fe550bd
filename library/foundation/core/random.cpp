// MT19937 with the old x * 69069 + 1 seeding and the default seed 4357, and
// the bounded formatting calls used by the log and text drawing.
#include "library/foundation/core/random.h"

#include <cstdio>

#include "library/foundation/core/helpers.h"

namespace veziv {
namespace {

constexpr int kWords = 624;
constexpr int kShift = 397;
constexpr uint32_t kDefaultSeed = 4357;

struct RandomState {
  uint32_t state[kWords] = {};
  uint32_t output[kWords] = {};
  int index = kWords;  // used up until something seeds or refills
  bool seeded = false;
};

RandomState& State() {
  static RandomState state;
  return state;
}

void Refill(RandomState& r) {
  for (int i = 0; i < kWords; ++i) {
    uint32_t y = (r.state[i] & 0x80000000u) | (r.state[(i + 1) % kWords] & 0x7FFFFFFFu);
    r.state[i] = r.state[(i + kShift) % kWords] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
  }
  for (int i = 0; i < kWords; ++i) {
    uint32_t y = r.state[i];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    r.output[i] = y;
  }
  r.index = 0;
}

}  // namespace

void SeedRandom(uint32_t seed) {
  RandomState& random = State();
  uint32_t s = seed;
  for (int i = 0; i < kWords; ++i) {
    random.state[i] = s & 0xFFFF0000u;
    s = s * 69069u + 1u;
    random.state[i] |= s >> 16;
    s = s * 69069u + 1u;
  }
  random.seeded = true;
  Refill(random);
}

uint32_t NextRandomWord() {
  RandomState& random = State();
  if (random.index >= kWords) {
    if (!random.seeded) {
      SeedRandom(kDefaultSeed);
    } else {
      Refill(random);
    }
  }
  return random.output[random.index++];
}

int RandomUpTo(int max) {
  uint64_t word = NextRandomWord();
  // max + 1 as a signed value: -1 gives 0, and INT_MAX must not overflow.
  int64_t range = static_cast<int64_t>(max) + 1;
  uint64_t product = word * static_cast<uint64_t>(range);
  return static_cast<int>(static_cast<uint32_t>(product >> 32));
}

int FormatTextArgs(char* buffer, size_t size, const char* format, va_list args) {
  if (buffer == nullptr || size == 0 || format == nullptr) return -1;
  int wanted = std::vsnprintf(buffer, size, format, args);
  if (wanted < 0) {
    buffer[0] = '\0';
    return -1;
  }
  size_t written = static_cast<size_t>(wanted);
  if (written < size) return wanted;
  // Truncated: do not leave half of a double-byte character at the end.
  written = size - 1;
  size_t i = 0;
  while (i < written) {
    if (detail::IsShiftJisLeadByte(static_cast<unsigned char>(buffer[i]))) {
      if (i + 1 >= written) break;
      i += 2;
    } else {
      ++i;
    }
  }
  buffer[i] = '\0';
  return static_cast<int>(i);
}

int FormatText(char* buffer, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int result = FormatTextArgs(buffer, size, format, args);
  va_end(args);
  return result < 0 ? -1 : 0;
}

}  // namespace veziv
