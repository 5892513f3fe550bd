// The game header's bytes and the merge between it and the holdings.
#include "game/core/records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "game/core/save_files.h"
#include "game/core/session.h"

namespace game {
namespace {

TEST(GameHeader, DefaultsAndGoldenLayout) {
  const gameHeader d;
  EXPECT_EQ(d.caption[0], '\0');
  EXPECT_EQ(d.money, 3000);
  EXPECT_EQ(d.mainOwned[0], 1);
  EXPECT_EQ(d.mainOwned[6], 0);
  EXPECT_EQ(d.subOwned[0], 1);
  EXPECT_EQ(d.mainWeapon, 0);
  EXPECT_EQ(d.subWeapon, 0);
  EXPECT_EQ(d.item1, -1);
  EXPECT_EQ(d.item2, -1);
  EXPECT_EQ(d.difficulty, 100);

  gameHeader h;
  // A caption with stale bytes behind its terminator: they are not written.
  std::memset(h.caption, 'x', sizeof h.caption);
  std::strcpy(h.caption, "2026/12/11 01:02");
  h.money = -7;
  h.mainOwned[3] = 5;
  h.subOwned[5] = 1;
  for (int i = 0; i < kItemCount; ++i) h.itemCounts[i] = 0x01020300 + i;
  h.battleCharacter = 4;
  h.mainWeapon = 3;
  h.subWeapon = 5;
  h.item1 = 2;
  h.item2 = -1;
  h.difficulty = 250;
  uint8_t out[kGameHeaderSize];
  std::memset(out, 0xAA, sizeof out);
  encodeGameHeader(h, out);

  std::vector<uint8_t> golden(kGameHeaderSize, 0);
  std::memcpy(golden.data(), "2026/12/11 01:02", 16);
  putLeI32(golden.data() + 256, -7);
  golden[260] = 1;
  golden[263] = 5;
  golden[267] = 1;
  golden[272] = 1;
  for (int i = 0; i < kItemCount; ++i) putLeI32(golden.data() + 276 + 4 * i, 0x01020300 + i);
  putLeI32(golden.data() + 300, 4);
  putLeI32(golden.data() + 304, 3);
  putLeI32(golden.data() + 308, 5);
  putLeI32(golden.data() + 312, 2);
  putLeI32(golden.data() + 316, -1);
  putLeI32(golden.data() + 320, 250);
  EXPECT_EQ(std::vector<uint8_t>(out, out + kGameHeaderSize), golden);

  const gameHeader back = decodeGameHeader(out);
  uint8_t again[kGameHeaderSize];
  encodeGameHeader(back, again);
  EXPECT_EQ(std::vector<uint8_t>(again, again + kGameHeaderSize), golden);
  EXPECT_STREQ(back.caption, "2026/12/11 01:02");

  // A caption without a terminator in the file is cut to 255 bytes.
  std::memset(out, 'y', kCaptionSize);
  EXPECT_EQ(std::strlen(decodeGameHeader(out).caption), 255u);
  encodeGameHeader(decodeGameHeader(out), again);
  EXPECT_EQ(again[254], 'y');
  EXPECT_EQ(again[255], 0);
}

TEST(Holdings, StoreMergesAndRestoreCopies) {
  // Per id: the record's value, the holdings' value, the record's value after storeHoldings.
  struct MergeCase {
    uint8_t recordOwned, heldOwned, storedOwned;
    int32_t recordCount, heldCount, storedCount;
  };
  const MergeCase cases[] = {
      {0, 0, 0, 0, 0, 0},    // nothing anywhere
      {0, 1, 1, 0, 4, 4},    // bought: owned, count copied
      {1, 0, 1, 3, 0, 3},    // owned stays; a used-up item keeps the old count
      {1, 1, 1, 3, 1, 1},    // a lower count is copied
      {0, 9, 1, 2, -2, -2},  // a non-zero flag is stored as 1; any non-zero count is copied
      {0, 0, 0, 5, 0, 5},
  };
  Session().play.playerHeaders[0] = gameHeader{};
  Session().play.holdings = holdingsData{};
  for (int i = 0; i < 6; ++i) {
    Session().play.playerHeaders[0].mainOwned[i] = cases[i].recordOwned;
    Session().play.playerHeaders[0].subOwned[i] = cases[i].recordOwned;
    Session().play.playerHeaders[0].itemCounts[i] = cases[i].recordCount;
    Session().play.holdings.mainOwned[i] = cases[i].heldOwned;
    Session().play.holdings.subOwned[i] = cases[i].heldOwned;
    Session().play.holdings.itemCounts[i] = cases[i].heldCount;
  }
  Session().play.playerHeaders[0].mainOwned[6] = 1;
  Session().play.playerHeaders[0].difficulty = 150;
  Session().play.playerHeaders[0].item1 = 2;
  std::strcpy(Session().play.playerHeaders[0].caption, "kept");
  Session().play.holdings.money = 0;
  storeHoldings();
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Session().play.playerHeaders[0].mainOwned[i], cases[i].storedOwned);
    EXPECT_EQ(Session().play.playerHeaders[0].subOwned[i], cases[i].storedOwned);
    EXPECT_EQ(Session().play.playerHeaders[0].itemCounts[i], cases[i].storedCount);
  }
  EXPECT_EQ(Session().play.playerHeaders[0].mainOwned[6], 1);
  EXPECT_EQ(Session().play.playerHeaders[0].money, 0);  // money is stored even when 0
  EXPECT_EQ(Session().play.playerHeaders[0].difficulty, 150);
  EXPECT_EQ(Session().play.playerHeaders[0].item1, 2);
  EXPECT_STREQ(Session().play.playerHeaders[0].caption, "kept");

