// The equipment screen's slots, lists, fitting and confirmation.
#include "game/shell/equipment.h"

#include <string>

#include "game/shell/catalogue.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/resources.h"
#include "game/shell/shop.h"
#include "game/shell/startup.h"
#include "game/shell/widgets.h"
#include "game/story/story_scene.h"
#include "library/veziv.h"

namespace game {

gameHeader* equipTarget = nullptr;
std::vector<int32_t> equipMainChoices;
std::vector<int32_t> equipSubChoices;
std::vector<int32_t> equipItemChoices;
int32_t equipMain = 0;
int32_t equipSub = 0;
int32_t equipItem1 = kNoItem;
int32_t equipItem2 = kNoItem;
int32_t equipOpenList = -1;

namespace {

constexpr int kSoundCursor = 0;
constexpr int kSoundCancel = 5;
constexpr int kSoundFitted = 17;
constexpr int kImageBackground = 7;
constexpr int kImageSlotBox = 369;
constexpr int kDoneButton = 5;
constexpr int kRowHeight = 12;

bool firstFrame(int action) { return playerInputs[0].hold[action] == 1; }

bool pointerIn(int x1, int y1, int x2, int y2) {
  return mouseX >= x1 && mouseX <= x2 && mouseY >= y1 && mouseY <= y2;
}

veziv::GraphHandle pictureOf(const equipCatalogue& catalogue, int32_t id) {
  const auto it = catalogue.find(id);
  return it == catalogue.end() ? -1 : it->second.graph;
}

void openList(int32_t slot) {
  menuCursor = 1;
  equipOpenList = slot;
  playMenuSound(kSoundDecision);
}

void closeList(int32_t slot) {
  menuCursor = slot;
  equipOpenList = -1;
}

int32_t listTop(int32_t slot) { return 100 * slot - 80; }

void drawSlots() {
  veziv::RenderGraphStretched(0, 0, 600, 453, graphOf(kImageBackground), 0);
  drawWindowFrame(600, 0, 200, 600);
  drawWindowFrame(0, 450, 600, 150);
  const int32_t highlighted = equipOpenList != -1 ? equipOpenList : menuCursor;
  const int32_t items[2] = {equipItem1, equipItem2};
  for (int k = 1; k <= 4; ++k) {
    const int y = 20 + 100 * (k - 1);
    if (highlighted == k) veziv::SetDrawColorScale(200, 200, 255);
    veziv::RenderGraphAtPoint(620, y, graphOf(kImageSlotBox), 1);
    veziv::SetDrawColorScale(255, 255, 255);
    if (k == 1) veziv::RenderGraphAtPoint(620, y, pictureOf(mainWeaponCatalogue, equipMain), 1);
    if (k == 2) veziv::RenderGraphAtPoint(620, y, pictureOf(subWeaponCatalogue, equipSub), 1);
    if (k >= 3) {
      const int32_t item = items[k - 3];
      if (item == kNoItem) {
        veziv::DrawTextDefaultFont(640, y + 30, "なし", colourWhite, 0);
      } else {
        veziv::RenderGraphAtPoint(620, y, pictureOf(itemCatalogue, item), 1);
      }
    }
    veziv::RenderGraphAtPoint(702, 47 + 100 * (k - 1), graphOf(kImageSlotBox + k), 1);
  }
  drawFramedBox(10, 460, 580, 130, 160, colourWhite, 2, colourRed);
  drawEquipment();
  if (menuCursor == kDoneButton && equipOpenList == -1) veziv::SetDrawColorScale(200, 200, 255);
  veziv::RenderGraphStretched(700, 540, 780, 580, graphOf(kImageSlotBox), 1);
  veziv::SetDrawColorScale(255, 255, 255);
  veziv::DrawTextDefaultFont(715, 550, "完了", colourWhite, 0);
}

void drawHelp() {
  struct Help {
    int x, y;
    const char* text;
  };
  static constexpr Help kHelp[] = {{625, 92, "メイン武器を選択します。"},
                                   {625, 192, "サブ武器を選択します。"},
                                   {625, 292, "アイテム1を選択します。"},
                                   {625, 392, "アイテム2を選択します。"},
                                   {697, 572, "機体の装備を完了します。"}};
  if (menuCursor < 1 || menuCursor > 5) return;
  const Help& h = kHelp[menuCursor - 1];
  // The panel is at the right edge: the balloons open to the left.
  drawHelpBalloon(h.x, h.y, h.text, true);
}

// No list open: the slots and the button. True when the screen was left.
bool stepSlots() {
  moveMenuCursor(playerInputs[0], 5);
  const int32_t before = menuCursor;
  const bool hover = mouseMoved || !hoverNeedsMove;
  const bool click = firstFrame(kActionMouseLeft) || firstFrame(kActionMouseRight);
  for (int k = 1; k <= 4; ++k) {
    if (!pointerIn(620, 20 + 100 * (k - 1), 700, 100 + 100 * (k - 1))) continue;
    if (hover) menuCursor = k;
    if (click) openList(k);
  }
  if (hover && pointerIn(700, 540, 780, 580)) menuCursor = kDoneButton;
  if (menuCursor != before && equipOpenList == -1) playMenuSound(kSoundCursor);
  if (equipOpenList == -1 && firstFrame(kActionShot)) {
    if (menuCursor == kDoneButton) {
      if (confirmEquip()) return true;
    } else if (menuCursor >= 1 && menuCursor <= 4) {
      openList(menuCursor);
    }
  }
  if (drawThisFrame && equipOpenList == -1) drawHelp();
  return false;
}

// A list open: its rows, the pointer and the keys.
void stepList() {
  const int32_t slot = equipOpenList;
  const std::vector<int32_t>& list = equipChoicesOf(slot);
  const int32_t count = static_cast<int32_t>(list.size());
  const int32_t top = listTop(slot);
  if (drawThisFrame) {
    drawFramedBox(420, top, 200, 200, 200, colourBlack, 1, colourRed);
    drawFramedBox(420, top - kRowHeight + kRowHeight * menuCursor, 200, kRowHeight, 150, colourGrey, 1, colourRed);
  }
  const bool inColumn = mouseX >= 420 && mouseX <= 620;
  if (mouseMoved && inColumn) {
    const int32_t row = equipRowAt(top, count, mouseY);
    if (row != -1 && row + 1 != menuCursor) {
      menuCursor = row + 1;
      playMenuSound(kSoundCursor);
    }
  }
  moveMenuCursor(playerInputs[0], count);
  if (drawThisFrame) {
    for (int32_t j = 0; j < count; ++j) {
      const int32_t id = list[j];
      const std::string name = id == kNoItem ? std::string("<なし>")
                               : slot == 1   ? mainWeaponName(id)
                               : slot == 2   ? subWeaponName(id)
                                             : itemName(id);
      veziv::DrawTextWithFont(420, top + kRowHeight * j, name.c_str(), colourWhite, gameFont, 0, 0);
    }
  }
  if (firstFrame(kActionMouseRight)) {
    closeList(slot);
    playMenuSound(kSoundCancel);
    updateMouseButtons(playerInputs[0]);
    return;
  }
  if (firstFrame(kActionShot)) {
    if (menuCursor >= 1 && menuCursor <= count) fitEquipChoice(slot, list[menuCursor - 1]);
    closeList(slot);
  } else if (firstFrame(kActionMouseLeft) && inColumn) {
    for (int32_t j = 0; j < count; ++j) {
      const int32_t y0 = top + kRowHeight * j;
      if (mouseY < y0 || mouseY > y0 + kRowHeight) continue;
      if (!fitEquipChoice(slot, list[j])) playMenuSound(kSoundCancel);
    }
    closeList(slot);
  }
}

}  // namespace

void buildEquipChoices(gameHeader& record) {
  equipMainChoices.clear();
  equipSubChoices.clear();
  equipItemChoices.clear();
  if (mainWeaponCatalogue.empty()) buildEquipCatalogue();
  equipTarget = &record;
  for (int32_t i = 0; i < kMainWeaponCount; ++i) {
    if (holdings.mainOwned[i] != 0) equipMainChoices.push_back(i);
  }
  for (int32_t i = 0; i < kSubWeaponCount; ++i) {
    if (holdings.subOwned[i] != 0) equipSubChoices.push_back(i);
  }
  equipItemChoices.push_back(kNoItem);
  for (int32_t i = 0; i < kItemCount; ++i) {
    if (holdings.itemCounts[i] != 0) equipItemChoices.push_back(i);
  }
  equipMain = record.mainWeapon;
  equipSub = record.subWeapon;
  if (storyGameFlag == 1) {
    equipItem1 = equipItem2 = kNoItem;
  } else {
    equipItem1 = record.item1;
    equipItem2 = record.item2;
  }
}

void prepareStoryEquipment() {
  playerHeaders[0].item1 = kNoItem;
  playerHeaders[0].item2 = kNoItem;
  buildEquipChoices(playerHeaders[0]);
}

const std::vector<int32_t>& equipChoicesOf(int32_t slot) {
  return slot == 1 ? equipMainChoices : slot == 2 ? equipSubChoices : equipItemChoices;
}

int32_t equipRowAt(int32_t top, int32_t rowCount, int32_t y) {
  int32_t found = -1;
  for (int32_t j = 0; j < rowCount; ++j) {
    if (y >= top + kRowHeight * j && y <= top + kRowHeight * j + kRowHeight) found = j;
  }
  return found;
}

bool fitEquipChoice(int32_t slot, int32_t choice) {
  if (equipTarget == nullptr) return false;
  switch (slot) {
    case 1:
      equipMain = equipTarget->mainWeapon = choice;
      break;
    case 2:
      equipSub = equipTarget->subWeapon = choice;
      break;
    case 3:
      if (choice != kNoItem && choice == equipItem2) {
        noticeQueue.push_back({"すでにアイテム2で装備中です。", "OK"});
        return false;
      }
      equipItem1 = equipTarget->item1 = choice;
      break;
    case 4:
      if (choice != kNoItem && choice == equipItem1) {
        noticeQueue.push_back({"すでにアイテム1で装備中です。", "OK"});
        return false;
      }
      equipItem2 = equipTarget->item2 = choice;
      break;
    default:
      return false;
  }
  playMenuSound(kSoundFitted);
  return true;
}

bool confirmEquip() {
  if (!showYesNoBox("装備を完了します。", "よろしいですか？")) return false;
  if (equipTarget != nullptr) {
    equipTarget->mainWeapon = equipMain;
    equipTarget->subWeapon = equipSub;
    equipTarget->item1 = equipItem1;
    equipTarget->item2 = equipItem2;
  }
  unloadModeResources(kModeEquipment);  // the catalogue's pictures with the screen's set
  if (getReturnMode(kModeEquipment) == kModeStory) {
    veziv::StopCurrentMusic();
    story::stepScenario(false);
  } else {
    changeMode(getReturnMode(kModeEquipment), false);
  }
  return true;
}

void drawEquipment() {
  if (equipTarget == nullptr) return;
  struct Line {
    const char* header;
    const equipCatalogue* catalogue;
    int32_t id;
  };
  const Line lines[] = {{"【メイン：", &mainWeaponCatalogue, equipTarget->mainWeapon},
                        {"【サブ：", &subWeaponCatalogue, equipTarget->subWeapon},
                        {"【アイテム1：", &itemCatalogue, equipTarget->item1},
                        {"【アイテム2：", &itemCatalogue, equipTarget->item2}};
  for (int i = 0; i < 4; ++i) {
    const auto it = lines[i].catalogue->find(lines[i].id);
    if (it == lines[i].catalogue->end()) continue;  // an empty item slot
    const int y = 468 + 30 * i;
    const std::string first = lines[i].header + it->second.name + "】" + it->second.statText;
    veziv::DrawTextWithFont(20, y, first.c_str(), colourBlack, gameFont, 0, 0);
    veziv::DrawTextWithFont(20, y + 15, it->second.description.c_str(), colourBlack, gameFont, 0, 0);
  }
}

void equipScreen() {
  updateMouseButtons(playerInputs[0]);
  isMouseMoved();
  equipFrame();
}

void equipFrame() {
  if (drawThisFrame) drawSlots();
  if (equipOpenList == -1) {
    if (stepSlots()) return;
  } else {
    stepList();
  }
  if (firstFrame(kActionMouseLeft) && pointerIn(700, 540, 800, 580)) {
    playMenuSound(kSoundDecision);
    if (confirmEquip()) return;
  }
  if (firstFrame(kActionPause) || firstFrame(kActionMouseRight)) {
    if (equipOpenList == -1) {
      playMenuSound(kSoundDecision);
      confirmEquip();
    } else {
      playMenuSound(kSoundCancel);
      closeList(equipOpenList);
    }
  }
}

}  // namespace game
