// The item shop's frame, its cursor over tabs, rows and buttons, buying,
// and the way back to the story.
#include "game/shell/shop.h"

#include <string>

#include "game/core/catalogue.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/nested_loop.h"
#include "game/core/records.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/widgets.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr const char* kShopMusic = "audio/y-maf.mid";
constexpr size_t kNoticeBytes = 255;

bool isTab(int32_t cursor) { return cursor >= 1 && cursor <= 3; }

const equipCatalogue& catalogueOf(int32_t tab) {
  const EquipCatalogues& c = Session().catalogue;
  return tab == 1 ? c.mainWeapons : tab == 2 ? c.subWeapons : c.items;
}

const equipInfo* entryOf(int32_t tab, int32_t row) {
  const equipCatalogue& c = catalogueOf(tab);
  const auto it = c.find(row);
  return it == c.end() ? nullptr : &it->second;
}

// The owned flag of a weapon; null for an item or an id outside the holdings.
uint8_t* ownedFlag(int32_t tab, int32_t row) {
  holdingsData& h = Session().play.holdings;
  if (tab == 1 && row >= 0 && row < kMainWeaponCount) return &h.mainOwned[row];
  if (tab == 2 && row >= 0 && row < kSubWeaponCount) return &h.subOwned[row];
  return nullptr;
}

bool firstFrame(int action) { return Session().playerInputs[0].hold[action] == 1; }

void drawText(int x, int y, const std::string& text, uint32_t colour) {
  veziv::DrawTextDefaultFont(x, y, text.c_str(), colour, 0);
}

// The shopkeeper's lines go to the story's interpreter as single lines.
void say(const std::string& line) { Session().storyMode().runLine(line); }

void drawBackground() {
  const uint32_t white = Session().colourWhite;
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageShopBackground), 0);
  veziv::RenderGraphAtPoint(440, 80, graphOf(kImageShopPictureWindow), 1);
  if (white != 0) {
    veziv::ChooseBlendMode(1, 100);
    veziv::DrawBoxFilled(444, 84, 528, 168, white);
    veziv::ChooseBlendMode(0, 0);
  }
}

void sayShortOfMoney() {
  veziv::StopSoundHandle(soundOf(kVoiceShopShortOfMoney));
  playMenuSound(kVoiceShopShortOfMoney);
  say("@message (アイテム屋) 「あ、お金が足りないみたいですよ。」");
}

void sayThanks() {
  playMenuSound(kVoiceShopThanks);
  say("@message (アイテム屋) 「ありがとうございます。大事に使ってくださいね。」");
}

}  // namespace

int32_t ShopScreen::rowCount(int32_t tab) const { return tab >= 1 && tab <= 3 ? state_.shopRowCounts[tab - 1] : 0; }
int32_t ShopScreen::lastRow() const { return kShopFirstRow + rowCount(state_.shopTab) - 1; }
bool ShopScreen::isRow(int32_t cursor) const { return cursor >= kShopFirstRow && cursor <= lastRow(); }

void ShopScreen::enter() {
  state_.shopRowCounts[0] = 7;
  state_.shopRowCounts[1] = 6;
  state_.shopRowCounts[2] = 6;
  playNewMusic(kShopMusic);
  say("@setFaceGraph TEMU_1");
  say("@addNewGraph image/stands/temu.png アイテム屋 (560,88)");
  say("@message (アイテム屋) 「いらっしゃいませ。今日は、どんな御用ですか？」");
  playMenuSound(kVoiceShopGreeting);
}

bool ShopScreen::frame() {
  updateMouseButtons(Session().playerInputs[0]);
  frameAfterMouse();
  isMouseMoved();
  return false;
}

void ShopScreen::frameAfterMouse() {
  GameSession& s = Session();
  moveByKeys();
  if (s.frame.mouseMoved) {
    const int32_t target = targetAt(s.frame.mouseX, s.frame.mouseY);
    if (target != -1 && target != s.menuCursor) {
      s.menuCursor = target;
      playMenuSound(kSoundCursor);
    }
  }
  const bool click = firstFrame(kActionMouseLeft) && targetAt(s.frame.mouseX, s.frame.mouseY) != -1;
  if (firstFrame(kActionShot) || click) activate();
  if (s.frame.gameMode == kModeShop && s.frame.drawThisFrame) draw();
}

