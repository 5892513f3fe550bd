// The item shop's frame, its cursor over tabs, rows and buttons, buying,
// and the way back to the story.
#include "game/shell/shop.h"

#include "game/shell/story_site.h"

#include <string>

#include "game/shell/catalogue.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/music_voices.h"
#include "game/shell/records.h"
#include "game/shell/resources.h"
#include "game/shell/startup.h"
#include "game/shell/story_site.h"
#include "game/shell/widgets.h"
#include "game/story/script_line.h"
#include "game/story/story_scene.h"
#include "library/veziv.h"

namespace game {

int32_t shopRowCounts[3] = {7, 6, 6};
int32_t shopTab = 1;
int32_t shopSelectedTab = 1;
int32_t shopSelectedRow = 0;

namespace {

constexpr const char* kShopMusic = "audio/y-maf.mid";
constexpr int kSoundCursor = 0;
constexpr int kSoundCancel = 5;
constexpr int kSoundPurchase = 15;
constexpr int kVoiceGreeting = 81;
constexpr int kVoiceFarewell = 82;
constexpr int kVoiceShortOfMoney = 83;
constexpr int kVoiceThanks = 84;
constexpr int kImageBackground = 27;
constexpr int kImagePictureWindow = 110;
constexpr int kImageBuy = 111;
constexpr int kImageList = 113;
constexpr size_t kNoticeBytes = 255;

// The last message line fed, for the plain window.
std::string lastShopMessage;
// Set while the farewell frame runs, so that it cannot leave a second time.
bool leaving = false;

int32_t rowCount(int32_t tab) { return tab >= 1 && tab <= 3 ? shopRowCounts[tab - 1] : 0; }
int32_t lastRow() { return kShopFirstRow + rowCount(shopTab) - 1; }
bool isTab(int32_t cursor) { return cursor >= 1 && cursor <= 3; }
bool isRow(int32_t cursor) { return cursor >= kShopFirstRow && cursor <= lastRow(); }

const equipCatalogue& catalogueOf(int32_t tab) {
  return tab == 1 ? mainWeaponCatalogue : tab == 2 ? subWeaponCatalogue : itemCatalogue;
}

const equipInfo* entryOf(int32_t tab, int32_t row) {
  const equipCatalogue& c = catalogueOf(tab);
  const auto it = c.find(row);
  return it == c.end() ? nullptr : &it->second;
}

// The owned flag of a weapon; null for an item or an id outside the holdings.
uint8_t* ownedFlag(int32_t tab, int32_t row) {
  if (tab == 1 && row >= 0 && row < kMainWeaponCount) return &holdings.mainOwned[row];
  if (tab == 2 && row >= 0 && row < kSubWeaponCount) return &holdings.subOwned[row];
  return nullptr;
}

bool firstFrame(int action) { return playerInputs[0].hold[action] == 1; }

void drawText(int x, int y, const std::string& text, uint32_t colour) {
  veziv::DrawTextDefaultFont(x, y, text.c_str(), colour, 0);
}

void drawBackground() {
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageBackground), 0);
  veziv::RenderGraphAtPoint(440, 80, graphOf(kImagePictureWindow), 1);
  if (colourWhite != 0) {
    veziv::ChooseBlendMode(1, 100);
    veziv::DrawBoxFilled(444, 84, 528, 168, colourWhite);
    veziv::ChooseBlendMode(0, 0);
  }
}

void drawDetails() {
  const equipInfo* e = entryOf(shopSelectedTab, shopSelectedRow);
  if (e == nullptr) return;
  veziv::RenderGraphAtPoint(445, 85, e->graph, 1);
  drawFramedBox(390, 220, 200, 45, 150, colourWhite, 1, colourBlack);
  drawText(390, 220, e->name, colourWhite);
  veziv::DrawTextWithFont(390, 240, e->statText.c_str(), colourBlack, gameFont, 0, 0);
  drawFramedBox(390, 265, 200, 90, 150, colourWhite, 2, colourBlack);
  veziv::DrawFormattedTextDefaultFont(400, 275, colourWhite, "値段:%d", e->price);
  veziv::DrawFormattedTextDefaultFont(400, 295, colourWhite, "所持金:%d", holdings.money);
  const int64_t balance = static_cast<int64_t>(holdings.money) - e->price;
  veziv::DrawFormattedTextDefaultFont(400, 315, balance < 0 ? colourRed : colourWhite, "残高:%lld",
                                      static_cast<long long>(balance));
}

