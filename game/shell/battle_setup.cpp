// The battle set-up screen.
#include "game/shell/battle_setup.h"

#include "game/shell/equipment.h"

#include <algorithm>
#include <cmath>

#include "game/battle/battle_world.h"
#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/shell/battle_site.h"
#include "game/shell/call_sites.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/music_voices.h"
#include "game/shell/resources.h"
#include "game/shell/settings.h"
#include "game/shell/startup.h"
#include "game/shell/widgets.h"
#include "library/veziv.h"

namespace game {

stageListData stageList;
bool setupListBuilt = false;
int32_t setupStage = kNoChoice;
int32_t setupDifficulty = kNoChoice;
int32_t setupPartner[2] = {0, 1};
int32_t setupPartnerMax = 4;

namespace {

constexpr int kImageBackground = 9;
constexpr int kImageLabels = 11;
constexpr int kImageCommentFrame = 12;
constexpr int kImageLaunch = 80;
constexpr int kSoundCursor = 0;
constexpr int kSoundDecide = 1;
constexpr int kSoundCancel = 5;
constexpr int kLastRow = kRowLaunch;

struct Partner {
  const char* name;
  int portrait;
};
constexpr Partner kPartners[kPartnerCount] = {{"サッフォ", 244}, {"ティルン", 241}, {"オルナ", 240},
                                              {"ペサ", 243},     {"ドゥル", 242},   {"ホーベ", 245}};

// By partner, then by the row group: stage, difficulty, weapons, partner, launch.
constexpr const char* kComments[kPartnerCount][5] = {
    {"ステージを選択できます。", "難しさはどうしますか？", "武器を選んでください。", "…私以外を選ぶんですか?…",
     "サッフォ、出撃します。"},
    {"ステージ選んでコー！", "レベルだよ！", "武装は？", "えー、私行きたい!", "いっくよー！"},
    {"ステージ、選びなさい。", "レベルよ、レ・ベ・ル。", "強い武器のほうがいいわね。",
     "ちょ！私と行くんじゃなかったの？", "行くわよ。"},
    {"どのステージになさいます～？", "簡単な方がいいですよぉ。", "強は弱を兼ねるって言いますしね。",
     "あらら、変えるのですか？残念ですぅ。", "行きますわよ～。"},
    {"隊長、どこにしますか？", "僕なら難しくても勝って見せます！", "ある程度強い方が安心ですよね。",
     "そんなぁ～僕とはいかないんですか？", "隊長、さぁ行こう！"},
    {"さっさとステージ選んでよ。", "あなたには、イージーがお似合いよね。", "私がいればどんな武器も無意味よ。",
     "こ、後悔しても知らないわよ！？", "ふふふ、敵を木端微塵にしてやるわ！"},
};

// A button of the grid: its place and width (all are 32 high).
struct Button {
  int x, y, width;
};
constexpr Button kButtons[kLastRow + 1] = {
    {0, 0, 0},                                                 // no row 0
    {330, 180, 32}, {600, 180, 32}, {330, 212, 32}, {600, 212, 32},  // stage, difficulty
    {330, 244, 64}, {600, 244, 64},                            // weapons of player 1 and 2
    {330, 276, 32}, {600, 276, 32}, {330, 308, 32}, {600, 308, 32},  // partners of player 1 and 2
    {630, 400, 64},                                            // launch
};
constexpr int kButtonHeight = 32;

bool rowExists(int32_t row, int32_t players) {
  if (row < 1 || row > kLastRow) return false;
  return players == 2 || (row != kRowEquipP2 && row != kRowPartnerP2Down && row != kRowPartnerP2Up);
}

// A shell sound once from its start, loaded on first use.
// The player (0 or 1) whose partner a partner row changes.
int partnerPlayerOf(int32_t row) { return row >= kRowPartnerP2Down ? 1 : 0; }

void drawLabel(int x, int y, int sx, int sy) {
  veziv::RenderGraphPart(x, y, sx, sy, 100, 20, graphOf(kImageLabels), 1, 0);
}
void drawPlaceholder(int x, int y) { drawLabel(x, y, 300, 60); }

int pulse() {
  constexpr double kDegree = 3.14159265358979323846 / 180.0;
  return 150 + static_cast<int>(std::trunc(50.0 * std::sin(10.0 * frameCounter * kDegree)));
}

// The arrow and weapon buttons, and the launch button; the cursor's row
// pulses, and shows pressed while the shot key is held; so does a button
// pressed by the mouse.
void drawButtons(const inputRecord& p1) {
  const int hovered = rowAtPoint(mouseX, mouseY, playerCount);
  const bool mouseDown = p1.hold[kActionMouseLeft] > 0;
  for (int32_t row = 1; row <= kLastRow; ++row) {
    if (!rowExists(row, playerCount)) continue;
    const bool selected = row == menuCursor;
    const bool pressedByMouse = mouseDown && row == hovered;
    const bool lit = selected || pressedByMouse;
    const bool pressed = (selected && p1.hold[kActionShot] > 0) || pressedByMouse;
    if (lit) {
      const int v = pulse();
      veziv::SetDrawColorScale(v, v, 255);
    }
    const Button& b = kButtons[row];
    if (row == kRowLaunch) {
      veziv::RenderGraphAtPoint(b.x, b.y, graphOf(kImageLaunch), 1);
    } else if (row == kRowEquipP1 || row == kRowEquipP2) {
      const int first = pressed ? 8 : (row == kRowEquipP1 ? 4 : 6);
      veziv::RenderGraphAtPoint(b.x, b.y, leftRightButtonSheet[first], 1);
      veziv::RenderGraphAtPoint(b.x + 32, b.y, leftRightButtonSheet[first + 1], 1);
    } else {
      veziv::RenderGraphAtPoint(b.x, b.y, leftRightButtonSheet[(row % 2 == 1 ? 0 : 1) + (pressed ? 2 : 0)], 1);
    }
    if (lit) veziv::SetDrawColorScale(255, 255, 255);
  }
}

void drawPartner(int player, int portraitX, int nameY) {
  const int32_t partner = setupPartner[player];
  if (partner == kNoChoice) {
    drawPlaceholder(364, nameY);
    return;
  }
  veziv::RenderGraphAtPoint(portraitX, 140, graphOf(partnerPortrait(partner)), 1);
  veziv::DrawTextDefaultFont(364, nameY, partnerName(partner), colourWhite, 0);
}

void drawScreen(const inputRecord& p1) {
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageBackground), 0);
  veziv::RenderGraphStretched(-10, 55, 512, 120, graphOf(kImageCommentFrame), 1);
  drawLabel(230, 182, 0, 0);
  drawLabel(230, 214, 0, 20);
  drawLabel(230, 246, 0, 40);
  if (playerCount == 2) {
    drawLabel(230, 278, 100, 60);
    drawLabel(230, 310, 200, 60);
  } else {
    drawLabel(230, 278, 0, 60);
  }
  drawButtons(p1);
  if (setupStage != kNoChoice) {
    veziv::DrawTextDefaultFont(364, 182, stageList.names[setupStage].c_str(), colourWhite, 0);
  } else {
    drawPlaceholder(364, 182);
  }
  if (setupDifficulty != kNoChoice) {
    drawLabel(364, 214, (setupDifficulty + 1) * 100, 20);
  } else {
    drawPlaceholder(364, 214);
  }
  drawPartner(0, -45, 278);
  if (playerCount == 2) drawPartner(1, 50, 310);
}