int32_t ShopScreen::targetAt(int32_t x, int32_t y) const {
  if (y >= 50 && y <= 88) {
    if (x >= 55 && x <= 137) return 1;
    if (x >= 138 && x <= 219) return 2;
    if (x >= 220 && x <= 301) return 3;
    return -1;
  }
  if (x >= 55 && x <= 355) {
    for (int32_t r = 0; r < rowCount(state_.shopTab); ++r) {
      if (y > 100 + 20 * r && y < 120 + 20 * r) return kShopFirstRow + r;
    }
  }
  if (x >= 440 && x <= 504 && y >= 180 && y <= 212) return kShopBuy;
  if (x >= 500 && x <= 590 && y >= 400 && y <= 430) return kShopLeave;
  return -1;
}

int32_t ShopScreen::cursorAfterKey(ShopKey key, int32_t cursor) const {
  // A cursor that is no target (left so by another screen) comes to the
  // shown tab.
  if (!isTab(cursor) && !isRow(cursor) && cursor != kShopLeave && cursor != kShopBuy) return state_.shopTab;
  switch (key) {
    case ShopKey::kUp:
      if (isTab(cursor)) return lastRow();
      if (cursor == kShopLeave) return kShopBuy;
      if (cursor == kShopBuy) return kShopLeave;
      return cursor == kShopFirstRow ? state_.shopTab : cursor - 1;
    case ShopKey::kDown:
      if (isTab(cursor)) return kShopFirstRow;
      if (cursor == kShopLeave) return kShopBuy;
      if (cursor == kShopBuy) return kShopLeave;
      return cursor == lastRow() ? state_.shopTab : cursor + 1;
    case ShopKey::kRight:
      if (cursor == 1 || cursor == 2) return cursor + 1;
      if (cursor == kShopLeave || cursor == kShopBuy) return kShopFirstRow;
      return kShopBuy;  // the item tab or a row
    case ShopKey::kLeft:
      if (cursor == 1) return kShopFirstRow;
      if (cursor == 2 || cursor == 3) return cursor - 1;
      if (cursor == kShopBuy) return kShopFirstRow;
      if (cursor == kShopLeave) return lastRow();
      return kShopBuy;  // a row
  }
  return cursor;
}

ShopPurchase ShopScreen::buySelectedEntry() {
  const equipInfo* e = entryOf(state_.shopSelectedTab, state_.shopSelectedRow);
  if (e == nullptr) return ShopPurchase::kOwned;  // nothing selected that could be bought
  uint8_t* owned = ownedFlag(state_.shopSelectedTab, state_.shopSelectedRow);
  const bool item = state_.shopSelectedTab == 3;
  if (!item && (owned == nullptr || *owned != 0)) return ShopPurchase::kOwned;
  if (item && (state_.shopSelectedRow < 0 || state_.shopSelectedRow >= kItemCount)) return ShopPurchase::kOwned;
  holdingsData& h = Session().play.holdings;
  if (h.money < e->price) return ShopPurchase::kShortOfMoney;
  if (item) {
    h.itemCounts[state_.shopSelectedRow] += 1;
  } else {
    *owned = 1;
  }
  h.money -= e->price;
  return ShopPurchase::kBought;
}

void ShopScreen::moveByKeys() {
  constexpr struct {
    int action;
    ShopKey key;
  } kKeys[] = {{kActionUp, ShopKey::kUp},
               {kActionDown, ShopKey::kDown},
               {kActionRight, ShopKey::kRight},
               {kActionLeft, ShopKey::kLeft}};
  for (const auto& k : kKeys) {
    if (!firstFrame(k.action)) continue;
    playMenuSound(kSoundCursor);
    Session().menuCursor = cursorAfterKey(k.key, Session().menuCursor);
    return;
  }
}