void drawFocus() {
  if (isTab(menuCursor)) {
    const int dx = 78 * (menuCursor - 1);
    veziv::SetDrawColorScale(100, 255, 100);
    veziv::DrawBoxFilled(59 + dx, 60, 129 + dx, 82, colourWhite);
    veziv::SetDrawColorScale(255, 255, 255);
  } else if (isRow(menuCursor)) {
    drawFramedBox(57, 20 * menuCursor - 20, 320, 20, 200, colourGrey, 1, colourWhite);
  }
}

void drawListWindow() {
  const veziv::GraphHandle list = graphOf(kImageList);
  veziv::RenderGraphPart(50, 45, 0, 0, 235, 340, list, 1, 0);
  veziv::RenderGraphPart(285, 45, 235, 0, 10, 40, list, 1, 0);
  for (int k = 1; k <= 3; ++k) {
    if (k != shopTab) veziv::RenderGraphPart(50 + 81 * (k - 1), 84, 81 * (k - 1), 344, 82, 10, list, 1, 0);
  }
  for (int s = 0; s <= 18; ++s) {
    veziv::RenderGraphPart(285 + 5 * s, 82, 230, 37, 5, 303, list, 1, 0);
    veziv::RenderGraphPart(290 + 5 * s, 79, 200, 340, 5, 10, list, 1, 0);
  }
  veziv::RenderGraphPart(380, 82, 235, 37, 5, 303, list, 1, 0);
}

void drawWeaponRows(int32_t tab) {
  for (int32_t r = 0; r < rowCount(tab); ++r) {
    const equipInfo* e = entryOf(tab, r);
    if (e == nullptr) continue;
    const int y = 100 + 20 * r;
    const uint8_t* owned = ownedFlag(tab, r);
    const bool have = owned != nullptr && *owned != 0;
    if (have) veziv::ChooseBlendMode(1, 200);
    drawText(55, y, e->name, colourWhite);
    if (have) {
      drawText(285, y, "入手済み", colourWhite);
    } else {
      veziv::DrawFormattedTextDefaultFont(285, y, colourWhite, "%d", e->price);
    }
    if (have) veziv::ChooseBlendMode(0, 0);
  }
}

void drawPointerPicture() {
  if (!isRow(menuCursor)) return;
  const int32_t target = shopTargetAt(mouseX, mouseY);
  const bool over = shopTab == 1 ? isRow(target) : target != -1;
  if (!over) return;
  if (const equipInfo* e = entryOf(shopTab, menuCursor - kShopFirstRow)) {
    veziv::RenderGraphAtPoint(mouseX, mouseY, e->graph, 1);
  }
}

void drawButtons() {
  if (menuCursor == kShopBuy) veziv::SetDrawColorScale(100, 255, 100);
  veziv::RenderGraphAtPoint(440, 180, graphOf(kImageBuy), 1);
  veziv::SetDrawColorScale(255, 255, 255);

  if (menuCursor == kShopLeave) veziv::SetDrawColorScale(100, 255, 100);
  veziv::ChooseBlendMode(1, 100);
  if (colourWhite != 0) veziv::DrawBoxFilled(500, 400, 590, 430, colourWhite);
  if (colourBlack != 0) veziv::DrawBoxFrame(500, 400, 590, 430, colourBlack);
  veziv::ChooseBlendMode(0, 0);
  drawText(505, 404, "帰る", colourWhite);
  veziv::SetDrawColorScale(255, 255, 255);
}

void drawShop() {
  drawBackground();
  drawDetails();
  drawFocus();
  drawListWindow();
  switch (shopTab) {
    case 1: drawShopMainRows(); break;
    case 2: drawShopSubRows(); break;
    default: drawShopItemRows(); break;
  }
  drawPointerPicture();
  drawButtons();
}