void drawDescriptionAndComment() {
  if (setupStage != kNoChoice) {
    const std::vector<std::string>& lines = stageList.descriptions[setupStage];
    for (size_t i = 0; i < lines.size(); ++i) {
      veziv::DrawTextWithFont(290, 350 + 20 * static_cast<int>(i), lines[i].c_str(), colourWhite, gameFont, 0, 0);
    }
  }
  const int32_t partner = setupPartner[menuCursor >= kRowPartnerP2Down && menuCursor <= kRowPartnerP2Up ? 1 : 0];
  veziv::DrawTextDefaultFont(40, 70, setupComment(menuCursor, partner), colourWhite, 0);
}

void leaveToTitle() {
  resetSetupChoices();
  menuCursor = 1;
  stopMusic();
  playMenuSound(kSoundCancel);
  ensureSoundLoaded(kSoundTitleMusic);
  veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  veziv::StopSoundHandle(soundOf(kSoundJet));
  changeMode(kModeTitle, false);
}

void openEquipment(int player) {
  playMenuSound(kSoundDecide);
  setReturnMode(kModeEquipment, kModeBattleSetup);
  loadModeResources(kModeEquipment, false);
  buildEquipChoices(playerHeaders[player]);
  changeMode(kModeEquipment, false);
}