void ShopScreen::activate() {
  int32_t& cursor = Session().menuCursor;
  if (isTab(cursor)) {
    state_.shopTab = cursor;
    playMenuSound(kSoundDecide);
  } else if (isRow(cursor)) {
    playMenuSound(kSoundDecide);
    state_.shopSelectedTab = state_.shopTab;
    state_.shopSelectedRow = cursor - kShopFirstRow;
  } else if (cursor == kShopBuy) {
    switch (buySelectedEntry()) {
      case ShopPurchase::kOwned: playMenuSound(kSoundCancel); break;
      case ShopPurchase::kShortOfMoney:
        sayShortOfMoney();
        playMenuSound(kSoundCancel);
        break;
      case ShopPurchase::kBought: {
        playMenuSound(kSoundPurchase);
        const equipInfo* e = entryOf(state_.shopSelectedTab, state_.shopSelectedRow);
        std::string line = (e != nullptr ? e->name : std::string()) + "を購入しました。";
        if (line.size() > kNoticeBytes) line.resize(kNoticeBytes);
        Session().frame.noticeQueue.push_back({line, "OK"});
        sayThanks();
        break;
      }
    }
  } else if (cursor == kShopLeave) {
    leaveShop();
  }
}

void ShopScreen::leaveShop() {
  GameSession& s = Session();
  playMenuSound(kSoundDecide);
  playMenuSound(kVoiceShopFarewell);
  say("@message (アイテム屋) 「またのご来店、お待ちしております。」");
  s.storyMode().revealPage();

  // One more frame shows the farewell whole; then the voice plays out.
  updateInput(s.playerInputs[0], 1);
  updateMouseButtons(s.playerInputs[0]);
  draw();
  veziv::PresentBackBuffer();
  const int voice = soundOf(kVoiceShopFarewell);
  if (veziv::PumpMessages() == 0) {
    runNestedLoop([voice] {
      if (voice == 0 || voice == -1 || veziv::IsSoundHandlePlaying(voice) != 1) return false;
      // A short sleep a pass: the clock moves on (also the harness's manual
      // clock, by which the voice ends there) and the wait does not spin.
      sleepMs(1);
      return true;
    });
  }

  state_.shopTab = 1;
  say("@deleteGraph アイテム屋");
  unloadModeResources(kModeShop);  // the catalogue's pictures with the shop's set
  stopMusic();
  const int32_t target = getReturnMode(kModeShop);
  changeMode(target, target == kModeStory);
  if (target == kModeStory && s.frame.gameMode == kModeStory) s.storyMode().stepStory();
}

void ShopScreen::draw() const {
  drawBackground();
  drawDetails();
  drawFocus();
  drawListWindow();
  if (state_.shopTab == 1 || state_.shopTab == 2) {
    drawWeaponRows(state_.shopTab);
  } else {
    drawItemRows();
  }
  drawPointerPicture();
  drawButtons();
  // The shopkeeper's window runs its own frame over the shop.
  Session().storyMode().runWindow();
}

void ShopScreen::drawDetails() const {
  const GameSession& s = Session();
  const equipInfo* e = entryOf(state_.shopSelectedTab, state_.shopSelectedRow);
  if (e == nullptr) return;
  veziv::RenderGraphAtPoint(445, 85, e->graph, 1);
  drawFramedBox(390, 220, 200, 45, 150, s.colourWhite, 1, s.colourBlack);
  drawText(390, 220, e->name, s.colourWhite);
  veziv::DrawTextWithFont(390, 240, e->statText.c_str(), s.colourBlack, s.registry.gameFont, 0, 0);
  drawFramedBox(390, 265, 200, 90, 150, s.colourWhite, 2, s.colourBlack);
  const int32_t money = s.play.holdings.money;
  veziv::DrawFormattedTextDefaultFont(400, 275, s.colourWhite, "値段:%d", e->price);
  veziv::DrawFormattedTextDefaultFont(400, 295, s.colourWhite, "所持金:%d", money);
  const int64_t balance = static_cast<int64_t>(money) - e->price;
  veziv::DrawFormattedTextDefaultFont(400, 315, balance < 0 ? s.colourRed : s.colourWhite, "残高:%lld",
                                      static_cast<long long>(balance));
}