void moveByKeys() {
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
    menuCursor = shopCursorAfterKey(k.key, menuCursor);
    return;
  }
}

void leaveShop();

void activate() {
  if (isTab(menuCursor)) {
    shopTab = menuCursor;
    playMenuSound(kSoundDecision);
  } else if (isRow(menuCursor)) {
    playMenuSound(kSoundDecision);
    shopSelectedTab = shopTab;
    shopSelectedRow = menuCursor - kShopFirstRow;
  } else if (menuCursor == kShopBuy) {
    switch (buySelectedEntry()) {
      case ShopPurchase::kOwned: playMenuSound(kSoundCancel); break;
      case ShopPurchase::kShortOfMoney:
        shopSayShortOfMoney();
        playMenuSound(kSoundCancel);
        break;
      case ShopPurchase::kBought: {
        playMenuSound(kSoundPurchase);
        const equipInfo* e = entryOf(shopSelectedTab, shopSelectedRow);
        std::string line = (e != nullptr ? e->name : std::string()) + "を購入しました。";
        if (line.size() > kNoticeBytes) line.resize(kNoticeBytes);
        noticeQueue.push_back({line, "OK"});
        shopSayThanks();
        break;
      }
    }
  } else if (menuCursor == kShopLeave) {
    leaveShop();
  }
}

void leaveShop() {
  playMenuSound(kSoundDecision);
  playMenuSound(kVoiceFarewell);
  feedShopLine("@message (アイテム屋) 「またのご来店、お待ちしております。」");
  story::storyScene.revealMs += 10000;

  // One more frame shows the farewell whole; then the voice plays out.
  updateInput(playerInputs[0], 1);
  updateMouseButtons(playerInputs[0]);
  leaving = true;
  shopLoop();
  leaving = false;
  veziv::PresentBackBuffer();
  bool alive = veziv::PumpMessages() == 0;
  const int voice = soundOf(kVoiceFarewell);
  while (alive && voice != 0 && voice != -1 && veziv::IsSoundHandlePlaying(voice) == 1) {
    // A short sleep a pass: the clock moves on (also the harness's manual
    // clock, by which the voice ends there) and the wait does not spin.
    sleepMs(1);
    alive = veziv::PumpMessages() == 0;
  }

  shopTab = 1;
  feedShopLine("@deleteGraph アイテム屋");
  unloadModeResources(kModeShop);  // the catalogue's pictures with the shop's set
  stopMusic();
  const int32_t target = getReturnMode(kModeShop);
  changeMode(target, target == kModeStory);
  if (target == kModeStory && gameMode == kModeStory) story::stepScenario(false);
}

}  // namespace

void enterShop() {
  shopRowCounts[0] = 7;
  shopRowCounts[1] = 6;
  shopRowCounts[2] = 6;
  playNewMusic(kShopMusic);
  feedShopLine("@setFaceGraph TEMU_1");
  feedShopLine("@addNewGraph image/stands/temu.png アイテム屋 (560,88)");
  feedShopLine("@message (アイテム屋) 「いらっしゃいませ。今日は、どんな御用ですか？」");
  playMenuSound(kVoiceGreeting);
}

int32_t shopTargetAt(int32_t x, int32_t y) {
  if (y >= 50 && y <= 88) {
    if (x >= 55 && x <= 137) return 1;
    if (x >= 138 && x <= 219) return 2;
    if (x >= 220 && x <= 301) return 3;
    return -1;
  }
  if (x >= 55 && x <= 355) {
    for (int32_t r = 0; r < rowCount(shopTab); ++r) {
      if (y > 100 + 20 * r && y < 120 + 20 * r) return kShopFirstRow + r;
    }
  }
  if (x >= 440 && x <= 504 && y >= 180 && y <= 212) return kShopBuy;
  if (x >= 500 && x <= 590 && y >= 400 && y <= 430) return kShopLeave;
  return -1;
}

