// The shop's buying rules, its cursor's key table and pointer targets, and
// a frame's activation of the buy button.
#include "game/shell/shop.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/core/catalogue.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/records.h"
#include "game/core/session.h"
#include "game/core/story_mode_hooks_test_support.h"
#include "game/shell/startup.h"

namespace game {
namespace {

class Shop : public ::testing::Test {
 protected:
  void SetUp() override {
    buildEquipCatalogue();
    Session().play.holdings.mainOwned[0] = 1;
    Session().play.holdings.subOwned[0] = 1;
    Session().frame.drawThisFrame = false;
    Session().story = &story_;
  }
  // The text the newest message the shop fed says, "" when none since the last call.
  std::string newestLine() {
    const std::string line = story_.newestMessage();
    story_.lines.clear();
    const size_t quote = line.find("「");
    return quote == std::string::npos ? std::string() : line.substr(quote);
  }
  shopState& state() { return shop_.state(); }

  ShopScreen shop_;
  test::RecordingStory story_;
};

TEST_F(Shop, PurchasesFollowTheRulesAndMoneyNeverFallsBelowZero) {
  struct Case {
    int tab, row;
    int32_t money;
    bool ownedBefore;
    int32_t countBefore;
    ShopPurchase result;
    int32_t moneyAfter;
    int32_t countAfter;  // items: the count; weapons: the owned flag
  };
  const Case cases[] = {
      {1, 1, 4000, false, 0, ShopPurchase::kBought, 0, 1},          // exactly the price
      {1, 1, 3999, false, 0, ShopPurchase::kShortOfMoney, 3999, 0},  // one short
      {1, 0, 100000, true, 0, ShopPurchase::kOwned, 100000, 1},      // owned: nothing changes
      {2, 5, 25000, false, 0, ShopPurchase::kBought, 15000, 1},
      {2, 0, 0, true, 0, ShopPurchase::kOwned, 0, 1},
      {3, 2, 5000, false, 7, ShopPurchase::kBought, 3000, 8},        // items have no cap
      {3, 5, 1499, false, 0, ShopPurchase::kShortOfMoney, 1499, 0},
      {3, 0, -50, false, 2, ShopPurchase::kShortOfMoney, -50, 2},     // a debt buys nothing
  };
  for (const Case& c : cases) {
    Session().play.holdings = holdingsData{};
    Session().play.holdings.money = c.money;
    state().shopSelectedTab = c.tab;
    state().shopSelectedRow = c.row;
    if (c.tab == 1) Session().play.holdings.mainOwned[c.row] = c.ownedBefore;
    if (c.tab == 2) Session().play.holdings.subOwned[c.row] = c.ownedBefore;
    if (c.tab == 3) Session().play.holdings.itemCounts[c.row] = c.countBefore;
    EXPECT_EQ(shop_.buySelectedEntry(), c.result) << c.tab << " " << c.row;
    EXPECT_EQ(Session().play.holdings.money, c.moneyAfter) << c.tab << " " << c.row;
    const int32_t after = c.tab == 1   ? Session().play.holdings.mainOwned[c.row]
                          : c.tab == 2 ? Session().play.holdings.subOwned[c.row]
                                       : Session().play.holdings.itemCounts[c.row];
    EXPECT_EQ(after, c.countAfter) << c.tab << " " << c.row;
  }
}

TEST_F(Shop, BuyingTheSameItemAgainAndAgainRaisesItsCount) {
  Session().play.holdings.money = 10000;
  state().shopSelectedTab = 3;
  state().shopSelectedRow = 4;
  for (int i = 1; i <= 10; ++i) {
    EXPECT_EQ(shop_.buySelectedEntry(), ShopPurchase::kBought);
    EXPECT_EQ(Session().play.holdings.itemCounts[4], i);
  }
  EXPECT_EQ(Session().play.holdings.money, 0);
  EXPECT_EQ(shop_.buySelectedEntry(), ShopPurchase::kShortOfMoney);
}

TEST_F(Shop, TheBuyButtonRecordsThePurchaseThenThanksOrRefusesWithALine) {
  Session().menuCursor = kShopBuy;
  Session().play.holdings.money = 7000;
  state().shopSelectedTab = 1;
  state().shopSelectedRow = 2;
  Session().playerInputs[0].hold[kActionShot] = 1;
  shop_.frameAfterMouse();
  EXPECT_EQ(Session().play.holdings.mainOwned[2], 1);  // in the holdings before anything else can happen
  EXPECT_EQ(Session().play.holdings.money, 0);
  ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
  EXPECT_EQ(Session().frame.noticeQueue.front(),
            (std::vector<std::string>{getMainWeaponInfo(2)->name + "を購入しました。", "OK"}));
  EXPECT_EQ(newestLine(), "「ありがとうございます。大事に使ってくださいね。」");

  // The same weapon again: refused without a line or a notice.
  Session().frame.noticeQueue.clear();
  Session().playerInputs[0].hold[kActionShot] = 1;
  shop_.frameAfterMouse();
  EXPECT_TRUE(Session().frame.noticeQueue.empty());
  EXPECT_EQ(newestLine(), "");

  // Short of money: the shopkeeper says so, and nothing is bought.
  state().shopSelectedRow = 3;
  shop_.frameAfterMouse();
  EXPECT_EQ(Session().play.holdings.mainOwned[3], 0);
  EXPECT_TRUE(Session().frame.noticeQueue.empty());
  EXPECT_EQ(newestLine(), "「あ、お金が足りないみたいですよ。」");

  // A held key does not buy again.
  Session().playerInputs[0].hold[kActionShot] = 2;
  shop_.frameAfterMouse();
  EXPECT_EQ(newestLine(), "");
}

TEST_F(Shop, RowsAndTabsSelectAndShow) {
  Session().menuCursor = 2;
  Session().playerInputs[0].hold[kActionShot] = 1;
  shop_.frameAfterMouse();
  EXPECT_EQ(state().shopTab, 2);
  EXPECT_EQ(state().shopSelectedTab, 1);  // a tab only shows its list
  Session().menuCursor = kShopFirstRow + 5;
  shop_.frameAfterMouse();
  EXPECT_EQ(state().shopSelectedTab, 2);
  EXPECT_EQ(state().shopSelectedRow, 5);
  Session().menuCursor = kShopFirstRow + 6;  // past the six sub weapons: no row
  shop_.frameAfterMouse();
  EXPECT_EQ(state().shopSelectedRow, 5);
}

TEST_F(Shop, TheKeysMoveTheCursorAsTheTableSays) {
  struct Case {
    int tab;
    ShopKey key;
    int32_t before, after;
  };
  using K = ShopKey;
  const Case cases[] = {
      {1, K::kUp, 1, 12},  {1, K::kUp, 3, 12},  {2, K::kUp, 2, 11},  {1, K::kUp, 4, 5},
      {1, K::kUp, 5, 4},   {1, K::kUp, 6, 1},   {3, K::kUp, 6, 3},   {1, K::kUp, 9, 8},
      {1, K::kDown, 2, 6}, {1, K::kDown, 4, 5}, {1, K::kDown, 5, 4}, {1, K::kDown, 7, 8},
      {1, K::kDown, 12, 1}, {2, K::kDown, 11, 2}, {3, K::kDown, 11, 3},
      {1, K::kRight, 1, 2}, {1, K::kRight, 2, 3}, {1, K::kRight, 3, 5}, {1, K::kRight, 4, 6},
      {1, K::kRight, 5, 6}, {1, K::kRight, 9, 5},
      {1, K::kLeft, 1, 6}, {1, K::kLeft, 2, 1}, {1, K::kLeft, 3, 2}, {1, K::kLeft, 5, 6},
      {1, K::kLeft, 4, 12}, {2, K::kLeft, 4, 11}, {1, K::kLeft, 8, 5},
      // A cursor that is no target comes to the shown tab.
      {2, K::kDown, 0, 2}, {2, K::kUp, 12, 2},
  };
  for (const Case& c : cases) {
    state().shopTab = c.tab;
    EXPECT_EQ(shop_.cursorAfterKey(c.key, c.before), c.after)
        << "tab " << c.tab << " key " << static_cast<int>(c.key) << " from " << c.before;
  }
}

TEST_F(Shop, OneKeyAFrameInTheTablesOrder) {
  Session().menuCursor = 4;
  Session().playerInputs[0].hold[kActionDown] = 1;
  Session().playerInputs[0].hold[kActionRight] = 1;
  shop_.frameAfterMouse();
  EXPECT_EQ(Session().menuCursor, 5);  // down acted, right did not
}

TEST_F(Shop, PointerTargetsAndTheirEdges) {
  struct Case {
    int tab;
    int32_t x, y, target;
  };
  const Case cases[] = {
      {1, 55, 50, 1},   {1, 137, 88, 1},  {1, 138, 70, 2},  {1, 219, 70, 2},  {1, 220, 70, 3},
      {1, 301, 70, 3},  {1, 302, 70, -1}, {1, 54, 70, -1},  {1, 100, 49, -1}, {1, 100, 89, -1},
      {1, 55, 101, 6},  {1, 355, 119, 6}, {1, 200, 100, -1}, {1, 200, 120, -1}, {1, 200, 121, 7},
      {1, 200, 239, 12}, {1, 200, 241, -1}, {2, 200, 221, -1}, {2, 200, 219, 11}, {1, 356, 110, -1},
      {1, 440, 180, 5}, {1, 504, 212, 5}, {1, 505, 200, -1}, {1, 500, 400, 4},  {1, 590, 430, 4},
      {1, 591, 430, -1}, {1, 500, 431, -1},
  };
  for (const Case& c : cases) {
    state().shopTab = c.tab;
    EXPECT_EQ(shop_.targetAt(c.x, c.y), c.target) << c.x << "," << c.y;
  }
}

TEST_F(Shop, ThePointerMovesTheCursorOnlyWhileTheMouseMovesAndAClickNeedsATarget) {
  Session().menuCursor = 1;
  Session().frame.mouseX = 460;
  Session().frame.mouseY = 190;  // over the buy button
  Session().frame.mouseMoved = false;
  shop_.frameAfterMouse();
  EXPECT_EQ(Session().menuCursor, 1);
  Session().frame.mouseMoved = true;
  shop_.frameAfterMouse();
  EXPECT_EQ(Session().menuCursor, kShopBuy);

  // A click over no target does nothing; over any target it acts on the cursor.
  Session().play.holdings.money = 100000;
  state().shopSelectedTab = 3;
  state().shopSelectedRow = 0;
  Session().frame.mouseMoved = false;
  Session().frame.mouseX = 10;
  Session().frame.mouseY = 10;
  Session().playerInputs[0].hold[kActionMouseLeft] = 1;
  shop_.frameAfterMouse();
  EXPECT_EQ(Session().play.holdings.itemCounts[0], 0);
  Session().frame.mouseX = 60;
  Session().frame.mouseY = 70;  // over the main-weapon tab, the cursor still on the buy button
  shop_.frameAfterMouse();
  EXPECT_EQ(Session().play.holdings.itemCounts[0], 1);
  EXPECT_EQ(Session().menuCursor, kShopBuy);
}

TEST_F(Shop, AVisitGreetsAndLeavingSaysFarewellFreesTheShopAndGoesBack) {
  state().shopRowCounts[1] = 0;
  Session().menuCursor = 9;
  state().shopSelectedTab = 2;
  shop_.enter();
  EXPECT_EQ(state().shopRowCounts[1], 6);
  EXPECT_EQ(Session().music.rememberedMusic, "audio/y-maf.mid");
  EXPECT_EQ(Session().menuCursor, 9);  // the cursor and the selection are as they were
  EXPECT_EQ(state().shopSelectedTab, 2);
  EXPECT_EQ(story_.lines[1], "@addNewGraph image/stands/temu.png アイテム屋 (560,88)");
  EXPECT_EQ(newestLine(), "「いらっしゃいませ。今日は、どんな御用ですか？」");

  state().shopTab = 3;
  Session().frame.gameMode = kModeShop;
  setReturnMode(kModeShop, kModeStory);
  Session().menuCursor = kShopLeave;
  Session().playerInputs[0].hold[kActionShot] = 1;
  shop_.frameAfterMouse();
  EXPECT_EQ(story_.lines.back(), "@deleteGraph アイテム屋");
  EXPECT_EQ(newestLine(), "「またのご来店、お待ちしております。」");
  EXPECT_EQ(story_.reveals, 1);  // the farewell shows whole
  EXPECT_EQ(story_.steps, 1);    // and the story goes on at its next line
  EXPECT_EQ(state().shopTab, 1);
  EXPECT_EQ(Session().music.rememberedMusic, "");
  EXPECT_NE(Session().frame.gameMode, kModeShop);
}

}  // namespace
}  // namespace game
