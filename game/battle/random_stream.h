// The battle's own random numbers, apart from those the menus and voices
// draw from the library: a Mersenne Twister (MT19937) with the classic
// seeding, the library's own generator and figures, seeded at a battle's
// start from the millisecond clock as the library seeds its own. A battle
// is so a function of its seed and its inputs.
#pragma once

#include <cstdint>

namespace game::battle {

class RandomStream {
 public:
  // Fills the state from a seed; the next word starts a fresh block.
  void seed(uint32_t seed);
  // The next tempered word; a stream never seeded starts from seed 4357.
  uint32_t nextWord();
  // An int in 0..max: the high 32 bits of the word times max + 1 (0 for
  // max -1), as RandomUpTo draws it.
  int upTo(int max);

 private:
  void refill();

  static constexpr int kWords = 624;
  uint32_t state_[kWords] = {};
  uint32_t output_[kWords] = {};
  int index_ = kWords;
  bool seeded_ = false;
};

}  // namespace game::battle