  // Loading brings the kept count back.
  Session().play.holdings = holdingsData{};
  restoreHoldings();
  EXPECT_EQ(Session().play.holdings.money, 0);
  EXPECT_EQ(Session().play.holdings.itemCounts[2], 3);
  EXPECT_EQ(Session().play.holdings.mainOwned[6], 1);
  EXPECT_EQ(Session().play.holdings.subOwned[4], 1);
  Session().play.playerHeaders[0] = gameHeader{};
  Session().play.holdings = holdingsData{};
}

}  // namespace
}  // namespace game

namespace game {
namespace {

// A story battle's start uses up what both players' headers have equipped.
TEST(Holdings, AStoryBattleUsesUpTheEquippedItems) {
  struct Case {
    const char* what;
    int32_t p1item1, p1item2, p2item1, p2item2;
    int32_t before[kItemCount];
    int32_t after[kItemCount];
  };
  const Case cases[] = {
      {"two items of player 1", 0, 1, kNoItem, kNoItem, {1, 2, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}},
      {"nothing equipped", kNoItem, kNoItem, kNoItem, kNoItem, {1, 2, 3, 0, 0, 0}, {1, 2, 3, 0, 0, 0}},
      {"player 2's item too", 4, kNoItem, kNoItem, 5, {0, 0, 0, 0, 3, 3}, {0, 0, 0, 0, 2, 2}},
      {"one item in both headers", 2, kNoItem, 2, kNoItem, {0, 0, 5, 0, 0, 0}, {0, 0, 3, 0, 0, 0}},
      {"a count never falls below 0", 3, kNoItem, 3, kNoItem, {0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 0, 0}},
      {"ids outside the items are no item", 6, -7, kNoItem, kNoItem, {1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    PlayState& p = Session().play;
    p.playerHeaders[0].item1 = c.p1item1;
    p.playerHeaders[0].item2 = c.p1item2;
    p.playerHeaders[1].item1 = c.p2item1;
    p.playerHeaders[1].item2 = c.p2item2;
    std::copy(std::begin(c.before), std::end(c.before), p.holdings.itemCounts);
    p.holdings.money = 500;
    consumeEquippedItems();
    EXPECT_TRUE(std::equal(std::begin(c.after), std::end(c.after), p.holdings.itemCounts)) << c.what;
    EXPECT_EQ(p.holdings.money, 500) << c.what;
    EXPECT_EQ(p.playerHeaders[0].item1, c.p1item1) << c.what;  // the equipment stays as it was
  }
}

}  // namespace
}  // namespace game
