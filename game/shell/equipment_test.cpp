// The equipment screen's choices, fitting rules, list bands and the
// mouse's interplay with the slots.
#include "game/shell/equipment.h"

#include <gtest/gtest.h>

#include "game/core/catalogue.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/session.h"
#include "game/shell/startup.h"

namespace game {
namespace {

class Equipment : public ::testing::Test {
 protected:
  void SetUp() override {
    buildEquipCatalogue();
    Session().play.holdings = holdingsData{};
    Session().play.holdings.mainOwned[0] = Session().play.holdings.mainOwned[3] = 1;
    Session().play.holdings.subOwned[0] = Session().play.holdings.subOwned[5] = 1;
    Session().play.holdings.itemCounts[1] = 2;
    Session().play.holdings.itemCounts[4] = 1;
    record_ = gameHeader{};
    record_.mainWeapon = 3;
    record_.subWeapon = 5;
    record_.item1 = 4;
    record_.item2 = 1;
    Session().playerInputs[0] = resetInputRecord();
    Session().frame.drawThisFrame = false;
    sel().equipOpenList = -1;
    Session().play.storyGameFlag = 0;
  }
  void TearDown() override {
    Session().play.holdings = holdingsData{};
    Session().play.storyGameFlag = 0;
    sel().equipTarget = nullptr;
  }
  equipSelection& sel() { return screen_.selection(); }

