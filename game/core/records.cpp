// The game header's layout and the copies between it and the holdings.
#include "game/core/records.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "game/core/save_files.h"
#include "game/core/session.h"

namespace game {

namespace {

constexpr size_t kMoneyAt = 256;
constexpr size_t kMainOwnedAt = 260;
constexpr size_t kSubOwnedAt = 267;
constexpr size_t kItemCountsAt = 276;
constexpr size_t kBattleCharacterAt = 300;
constexpr size_t kMainWeaponAt = 304;
constexpr size_t kSubWeaponAt = 308;
constexpr size_t kItem1At = 312;
constexpr size_t kItem2At = 316;
constexpr size_t kDifficultyAt = 320;

}  // namespace

void encodeGameHeader(const gameHeader& header, uint8_t out[kGameHeaderSize]) {
  std::memset(out, 0, kGameHeaderSize);
  const size_t length = strnlen(header.caption, kCaptionSize - 1);
  std::memcpy(out, header.caption, length);
  putLeI32(out + kMoneyAt, header.money);
  std::copy(header.mainOwned, header.mainOwned + kMainWeaponCount, out + kMainOwnedAt);
  std::copy(header.subOwned, header.subOwned + kSubWeaponCount, out + kSubOwnedAt);
  for (int i = 0; i < kItemCount; ++i) putLeI32(out + kItemCountsAt + 4 * i, header.itemCounts[i]);
  putLeI32(out + kBattleCharacterAt, header.battleCharacter);
  putLeI32(out + kMainWeaponAt, header.mainWeapon);
  putLeI32(out + kSubWeaponAt, header.subWeapon);
  putLeI32(out + kItem1At, header.item1);
  putLeI32(out + kItem2At, header.item2);
  putLeI32(out + kDifficultyAt, header.difficulty);
}

gameHeader decodeGameHeader(const uint8_t bytes[kGameHeaderSize]) {
  gameHeader h;
  std::memcpy(h.caption, bytes, kCaptionSize - 1);
  h.caption[kCaptionSize - 1] = '\0';
  h.money = readLeI32(bytes + kMoneyAt);
  std::copy(bytes + kMainOwnedAt, bytes + kMainOwnedAt + kMainWeaponCount, h.mainOwned);
  std::copy(bytes + kSubOwnedAt, bytes + kSubOwnedAt + kSubWeaponCount, h.subOwned);
  for (int i = 0; i < kItemCount; ++i) h.itemCounts[i] = readLeI32(bytes + kItemCountsAt + 4 * i);
  h.battleCharacter = readLeI32(bytes + kBattleCharacterAt);
  h.mainWeapon = readLeI32(bytes + kMainWeaponAt);
  h.subWeapon = readLeI32(bytes + kSubWeaponAt);
  h.item1 = readLeI32(bytes + kItem1At);
  h.item2 = readLeI32(bytes + kItem2At);
  h.difficulty = readLeI32(bytes + kDifficultyAt);
  return h;
}

void restoreHoldings() {
  const gameHeader& h = Session().play.playerHeaders[0];
  Session().play.holdings.money = h.money;
  std::copy(std::begin(h.mainOwned), std::end(h.mainOwned), Session().play.holdings.mainOwned);
  std::copy(std::begin(h.subOwned), std::end(h.subOwned), Session().play.holdings.subOwned);
  std::copy(std::begin(h.itemCounts), std::end(h.itemCounts), Session().play.holdings.itemCounts);
}

void consumeEquippedItems() {
  PlayState& p = Session().play;
  for (const gameHeader& header : p.playerHeaders) {
    for (const int32_t item : {header.item1, header.item2}) {
      if (item < 0 || item >= kItemCount) continue;
      int32_t& count = p.holdings.itemCounts[item];
      if (count > 0) --count;
    }
  }
}

void storeHoldings() {
  gameHeader& h = Session().play.playerHeaders[0];
  h.money = Session().play.holdings.money;
  for (int i = 0; i < kMainWeaponCount; ++i) {
    if (Session().play.holdings.mainOwned[i] != 0) h.mainOwned[i] = 1;
  }
  for (int i = 0; i < kSubWeaponCount; ++i) {
    if (Session().play.holdings.subOwned[i] != 0) h.subOwned[i] = 1;
  }
  for (int i = 0; i < kItemCount; ++i) {
    if (Session().play.holdings.itemCounts[i] != 0) h.itemCounts[i] = Session().play.holdings.itemCounts[i];
  }
}

}  // namespace game
