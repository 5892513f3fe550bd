// The equipment screen's choices, fitting rules, list bands and the
// mouse's interplay with the slots.
#include "game/shell/equipment.h"

#include <gtest/gtest.h>

#include "game/shell/catalogue.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/startup.h"

namespace game {
namespace {

class Equipment : public ::testing::Test {
 protected:
  void SetUp() override {
    buildEquipCatalogue();
    resetFrameState();
    holdings = holdingsData{};
    holdings.mainOwned[0] = holdings.mainOwned[3] = 1;
    holdings.subOwned[0] = holdings.subOwned[5] = 1;
    holdings.itemCounts[1] = 2;
    holdings.itemCounts[4] = 1;
    record_ = gameHeader{};
    record_.mainWeapon = 3;
    record_.subWeapon = 5;
    record_.item1 = 4;
    record_.item2 = 1;
    playerInputs[0] = resetInputRecord();
    drawThisFrame = false;
    equipOpenList = -1;
    storyGameFlag = 0;
  }
  void TearDown() override {
    resetFrameState();
    holdings = holdingsData{};
    storyGameFlag = 0;
    equipTarget = nullptr;
  }
  gameHeader record_;
};

TEST_F(Equipment, ChoicesComeFromTheLiveHoldingsAndItemsStartEmptyInAStoryGame) {
  buildEquipChoices(record_);
  EXPECT_EQ(equipMainChoices, (std::vector<int32_t>{0, 3}));
  EXPECT_EQ(equipSubChoices, (std::vector<int32_t>{0, 5}));
  EXPECT_EQ(equipItemChoices, (std::vector<int32_t>{-1, 1, 4}));
  EXPECT_EQ(equipMain, 3);
  EXPECT_EQ(equipSub, 5);
  EXPECT_EQ(equipItem1, 4);  // the battle mode starts from the record
  EXPECT_EQ(equipItem2, 1);

  storyGameFlag = 1;
  buildEquipChoices(record_);
  EXPECT_EQ(equipItem1, -1);
  EXPECT_EQ(equipItem2, -1);
  EXPECT_EQ(record_.item1, 4);  // the record keeps its words until something is fitted

  holdings = holdingsData{};
  buildEquipChoices(record_);
  EXPECT_EQ(equipItemChoices, (std::vector<int32_t>{-1}));  // no item held: only "<なし>"

  playerHeaders[0] = record_;
  prepareStoryEquipment();
  EXPECT_EQ(playerHeaders[0].item1, -1);
  EXPECT_EQ(playerHeaders[0].item2, -1);
  EXPECT_EQ(equipTarget, &playerHeaders[0]);
  playerHeaders[0] = gameHeader{};
}

TEST_F(Equipment, FittingWritesTheRecordAtOnceAndTwoSlotsNeverHoldOneItem) {
  struct Case {
    int32_t slot, choice, item1, item2;
    bool fitted;
    int32_t item1After, item2After;
    const char* notice;
  };
  const Case cases[] = {
      {3, 1, -1, -1, true, 1, -1, nullptr},
      {4, 1, 1, -1, false, 1, -1, "すでにアイテム1で装備中です。"},
      {3, 4, 2, 4, false, 2, 4, "すでにアイテム2で装備中です。"},
      {3, -1, -1, -1, true, -1, -1, nullptr},  // "<なし>" in both slots is allowed
      {4, -1, 3, -1, true, 3, -1, nullptr},
      {4, 2, 3, 5, true, 3, 2, nullptr},
      {3, 5, 3, 2, true, 5, 2, nullptr},
  };
  for (const Case& c : cases) {
    buildEquipChoices(record_);
    equipItem1 = record_.item1 = c.item1;
    equipItem2 = record_.item2 = c.item2;
    noticeQueue.clear();
    EXPECT_EQ(fitEquipChoice(c.slot, c.choice), c.fitted) << c.slot << " " << c.choice;
    EXPECT_EQ(equipItem1, c.item1After) << c.slot << " " << c.choice;
    EXPECT_EQ(equipItem2, c.item2After) << c.slot << " " << c.choice;
    EXPECT_EQ(record_.item1, c.item1After) << c.slot << " " << c.choice;
    EXPECT_EQ(record_.item2, c.item2After) << c.slot << " " << c.choice;
    if (c.notice == nullptr) {
      EXPECT_TRUE(noticeQueue.empty());
    } else {
      ASSERT_EQ(noticeQueue.size(), 1u);
      EXPECT_EQ(noticeQueue.front(), (std::vector<std::string>{c.notice, "OK"}));
    }
  }
  buildEquipChoices(record_);
  EXPECT_TRUE(fitEquipChoice(1, 0));
  EXPECT_TRUE(fitEquipChoice(2, 0));
  EXPECT_EQ(record_.mainWeapon, 0);
  EXPECT_EQ(record_.subWeapon, 0);
}

TEST_F(Equipment, ListBandsCoverOnlyTheRowsThatExist) {
  struct Case {
    int32_t rows, y, row;
  };
  // Slot 1's list: top 20, rows of 12 pixels, bounds included, the last band wins.
  const Case cases[] = {
      {2, 19, -1}, {2, 20, 0}, {2, 31, 0}, {2, 32, 1}, {2, 44, 1}, {2, 45, -1}, {2, 200, -1},
      {1, 32, 0},  {1, 33, -1}, {0, 20, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(equipRowAt(20, c.rows, c.y), c.row) << c.rows << " " << c.y;
}

TEST_F(Equipment, APointerBelowTheListNeitherMovesTheCursorNorFits) {
  buildEquipChoices(record_);
  equipOpenList = 2;  // two sub weapons, top 120
  menuCursor = 1;
  mouseX = 500;
  mouseY = 120 + 12 * 8;
  mouseMoved = true;
  equipFrame();
  EXPECT_EQ(menuCursor, 1);
  playerInputs[0].hold[kActionMouseLeft] = 1;
  equipFrame();
  EXPECT_EQ(equipSub, 5);  // nothing fitted; the list closes on the slot
  EXPECT_EQ(equipOpenList, -1);
  EXPECT_EQ(menuCursor, 2);
}

TEST_F(Equipment, AClickOnARowFitsItAndTheShotKeyFitsTheCursorsRow) {
  buildEquipChoices(record_);
  equipOpenList = 1;  // main weapons 0 and 3, top 20
  menuCursor = 1;
  mouseX = 500;
  mouseY = 25;
  mouseMoved = true;
  playerInputs[0].hold[kActionMouseLeft] = 1;
  equipFrame();
  EXPECT_EQ(equipMain, 0);
  EXPECT_EQ(record_.mainWeapon, 0);
  EXPECT_EQ(menuCursor, 1);
  EXPECT_EQ(equipOpenList, -1);

  equipOpenList = 3;  // items: none, 1, 4
  menuCursor = 3;
  mouseMoved = false;
  playerInputs[0].hold[kActionMouseLeft] = 0;
  playerInputs[0].hold[kActionShot] = 1;
  equipFrame();
  EXPECT_EQ(equipItem1, 4);
  EXPECT_EQ(menuCursor, 3);
}

TEST_F(Equipment, ARightClickOnASlotOpensItsListAndClosesItInTheSameFrame) {
  buildEquipChoices(record_);
  menuCursor = 1;
  mouseX = 650;
  mouseY = 250;  // slot 3
  mouseMoved = true;
  playerInputs[0].hold[kActionMouseRight] = 1;
  equipFrame();
  EXPECT_EQ(equipOpenList, -1);
  EXPECT_EQ(menuCursor, 3);

  // A left click opens it and it stays open.
  playerInputs[0].hold[kActionMouseRight] = 0;
  playerInputs[0].hold[kActionMouseLeft] = 1;
  equipFrame();
  EXPECT_EQ(equipOpenList, 3);
  EXPECT_EQ(menuCursor, 1);

  // The pause key closes it on its slot.
  playerInputs[0].hold[kActionMouseLeft] = 0;
  playerInputs[0].hold[kActionPause] = 1;
  mouseMoved = false;
  equipFrame();
  EXPECT_EQ(equipOpenList, -1);
  EXPECT_EQ(menuCursor, 3);
}

}  // namespace
}  // namespace game

namespace game {
namespace {

TEST_F(Equipment, AConfirmationWritesAllFourWordsAndLeavesForTheBattleSetUp) {
  buildEquipChoices(record_);
  equipMain = 0;
  equipItem1 = 1;
  equipItem2 = -1;
  setReturnMode(kModeEquipment, kModeBattleSetup);
  gameMode = kModeEquipment;
  // Without a window the box answers its current choice, yes.
  EXPECT_TRUE(confirmEquip());
  EXPECT_EQ(record_.mainWeapon, 0);
  EXPECT_EQ(record_.subWeapon, 5);
  EXPECT_EQ(record_.item1, 1);
  EXPECT_EQ(record_.item2, -1);
  EXPECT_NE(gameMode, kModeEquipment);
}

}  // namespace
}  // namespace game
