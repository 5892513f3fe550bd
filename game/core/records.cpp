// The game header's layout and the copies between it and the holdings.
#include "game/core/records.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "game/core/save_files.h"
#include "game/core/session.h"

namespace game {

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
