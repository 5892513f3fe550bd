// The equipment screen's slots, lists, fitting and confirmation.
#include "game/shell/equipment.h"

#include <string>

#include "game/core/catalogue.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/widgets.h"
#include "game/shell/startup.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr int kDoneButton = 5;
constexpr int kRowHeight = 12;

bool firstFrame(int action) { return Session().playerInputs[0].hold[action] == 1; }

bool pointerIn(int x1, int y1, int x2, int y2) {
  const FrameState& f = Session().frame;
  return f.mouseX >= x1 && f.mouseX <= x2 && f.mouseY >= y1 && f.mouseY <= y2;
}

veziv::GraphHandle pictureOf(const equipCatalogue& catalogue, int32_t id) {
  const auto it = catalogue.find(id);
  return it == catalogue.end() ? -1 : it->second.graph;
}

int32_t listTop(int32_t slot) { return 100 * slot - 80; }

}  // namespace

int32_t equipRowAt(int32_t top, int32_t rowCount, int32_t y) {
  int32_t found = -1;
  for (int32_t j = 0; j < rowCount; ++j) {
    if (y >= top + kRowHeight * j && y <= top + kRowHeight * j + kRowHeight) found = j;
  }
  return found;
}

void EquipmentScreen::enter() {
  if (getReturnMode(kModeEquipment) != kModeStory) return;
  gameHeader& player = Session().play.playerHeaders[0];
  player.item1 = kNoItem;
  player.item2 = kNoItem;
  prepare(player);
}

void EquipmentScreen::prepare(gameHeader& record) {
  const GameSession& s = Session();
  sel_ = equipSelection{};
  if (s.catalogue.mainWeapons.empty()) buildEquipCatalogue();
  sel_.equipTarget = &record;
  for (int32_t i = 0; i < kMainWeaponCount; ++i) {
    if (s.play.holdings.mainOwned[i] != 0) sel_.equipMainChoices.push_back(i);
  }
  for (int32_t i = 0; i < kSubWeaponCount; ++i) {
    if (s.play.holdings.subOwned[i] != 0) sel_.equipSubChoices.push_back(i);
  }
  sel_.equipItemChoices.push_back(kNoItem);
  for (int32_t i = 0; i < kItemCount; ++i) {
    if (s.play.holdings.itemCounts[i] != 0) sel_.equipItemChoices.push_back(i);
  }
  sel_.equipMain = record.mainWeapon;
  sel_.equipSub = record.subWeapon;
  if (s.play.storyGameFlag == 1) {
    sel_.equipItem1 = sel_.equipItem2 = kNoItem;
  } else {
    sel_.equipItem1 = record.item1;
    sel_.equipItem2 = record.item2;
  }
}

const std::vector<int32_t>& EquipmentScreen::choicesOf(int32_t slot) const {
  return slot == 1 ? sel_.equipMainChoices : slot == 2 ? sel_.equipSubChoices : sel_.equipItemChoices;
}

bool EquipmentScreen::fit(int32_t slot, int32_t choice) {
  if (sel_.equipTarget == nullptr) return false;
  auto& notices = Session().frame.noticeQueue;
  switch (slot) {
    case 1: sel_.equipMain = sel_.equipTarget->mainWeapon = choice; break;
    case 2: sel_.equipSub = sel_.equipTarget->subWeapon = choice; break;
    case 3:
      if (choice != kNoItem && choice == sel_.equipItem2) {
        notices.push_back({"すでにアイテム2で装備中です。", "OK"});
        return false;
      }
      sel_.equipItem1 = sel_.equipTarget->item1 = choice;
      break;
    case 4:
      if (choice != kNoItem && choice == sel_.equipItem1) {
        notices.push_back({"すでにアイテム1で装備中です。", "OK"});
        return false;
      }
      sel_.equipItem2 = sel_.equipTarget->item2 = choice;
      break;
    default:
      return false;
  }
  playMenuSound(kSoundEquipFitted);
  return true;
}

bool EquipmentScreen::confirm() {
  // The box opens over the screen as it stands.
  draw();
  if (!showYesNoBox("装備を完了します。", "よろしいですか？")) return false;
  if (sel_.equipTarget != nullptr) {
    sel_.equipTarget->mainWeapon = sel_.equipMain;
    sel_.equipTarget->subWeapon = sel_.equipSub;
    sel_.equipTarget->item1 = sel_.equipItem1;
    sel_.equipTarget->item2 = sel_.equipItem2;
  }
  unloadModeResources(kModeEquipment);  // the catalogue's pictures with the screen's set
  if (getReturnMode(kModeEquipment) == kModeStory) {
    // The story's next line leaves the mode.
    veziv::StopCurrentMusic();
    Session().storyMode().stepStory();
  } else {
    changeMode(getReturnMode(kModeEquipment), false);
  }
  return true;
}

