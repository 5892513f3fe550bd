// The game header (what a game owns and has equipped, the header of every
// save slot), the live holdings, the two players' headers and the story
// flag. The header's 324 bytes are a file format, read and written field by
// field, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace game {

inline constexpr int kMainWeaponCount = 7;
inline constexpr int kSubWeaponCount = 6;
inline constexpr int kItemCount = 6;
inline constexpr int kCaptionSize = 256;
inline constexpr int kGameHeaderSize = 324;
inline constexpr int32_t kNoItem = -1;

struct gameHeader {
  char caption[kCaptionSize] = {};  // zero-terminated Shift-JIS
  int32_t money = 3000;
  uint8_t mainOwned[kMainWeaponCount] = {1, 0, 0, 0, 0, 0, 0};
  uint8_t subOwned[kSubWeaponCount] = {1, 0, 0, 0, 0, 0};
  int32_t itemCounts[kItemCount] = {};
  int32_t battleCharacter = 0;
  int32_t mainWeapon = 0;
  int32_t subWeapon = 0;
  int32_t item1 = kNoItem;
  int32_t item2 = kNoItem;
  int32_t difficulty = 100;
};

// The 324 bytes of a header: the caption up to its terminator and zeros
// behind it (the last byte is always 0), the fields at their offsets, the
// three padding bytes at 273 zero.
void encodeGameHeader(const gameHeader& header, uint8_t out[kGameHeaderSize]);
// The fields as the bytes hold them, the caption cut at byte 255. No range
// checks: the slot reader validates what it uses.
gameHeader decodeGameHeader(const uint8_t bytes[kGameHeaderSize]);

// The live possessions. In a story game the player's; in the battle mode
// the unlock state read from "save/battleMode.dat".
struct holdingsData {
  int32_t money = 0;
  uint8_t mainOwned[kMainWeaponCount] = {};
  uint8_t subOwned[kSubWeaponCount] = {};
  int32_t itemCounts[kItemCount] = {};
};

// What the running game plays with.
struct PlayState {
  holdingsData holdings;
  // Index 0: player 1 and the running story game; index 1: player 2 in a
  // two-player battle of the battle mode.
  gameHeader playerHeaders[2];
  // 1 while the game in progress is a story game, 0 in the battle mode.
  uint8_t storyGameFlag = 0;
  int32_t playerCount = 1;
  // The battle difficulty last chosen (10, 70 or 100).
  int32_t currentDifficulty = 100;
};

// holdings := the possessions of playerHeaders[0], unchanged.
void restoreHoldings();
// Merges holdings into playerHeaders[0]: money copied; a weapon owned in
// holdings becomes owned, one not owned keeps the record's flag; a non-zero
// item count is copied, a zero count keeps the record's count.
void storeHoldings();
// A story battle starts: each item equipped in the first, then the second
// player's header is used up, one of its held count. A count never falls
// below 0 (a second player's header may still name an item of a battle of
// the battle mode that the story's holdings do not hold).
void consumeEquippedItems();

}  // namespace game