void launch() {
  if (launchRefused(playerCount)) {
    playMenuSound(kSoundCancel);
    return;
  }
  playMenuSound(kSoundDecide);
  menuCursor = 1;
  currentDifficulty = difficultyValue(setupDifficulty);
  playerHeaders[0].difficulty = currentDifficulty;
  playerHeaders[0].battleCharacter = setupPartner[0];
  // With one player the second partner may be none; the header keeps a
  // character the battle can build.
  if (setupPartner[1] != kNoChoice) playerHeaders[1].battleCharacter = setupPartner[1];
  installBattleSite();
  battle::World().playerCount = playerCount;
  battle::World().difficulty = currentDifficulty;
  battle::startBattle(stageList.folders[setupStage].c_str());
  setupStage = kNoChoice;
  setupDifficulty = kNoChoice;
  storyGameFlag = 0;
  changeMode(kModeBattle, false);
}

void choose(int32_t row) {
  switch (row) {
    case kRowStageDown:
    case kRowStageUp:
      setupStage = stepChoice(setupStage, row == kRowStageUp ? 1 : -1, static_cast<int32_t>(stageList.names.size()));
      playMenuSound(kSoundDecide);
      break;
    case kRowDifficultyDown:
    case kRowDifficultyUp:
      setupDifficulty = stepChoice(setupDifficulty, row == kRowDifficultyUp ? 1 : -1, kDifficultyCount);
      playMenuSound(kSoundDecide);
      break;
    case kRowEquipP1:
    case kRowEquipP2:
      openEquipment(row == kRowEquipP1 ? 0 : 1);
      break;
    case kRowPartnerP1Down:
    case kRowPartnerP1Up:
    case kRowPartnerP2Down:
    case kRowPartnerP2Up: {
      int32_t& partner = setupPartner[partnerPlayerOf(row)];
      partner = stepPartner(partner, row % 2 == 0 ? 1 : -1, setupPartnerMax);
      playMenuSound(kSoundDecide);
      break;
    }
    case kRowLaunch:
      launch();
      break;
    default:
      break;
  }
}

}  // namespace

stageListData stageListFrom(const uint8_t open[kStageCount]) {
  stageListData list;
  for (int i = 0; i < kStageCount; ++i) {
    if (open[i] == 0) continue;
    const std::string folder = std::string("stages/") + stageNames[i];
    list.names.emplace_back(stageNames[i]);
    list.folders.push_back(folder);
    list.descriptions.push_back(battle::readStageLines(folder + "\\description.txt"));
  }
  return list;
}

void buildStageList() { stageList = stageListFrom(openStages); }

int32_t partnerMaxForStory() { return settingsRecord.storyCleared != 0 ? 5 : 4; }

void resetSetupChoices() {
  setupStage = kNoChoice;
  setupDifficulty = kNoChoice;
  setupPartner[0] = 0;
  setupPartner[1] = 1;
  setupPartnerMax = partnerMaxForStory();
}

void resetBattleSetupChoices() {
  setupPartner[0] = kNoChoice;
  setupPartner[1] = kNoChoice;
  setupPartnerMax = partnerMaxForStory();
}