void EquipmentScreen::openList(int32_t slot) {
  Session().menuCursor = 1;
  sel_.equipOpenList = slot;
  playMenuSound(kSoundDecide);
}

void EquipmentScreen::closeList(int32_t slot) {
  Session().menuCursor = slot;
  sel_.equipOpenList = -1;
}

bool EquipmentScreen::frame() {
  GameSession& s = Session();
  updateMouseButtons(s.playerInputs[0]);
  isMouseMoved();
  frameAfterMouse();
  return false;
}

void EquipmentScreen::frameAfterMouse() {
  if (sel_.equipOpenList == -1) {
    if (stepSlots()) return;
  } else {
    stepList();
  }
  if (firstFrame(kActionMouseLeft) && pointerIn(700, 540, 800, 580)) {
    playMenuSound(kSoundDecide);
    if (confirm()) return;
  }
  if (firstFrame(kActionPause) || firstFrame(kActionMouseRight)) {
    if (sel_.equipOpenList == -1) {
      playMenuSound(kSoundDecide);
      if (confirm()) return;
    } else {
      playMenuSound(kSoundCancel);
      closeList(sel_.equipOpenList);
    }
  }
  draw();
}

bool EquipmentScreen::stepSlots() {
  GameSession& s = Session();
  moveMenuCursor(s.playerInputs[0], 5);
  const int32_t before = s.menuCursor;
  const bool hover = s.frame.mouseMoved || !s.frame.hoverNeedsMove;
  const bool click = firstFrame(kActionMouseLeft) || firstFrame(kActionMouseRight);
  for (int k = 1; k <= 4; ++k) {
    if (!pointerIn(620, 20 + 100 * (k - 1), 700, 100 + 100 * (k - 1))) continue;
    if (hover) s.menuCursor = k;
    if (click) openList(k);
  }
  if (hover && pointerIn(700, 540, 780, 580)) s.menuCursor = kDoneButton;
  if (s.menuCursor != before && sel_.equipOpenList == -1) playMenuSound(kSoundCursor);
  if (sel_.equipOpenList == -1 && firstFrame(kActionShot)) {
    if (s.menuCursor == kDoneButton) {
      if (confirm()) return true;
    } else if (s.menuCursor >= 1 && s.menuCursor <= 4) {
      openList(s.menuCursor);
    }
  }
  if (sel_.equipOpenList == -1) stepHelpBalloon();
  return false;
}

void EquipmentScreen::stepList() {
  GameSession& s = Session();
  const int32_t slot = sel_.equipOpenList;
  const std::vector<int32_t>& list = choicesOf(slot);
  const int32_t count = static_cast<int32_t>(list.size());
  const int32_t top = listTop(slot);
  const bool inColumn = s.frame.mouseX >= 420 && s.frame.mouseX <= 620;
  if (s.frame.mouseMoved && inColumn) {
    const int32_t row = equipRowAt(top, count, s.frame.mouseY);
    if (row != -1 && row + 1 != s.menuCursor) {
      s.menuCursor = row + 1;
      playMenuSound(kSoundCursor);
    }
  }
  moveMenuCursor(s.playerInputs[0], count);
  if (firstFrame(kActionMouseRight)) {
    closeList(slot);
    playMenuSound(kSoundCancel);
    updateMouseButtons(s.playerInputs[0]);
    return;
  }
  if (firstFrame(kActionShot)) {
    if (s.menuCursor >= 1 && s.menuCursor <= count) fit(slot, list[s.menuCursor - 1]);
    closeList(slot);
  } else if (firstFrame(kActionMouseLeft) && inColumn) {
    for (int32_t j = 0; j < count; ++j) {
      const int32_t y0 = top + kRowHeight * j;
      if (s.frame.mouseY < y0 || s.frame.mouseY > y0 + kRowHeight) continue;
      if (!fit(slot, list[j])) playMenuSound(kSoundCancel);
    }
    closeList(slot);
  }
}

void EquipmentScreen::draw() const {
  if (!Session().frame.drawThisFrame) return;
  drawSlots();
  if (sel_.equipOpenList == -1) {
    drawHelp();
  } else {
    drawList();
  }
}