  EquipmentScreen screen_;
  gameHeader record_;
};

TEST_F(Equipment, ChoicesComeFromTheLiveHoldingsAndItemsStartEmptyInAStoryGame) {
  screen_.prepare(record_);
  EXPECT_EQ(sel().equipMainChoices, (std::vector<int32_t>{0, 3}));
  EXPECT_EQ(sel().equipSubChoices, (std::vector<int32_t>{0, 5}));
  EXPECT_EQ(sel().equipItemChoices, (std::vector<int32_t>{-1, 1, 4}));
  EXPECT_EQ(sel().equipMain, 3);
  EXPECT_EQ(sel().equipSub, 5);
  EXPECT_EQ(sel().equipItem1, 4);  // the battle mode starts from the record
  EXPECT_EQ(sel().equipItem2, 1);

  Session().play.storyGameFlag = 1;
  screen_.prepare(record_);
  EXPECT_EQ(sel().equipItem1, -1);
  EXPECT_EQ(sel().equipItem2, -1);
  EXPECT_EQ(record_.item1, 4);  // the record keeps its words until something is fitted

  Session().play.holdings = holdingsData{};
  screen_.prepare(record_);
  EXPECT_EQ(sel().equipItemChoices, (std::vector<int32_t>{-1}));  // no item held: only "<なし>"

  Session().play.playerHeaders[0] = record_;
  setReturnMode(kModeEquipment, kModeStory);
  screen_.enter();
  EXPECT_EQ(Session().play.playerHeaders[0].item1, -1);
  EXPECT_EQ(Session().play.playerHeaders[0].item2, -1);
  EXPECT_EQ(sel().equipTarget, &Session().play.playerHeaders[0]);
  Session().play.playerHeaders[0] = gameHeader{};
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
    screen_.prepare(record_);
    sel().equipItem1 = record_.item1 = c.item1;
    sel().equipItem2 = record_.item2 = c.item2;
    Session().frame.noticeQueue.clear();
    EXPECT_EQ(screen_.fit(c.slot, c.choice), c.fitted) << c.slot << " " << c.choice;
    EXPECT_EQ(sel().equipItem1, c.item1After) << c.slot << " " << c.choice;
    EXPECT_EQ(sel().equipItem2, c.item2After) << c.slot << " " << c.choice;
    EXPECT_EQ(record_.item1, c.item1After) << c.slot << " " << c.choice;
    EXPECT_EQ(record_.item2, c.item2After) << c.slot << " " << c.choice;
    if (c.notice == nullptr) {
      EXPECT_TRUE(Session().frame.noticeQueue.empty());
    } else {
      ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
      EXPECT_EQ(Session().frame.noticeQueue.front(), (std::vector<std::string>{c.notice, "OK"}));
    }
  }
  screen_.prepare(record_);
  EXPECT_TRUE(screen_.fit(1, 0));
  EXPECT_TRUE(screen_.fit(2, 0));
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
  screen_.prepare(record_);
  sel().equipOpenList = 2;  // two sub weapons, top 120
  Session().menuCursor = 1;
  Session().frame.mouseX = 500;
  Session().frame.mouseY = 120 + 12 * 8;
  Session().frame.mouseMoved = true;
  screen_.frameAfterMouse();
  EXPECT_EQ(Session().menuCursor, 1);
  Session().playerInputs[0].hold[kActionMouseLeft] = 1;
  screen_.frameAfterMouse();
  EXPECT_EQ(sel().equipSub, 5);  // nothing fitted; the list closes on the slot
  EXPECT_EQ(sel().equipOpenList, -1);
  EXPECT_EQ(Session().menuCursor, 2);
}

TEST_F(Equipment, AClickOnARowFitsItAndTheShotKeyFitsTheCursorsRow) {
  screen_.prepare(record_);
  sel().equipOpenList = 1;  // main weapons 0 and 3, top 20
  Session().menuCursor = 1;
  Session().frame.mouseX = 500;
  Session().frame.mouseY = 25;
  Session().frame.mouseMoved = true;
  Session().playerInputs[0].hold[kActionMouseLeft] = 1;
  screen_.frameAfterMouse();
  EXPECT_EQ(sel().equipMain, 0);
  EXPECT_EQ(record_.mainWeapon, 0);
  EXPECT_EQ(Session().menuCursor, 1);
  EXPECT_EQ(sel().equipOpenList, -1);

  sel().equipOpenList = 3;  // items: none, 1, 4
  Session().menuCursor = 3;
  Session().frame.mouseMoved = false;
  Session().playerInputs[0].hold[kActionMouseLeft] = 0;
  Session().playerInputs[0].hold[kActionShot] = 1;
  screen_.frameAfterMouse();
  EXPECT_EQ(sel().equipItem1, 4);
  EXPECT_EQ(Session().menuCursor, 3);
}

TEST_F(Equipment, ARightClickOnASlotOpensItsListAndClosesItInTheSameFrame) {
  screen_.prepare(record_);
  Session().menuCursor = 1;
  Session().frame.mouseX = 650;
  Session().frame.mouseY = 250;  // slot 3
  Session().frame.mouseMoved = true;
  Session().playerInputs[0].hold[kActionMouseRight] = 1;
  screen_.frameAfterMouse();
  EXPECT_EQ(sel().equipOpenList, -1);
  EXPECT_EQ(Session().menuCursor, 3);

  // A left click opens it and it stays open.
  Session().playerInputs[0].hold[kActionMouseRight] = 0;
  Session().playerInputs[0].hold[kActionMouseLeft] = 1;
  screen_.frameAfterMouse();
  EXPECT_EQ(sel().equipOpenList, 3);
  EXPECT_EQ(Session().menuCursor, 1);

  // The pause key closes it on its slot.
  Session().playerInputs[0].hold[kActionMouseLeft] = 0;
  Session().playerInputs[0].hold[kActionPause] = 1;
  Session().frame.mouseMoved = false;
  screen_.frameAfterMouse();
  EXPECT_EQ(sel().equipOpenList, -1);
  EXPECT_EQ(Session().menuCursor, 3);
}

}  // namespace
}  // namespace game

namespace game {
namespace {

TEST_F(Equipment, AConfirmationWritesAllFourWordsAndLeavesForTheBattleSetUp) {
  screen_.prepare(record_);
  sel().equipMain = 0;
  sel().equipItem1 = 1;
  sel().equipItem2 = -1;
  setReturnMode(kModeEquipment, kModeBattleSetup);
  Session().frame.gameMode = kModeEquipment;
  // Without a window the box answers its current choice, yes.
  EXPECT_TRUE(screen_.confirm());
  EXPECT_EQ(record_.mainWeapon, 0);
  EXPECT_EQ(record_.subWeapon, 5);
  EXPECT_EQ(record_.item1, 1);
  EXPECT_EQ(record_.item2, -1);
  EXPECT_NE(Session().frame.gameMode, kModeEquipment);
}

}  // namespace
}  // namespace game