int32_t stepChoice(int32_t value, int delta, int32_t count) {
  if (count <= 0) return kNoChoice;
  const int32_t next = value + delta;
  if (next < 0) return count - 1;
  if (next >= count) return 0;
  return next;
}

int32_t stepPartner(int32_t value, int delta, int32_t max) { return stepChoice(value, delta, max + 1); }

int32_t difficultyValue(int32_t choice) {
  constexpr int32_t kValues[kDifficultyCount] = {10, 70, 100};
  return choice >= 0 && choice < kDifficultyCount ? kValues[choice] : kNoChoice;
}

int32_t rowAfterKeys(int32_t row, setupKeys keys, int32_t players) {
  if (keys.up) row -= 2;
  if (keys.down) row += 2;
  if (keys.leftRight) row += row % 2 != 0 ? 1 : -1;
  if (players != 2) {
    if (row == kRowEquipP2) {
      row = keys.up ? kRowDifficultyUp : keys.down ? kRowPartnerP1Up : kRowEquipP1;
    } else if (row == kRowPartnerP2Down || row == kRowPartnerP2Up) {
      row = keys.down ? kRowLaunch : row - 2;
    }
  }
  // Up past the top lands on the launch button; down past it from row 10
  // too, from the launch button back to the top.
  if (row <= 0) return kRowLaunch;
  if (row == kLastRow + 1) return keys.down ? kRowLaunch : kRowStageDown;
  if (row > kLastRow + 1) return kRowStageDown;
  return row;
}

int32_t rowAtPoint(int x, int y, int32_t players) {
  for (int32_t row = 1; row <= kLastRow; ++row) {
    if (!rowExists(row, players)) continue;
    const Button& b = kButtons[row];
    if (b.x <= x && x <= b.x + b.width && b.y <= y && y <= b.y + kButtonHeight) return row;
  }
  return 0;
}

const char* setupComment(int32_t row, int32_t partner) {
  if (partner < 0 || partner >= kPartnerCount || row < 1 || row > kLastRow) return "";
  const int group = row == kRowLaunch ? 4 : std::min((row - 1) / 2, 3);
  return kComments[partner][group];
}

const char* partnerName(int32_t partner) {
  return partner >= 0 && partner < kPartnerCount ? kPartners[partner].name : "";
}

int partnerPortrait(int32_t partner) {
  return partner >= 0 && partner < kPartnerCount ? kPartners[partner].portrait : -1;
}

bool launchRefused(int32_t players) {
  if (setupStage == kNoChoice || setupDifficulty == kNoChoice || setupPartner[0] == kNoChoice) return true;
  return players == 2 && setupPartner[1] == kNoChoice;
}

bool battleStageSelect() {
  if (!setupListBuilt) {
    setupListBuilt = true;
    buildStageList();
    resetSetupChoices();
  }
  inputRecord& p1 = playerInputs[0];
  updateMouseButtons(p1);
  isMouseMoved();
  const int32_t hovered = rowAtPoint(mouseX, mouseY, playerCount);
  if (hovered != 0 && (mouseMoved || !hoverNeedsMove) && hovered != menuCursor) {
    menuCursor = hovered;
    playMenuSound(kSoundCursor);
  }
  if (drawThisFrame) drawScreen(p1);
  const setupKeys keys{p1.hold[kActionUp] == 1, p1.hold[kActionDown] == 1,
                       p1.hold[kActionLeft] == 1 || p1.hold[kActionRight] == 1};
  if (keys.up || keys.down || keys.leftRight) {
    menuCursor = rowAfterKeys(menuCursor, keys, playerCount);
    playMenuSound(kSoundCursor);
  }
  if (drawThisFrame) drawDescriptionAndComment();
  if (p1.hold[kActionPause] == 1 || p1.hold[kActionMouseRight] == 1) {
    leaveToTitle();
    return false;
  }
  if (p1.hold[kActionShot] == 1) {
    choose(menuCursor);
  } else if (p1.hold[kActionMouseLeft] == 1 && hovered != 0) {
    menuCursor = hovered;
    choose(hovered);
  }
  return false;
}

}  // namespace game