void EquipmentScreen::drawSlots() const {
  const GameSession& s = Session();
  const EquipCatalogues& c = s.catalogue;
  veziv::RenderGraphStretched(0, 0, 600, 453, graphOf(kImageEquipBackground), 0);
  drawWindowFrame(600, 0, 200, 600);
  drawWindowFrame(0, 450, 600, 150);
  const int32_t highlighted = sel_.equipOpenList != -1 ? sel_.equipOpenList : s.menuCursor;
  const int32_t items[2] = {sel_.equipItem1, sel_.equipItem2};
  for (int k = 1; k <= 4; ++k) {
    const int y = 20 + 100 * (k - 1);
    if (highlighted == k) veziv::SetDrawColorScale(200, 200, 255);
    veziv::RenderGraphAtPoint(620, y, graphOf(kImageEquipSlotBox), 1);
    veziv::SetDrawColorScale(255, 255, 255);
    if (k == 1) veziv::RenderGraphAtPoint(620, y, pictureOf(c.mainWeapons, sel_.equipMain), 1);
    if (k == 2) veziv::RenderGraphAtPoint(620, y, pictureOf(c.subWeapons, sel_.equipSub), 1);
    if (k >= 3) {
      const int32_t item = items[k - 3];
      if (item == kNoItem) {
        veziv::DrawTextDefaultFont(640, y + 30, "なし", s.colourWhite, 0);
      } else {
        veziv::RenderGraphAtPoint(620, y, pictureOf(c.items, item), 1);
      }
    }
    veziv::RenderGraphAtPoint(702, 47 + 100 * (k - 1), graphOf(kImageEquipSlotBox + k), 1);
  }
  drawFramedBox(10, 460, 580, 130, 160, s.colourWhite, 2, s.colourRed);
  drawEquipment();
  if (s.menuCursor == kDoneButton && sel_.equipOpenList == -1) veziv::SetDrawColorScale(200, 200, 255);
  veziv::RenderGraphStretched(700, 540, 780, 580, graphOf(kImageEquipSlotBox), 1);
  veziv::SetDrawColorScale(255, 255, 255);
  veziv::DrawTextDefaultFont(715, 550, "完了", s.colourWhite, 0);
}

void EquipmentScreen::drawList() const {
  const GameSession& s = Session();
  const int32_t slot = sel_.equipOpenList;
  const std::vector<int32_t>& list = choicesOf(slot);
  const int32_t count = static_cast<int32_t>(list.size());
  const int32_t top = listTop(slot);
  drawFramedBox(420, top, 200, 200, 200, s.colourBlack, 1, s.colourRed);
  drawFramedBox(420, top - kRowHeight + kRowHeight * s.menuCursor, 200, kRowHeight, 150, s.colourGrey, 1,
                s.colourRed);
  for (int32_t j = 0; j < count; ++j) {
    const int32_t id = list[j];
    const std::string name = id == kNoItem ? std::string("<なし>")
                             : slot == 1   ? mainWeaponName(id)
                             : slot == 2   ? subWeaponName(id)
                                           : itemName(id);
    veziv::DrawTextWithFont(420, top + kRowHeight * j, name.c_str(), s.colourWhite, s.registry.gameFont, 0, 0);
  }
}

void EquipmentScreen::drawHelp() const {
  struct Help {
    int x, y;
    const char* text;
  };
  static constexpr Help kHelp[] = {{625, 92, "メイン武器を選択します。"},
                                   {625, 192, "サブ武器を選択します。"},
                                   {625, 292, "アイテム1を選択します。"},
                                   {625, 392, "アイテム2を選択します。"},
                                   {697, 572, "機体の装備を完了します。"}};
  const int32_t cursor = Session().menuCursor;
  if (cursor < 1 || cursor > 5) return;
  const Help& h = kHelp[cursor - 1];
  // The panel is at the right edge: the balloons open to the left.
  drawHelpBalloon(h.x, h.y, h.text, true);
}

void EquipmentScreen::drawEquipment() const {
  if (sel_.equipTarget == nullptr) return;
  const GameSession& s = Session();
  struct Line {
    const char* header;
    const equipCatalogue* catalogue;
    int32_t id;
  };
  const Line lines[] = {{"【メイン：", &s.catalogue.mainWeapons, sel_.equipTarget->mainWeapon},
                        {"【サブ：", &s.catalogue.subWeapons, sel_.equipTarget->subWeapon},
                        {"【アイテム1：", &s.catalogue.items, sel_.equipTarget->item1},
                        {"【アイテム2：", &s.catalogue.items, sel_.equipTarget->item2}};
  for (int i = 0; i < 4; ++i) {
    const auto it = lines[i].catalogue->find(lines[i].id);
    if (it == lines[i].catalogue->end()) continue;  // an empty item slot
    const int y = 468 + 30 * i;
    const std::string first = lines[i].header + it->second.name + "】" + it->second.statText;
    veziv::DrawTextWithFont(20, y, first.c_str(), s.colourBlack, s.registry.gameFont, 0, 0);
    veziv::DrawTextWithFont(20, y + 15, it->second.description.c_str(), s.colourBlack, s.registry.gameFont, 0, 0);
  }
}

}  // namespace game
