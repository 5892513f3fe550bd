// The battle's random numbers.
#include "game/battle/random_stream.h"

namespace game::battle {

void RandomStream::seed(uint32_t s) {
  for (uint32_t& word : state_) {
    word = s & 0xFFFF0000u;
    s = s * 69069u + 1u;
    word |= s >> 16;
    s = s * 69069u + 1u;
  }
  seeded_ = true;
  refill();
}

void RandomStream::refill() {
  // In place and in increasing order: the words past the wrap read the new values.
  for (int i = 0; i < kWords; ++i) {
    const uint32_t y = (state_[i] & 0x80000000u) | (state_[(i + 1) % kWords] & 0x7FFFFFFFu);
    state_[i] = state_[(i + 397) % kWords] ^ (y >> 1) ^ ((y & 1u) != 0 ? 0x9908B0DFu : 0u);
  }
  for (int i = 0; i < kWords; ++i) {
    uint32_t y = state_[i];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    output_[i] = y;
  }
  index_ = 0;
}

uint32_t RandomStream::nextWord() {
  if (index_ >= kWords) {
    if (seeded_) {
      refill();
    } else {
      seed(4357);
    }
  }
  return output_[index_++];
}

int RandomStream::upTo(int max) {
  const int64_t product = static_cast<int64_t>(nextWord()) * (static_cast<int64_t>(max) + 1);
  return static_cast<int>(product >> 32);
}

}  // namespace game::battle