void ShopScreen::drawFocus() const {
  const GameSession& s = Session();
  const int32_t cursor = s.menuCursor;
  if (isTab(cursor)) {
    const int dx = 78 * (cursor - 1);
    veziv::SetDrawColorScale(100, 255, 100);
    veziv::DrawBoxFilled(59 + dx, 60, 129 + dx, 82, s.colourWhite);
    veziv::SetDrawColorScale(255, 255, 255);
  } else if (isRow(cursor)) {
    drawFramedBox(57, 20 * cursor - 20, 320, 20, 200, s.colourGrey, 1, s.colourWhite);
  }
}

void ShopScreen::drawListWindow() const {
  const veziv::GraphHandle list = graphOf(kImageShopList);
  veziv::RenderGraphPart(50, 45, 0, 0, 235, 340, list, 1, 0);
  veziv::RenderGraphPart(285, 45, 235, 0, 10, 40, list, 1, 0);
  for (int k = 1; k <= 3; ++k) {
    if (k != state_.shopTab) veziv::RenderGraphPart(50 + 81 * (k - 1), 84, 81 * (k - 1), 344, 82, 10, list, 1, 0);
  }
  for (int s = 0; s <= 18; ++s) {
    veziv::RenderGraphPart(285 + 5 * s, 82, 230, 37, 5, 303, list, 1, 0);
    veziv::RenderGraphPart(290 + 5 * s, 79, 200, 340, 5, 10, list, 1, 0);
  }
  veziv::RenderGraphPart(380, 82, 235, 37, 5, 303, list, 1, 0);
}

void ShopScreen::drawWeaponRows(int32_t tab) const {
  const uint32_t white = Session().colourWhite;
  for (int32_t r = 0; r < rowCount(tab); ++r) {
    const equipInfo* e = entryOf(tab, r);
    if (e == nullptr) continue;
    const int y = 100 + 20 * r;
    const uint8_t* owned = ownedFlag(tab, r);
    const bool have = owned != nullptr && *owned != 0;
    if (have) veziv::ChooseBlendMode(1, 200);
    drawText(55, y, e->name, white);
    if (have) {
      drawText(285, y, "入手済み", white);
    } else {
      veziv::DrawFormattedTextDefaultFont(285, y, white, "%d", e->price);
    }
    if (have) veziv::ChooseBlendMode(0, 0);
  }
}

void ShopScreen::drawItemRows() const {
  const GameSession& s = Session();
  for (int32_t r = 0; r < rowCount(3); ++r) {
    const equipInfo* e = entryOf(3, r);
    if (e == nullptr) continue;
    const int y = 100 + 20 * r;
    drawText(55, y, e->name, s.colourWhite);
    const int32_t count = r < kItemCount ? s.play.holdings.itemCounts[r] : 0;
    veziv::DrawFormattedTextDefaultFont(255, y, s.colourWhite, "%d", count);
    veziv::DrawFormattedTextDefaultFont(285, y, s.colourWhite, "%d", e->price);
  }
}

void ShopScreen::drawPointerPicture() const {
  const GameSession& s = Session();
  if (!isRow(s.menuCursor)) return;
  const int32_t target = targetAt(s.frame.mouseX, s.frame.mouseY);
  const bool over = state_.shopTab == 1 ? isRow(target) : target != -1;
  if (!over) return;
  if (const equipInfo* e = entryOf(state_.shopTab, s.menuCursor - kShopFirstRow)) {
    veziv::RenderGraphAtPoint(s.frame.mouseX, s.frame.mouseY, e->graph, 1);
  }
}

void ShopScreen::drawButtons() const {
  const GameSession& s = Session();
  if (s.menuCursor == kShopBuy) veziv::SetDrawColorScale(100, 255, 100);
  veziv::RenderGraphAtPoint(440, 180, graphOf(kImageShopBuy), 1);
  veziv::SetDrawColorScale(255, 255, 255);

  if (s.menuCursor == kShopLeave) veziv::SetDrawColorScale(100, 255, 100);
  veziv::ChooseBlendMode(1, 100);
  if (s.colourWhite != 0) veziv::DrawBoxFilled(500, 400, 590, 430, s.colourWhite);
  if (s.colourBlack != 0) veziv::DrawBoxFrame(500, 400, 590, 430, s.colourBlack);
  veziv::ChooseBlendMode(0, 0);
  drawText(505, 404, "帰る", s.colourWhite);
  veziv::SetDrawColorScale(255, 255, 255);
}

}  // namespace game