int32_t shopCursorAfterKey(ShopKey key, int32_t cursor) {
  // A cursor that is no target (left so by another screen) comes to the
  // shown tab.
  if (!isTab(cursor) && !isRow(cursor) && cursor != kShopLeave && cursor != kShopBuy) return shopTab;
  switch (key) {
    case ShopKey::kUp:
      if (isTab(cursor)) return lastRow();
      if (cursor == kShopLeave) return kShopBuy;
      if (cursor == kShopBuy) return kShopLeave;
      return cursor == kShopFirstRow ? shopTab : cursor - 1;
    case ShopKey::kDown:
      if (isTab(cursor)) return kShopFirstRow;
      if (cursor == kShopLeave) return kShopBuy;
      if (cursor == kShopBuy) return kShopLeave;
      return cursor == lastRow() ? shopTab : cursor + 1;
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

ShopPurchase buySelectedEntry() {
  const equipInfo* e = entryOf(shopSelectedTab, shopSelectedRow);
  if (e == nullptr) return ShopPurchase::kOwned;  // nothing selected that could be bought
  uint8_t* owned = ownedFlag(shopSelectedTab, shopSelectedRow);
  const bool item = shopSelectedTab == 3;
  if (!item && (owned == nullptr || *owned != 0)) return ShopPurchase::kOwned;
  if (item && (shopSelectedRow < 0 || shopSelectedRow >= kItemCount)) return ShopPurchase::kOwned;
  if (holdings.money < e->price) return ShopPurchase::kShortOfMoney;
  if (item) {
    holdings.itemCounts[shopSelectedRow] += 1;
  } else {
    *owned = 1;
  }
  holdings.money -= e->price;
  return ShopPurchase::kBought;
}

void drawShopMainRows() { drawWeaponRows(1); }
void drawShopSubRows() { drawWeaponRows(2); }

void drawShopItemRows() {
  for (int32_t r = 0; r < rowCount(3); ++r) {
    const equipInfo* e = entryOf(3, r);
    if (e == nullptr) continue;
    const int y = 100 + 20 * r;
    drawText(55, y, e->name, colourWhite);
    const int32_t count = r < kItemCount ? holdings.itemCounts[r] : 0;
    veziv::DrawFormattedTextDefaultFont(255, y, colourWhite, "%d", count);
    veziv::DrawFormattedTextDefaultFont(285, y, colourWhite, "%d", e->price);
  }
}

void shopSayShortOfMoney() {
  veziv::StopSoundHandle(soundOf(kVoiceShortOfMoney));
  playMenuSound(kVoiceShortOfMoney);
  feedShopLine("@message (アイテム屋) 「あ、お金が足りないみたいですよ。」");
}

void shopSayThanks() {
  playMenuSound(kVoiceThanks);
  feedShopLine("@message (アイテム屋) 「ありがとうございます。大事に使ってくださいね。」");
}

void feedShopLine(const std::string& line) {
  const story::ScriptLine parsed(line);
  if (parsed.word() == "@message") lastShopMessage = parsed.textAfterList();
  story::executeScriptLine(true, false, line);
}

// The shopkeeper speaks through the story's reduced message window; without
// the story screen (the shell's own tests) her last line is drawn plainly in
// a box at the foot of the screen, so that what she says can be read.
void runShopMessageWindow() {
  if (StorySite* story = storySite()) {
    story->runWindow();
    return;
  }
  if (lastShopMessage.empty()) return;
  drawFramedBox(15, 490, 770, 90, 200, colourBlack, 2, colourWhite);
  drawText(30, 500, "アイテム屋", colourWhite);
  drawText(30, 530, lastShopMessage, colourWhite);
}

void shopLoop() {
  updateMouseButtons(playerInputs[0]);
  shopFrame();
}

void shopFrame() {
  if (drawThisFrame || leaving) {
    drawShop();
    runShopMessageWindow();
  }
  if (leaving) return;
  moveByKeys();
  if (mouseMoved) {
    const int32_t target = shopTargetAt(mouseX, mouseY);
    if (target != -1 && target != menuCursor) {
      menuCursor = target;
      playMenuSound(kSoundCursor);
    }
  }
  const bool click = firstFrame(kActionMouseLeft) && shopTargetAt(mouseX, mouseY) != -1;
  if (firstFrame(kActionShot) || click) activate();
}

}  // namespace game
