// The battle set-up screen.
#include "game/shell/battle_setup.h"

#include <algorithm>
#include <cmath>

#include "game/battle/battle_frame.h"
#include "game/battle/battle_world.h"
#include "game/battle/stage.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/widgets.h"
#include "game/shell/equipment.h"
#include "game/shell/startup.h"
#include "library/veziv.h"

namespace game {

namespace {

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

// The player (0 or 1) whose partner a partner row changes.
int partnerPlayerOf(int32_t row) { return row >= kRowPartnerP2Down ? 1 : 0; }

void drawLabel(int x, int y, int sx, int sy) {
  veziv::RenderGraphPart(x, y, sx, sy, 100, 20, graphOf(kImageSetupLabels), 1, 0);
}
void drawPlaceholder(int x, int y) { drawLabel(x, y, 300, 60); }

int pulse() {
  constexpr double kDegree = 3.14159265358979323846 / 180.0;
  return 150 + static_cast<int>(std::trunc(50.0 * std::sin(10.0 * Session().frame.frameCounter * kDegree)));
}

}  // namespace

stageListData stageListFrom(const uint8_t open[kStageCount]) {
  stageListData list;
  for (int i = 0; i < kStageCount; ++i) {
    if (open[i] == 0) continue;
    const std::string folder = std::string("stages/") + stageNames[i];
    list.names.emplace_back(stageNames[i]);
    list.folders.push_back(folder);
    list.descriptions.push_back(battle::readStageLines(folder + "\\description.txt", kDescriptionLines));
  }
  return list;
}

int32_t partnerMaxForStory() { return Session().settings.storyCleared != 0 ? 5 : 4; }

setupChoices startChoices() {
  setupChoices c;
  c.setupPartnerMax = partnerMaxForStory();
  return c;
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

bool launchRefused(const setupChoices& c, int32_t players) {
  if (c.setupStage == kNoChoice || c.setupDifficulty == kNoChoice || c.setupPartner[0] == kNoChoice) return true;
  return players == 2 && c.setupPartner[1] == kNoChoice;
}

BattleSetupScreen::BattleSetupScreen(EquipmentScreen& equipment) : equipment_(equipment) {}

void BattleSetupScreen::resetPartners() {
  choices_.setupPartner[0] = kNoChoice;
  choices_.setupPartner[1] = kNoChoice;
  choices_.setupPartnerMax = partnerMaxForStory();
}

bool BattleSetupScreen::frame() {
  update();
  if (Session().frame.gameMode == kModeBattleSetup) draw();
  return false;
}

void BattleSetupScreen::update() {
  GameSession& s = Session();
  if (!listBuilt_) {
    listBuilt_ = true;
    stageList_ = stageListFrom(s.openStages);
    choices_ = startChoices();
  }
  inputRecord& p1 = s.playerInputs[0];
  updateMouseButtons(p1);
  isMouseMoved();
  const int32_t hovered = rowAtPoint(s.frame.mouseX, s.frame.mouseY, s.play.playerCount);
  if (hovered != 0 && (s.frame.mouseMoved || !s.frame.hoverNeedsMove) && hovered != s.menuCursor) {
    s.menuCursor = hovered;
    playMenuSound(kSoundCursor);
  }
  const setupKeys keys{p1.hold[kActionUp] == 1, p1.hold[kActionDown] == 1,
                       p1.hold[kActionLeft] == 1 || p1.hold[kActionRight] == 1};
  if (keys.up || keys.down || keys.leftRight) {
    s.menuCursor = rowAfterKeys(s.menuCursor, keys, s.play.playerCount);
    playMenuSound(kSoundCursor);
  }
  if (p1.hold[kActionPause] == 1 || p1.hold[kActionMouseRight] == 1) {
    draw();
    leaveToTitle();
    return;
  }
  if (p1.hold[kActionShot] == 1) {
    choose(s.menuCursor);
  } else if (p1.hold[kActionMouseLeft] == 1 && hovered != 0) {
    s.menuCursor = hovered;
    choose(hovered);
  }
}

void BattleSetupScreen::draw() const {
  const GameSession& s = Session();
  if (!s.frame.drawThisFrame) return;
  const inputRecord& p1 = s.playerInputs[0];
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageSetupBackground), 0);
  veziv::RenderGraphStretched(-10, 55, 512, 120, graphOf(kImageSetupCommentFrame), 1);
  drawLabel(230, 182, 0, 0);
  drawLabel(230, 214, 0, 20);
  drawLabel(230, 246, 0, 40);
  if (s.play.playerCount == 2) {
    drawLabel(230, 278, 100, 60);
    drawLabel(230, 310, 200, 60);
  } else {
    drawLabel(230, 278, 0, 60);
  }
  drawButtons(p1);
  if (choices_.setupStage != kNoChoice) {
    veziv::DrawTextDefaultFont(364, 182, stageList_.names[choices_.setupStage].c_str(), s.colourWhite, 0);
  } else {
    drawPlaceholder(364, 182);
  }
  if (choices_.setupDifficulty != kNoChoice) {
    drawLabel(364, 214, (choices_.setupDifficulty + 1) * 100, 20);
  } else {
    drawPlaceholder(364, 214);
  }
  drawPartner(0, -45, 278);
  if (s.play.playerCount == 2) drawPartner(1, 50, 310);
  drawDescriptionAndComment();
}

// The arrow and weapon buttons, and the launch button; the cursor's row
// pulses, and shows pressed while the shot key is held; so does a button
// pressed by the mouse.
void BattleSetupScreen::drawButtons(const inputRecord& p1) const {
  const GameSession& s = Session();
  const int hovered = rowAtPoint(s.frame.mouseX, s.frame.mouseY, s.play.playerCount);
  const bool mouseDown = p1.hold[kActionMouseLeft] > 0;
  for (int32_t row = 1; row <= kLastRow; ++row) {
    if (!rowExists(row, s.play.playerCount)) continue;
    const bool selected = row == s.menuCursor;
    const bool pressedByMouse = mouseDown && row == hovered;
    const bool lit = selected || pressedByMouse;
    const bool pressed = (selected && p1.hold[kActionShot] > 0) || pressedByMouse;
    if (lit) {
      const int v = pulse();
      veziv::SetDrawColorScale(v, v, 255);
    }
    const Button& b = kButtons[row];
    if (row == kRowLaunch) {
      veziv::RenderGraphAtPoint(b.x, b.y, graphOf(kImageSetupLaunch), 1);
    } else if (row == kRowEquipP1 || row == kRowEquipP2) {
      const int first = pressed ? 8 : (row == kRowEquipP1 ? 4 : 6);
      veziv::RenderGraphAtPoint(b.x, b.y, sheetPiece(leftRightButtonSheet, first), 1);
      veziv::RenderGraphAtPoint(b.x + 32, b.y, sheetPiece(leftRightButtonSheet, first + 1), 1);
    } else {
      veziv::RenderGraphAtPoint(b.x, b.y, sheetPiece(leftRightButtonSheet, (row % 2 == 1 ? 0 : 1) + (pressed ? 2 : 0)),
                                1);
    }
    if (lit) veziv::SetDrawColorScale(255, 255, 255);
  }
}

void BattleSetupScreen::drawPartner(int player, int portraitX, int nameY) const {
  const int32_t partner = choices_.setupPartner[player];
  if (partner == kNoChoice) {
    drawPlaceholder(364, nameY);
    return;
  }
  veziv::RenderGraphAtPoint(portraitX, 140, graphOf(partnerPortrait(partner)), 1);
  veziv::DrawTextDefaultFont(364, nameY, partnerName(partner), Session().colourWhite, 0);
}

void BattleSetupScreen::drawDescriptionAndComment() const {
  const GameSession& s = Session();
  if (choices_.setupStage != kNoChoice) {
    const std::vector<std::string>& lines = stageList_.descriptions[choices_.setupStage];
    for (size_t i = 0; i < lines.size(); ++i) {
      veziv::DrawTextWithFont(290, 350 + 20 * static_cast<int>(i), lines[i].c_str(), s.colourWhite,
                              s.registry.gameFont, 0, 0);
    }
  }
  const int32_t cursor = s.menuCursor;
  const int32_t partner = choices_.setupPartner[cursor >= kRowPartnerP2Down && cursor <= kRowPartnerP2Up ? 1 : 0];
  veziv::DrawTextDefaultFont(40, 70, setupComment(cursor, partner), s.colourWhite, 0);
}

void BattleSetupScreen::leaveToTitle() {
  choices_ = startChoices();
  Session().menuCursor = 1;
  stopMusic();
  playMenuSound(kSoundCancel);
  ensureSoundLoaded(kSoundTitleMusic);
  veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  veziv::StopSoundHandle(soundOf(kSoundJet));
  changeMode(kModeTitle, false);
}

void BattleSetupScreen::openEquipment(int player) {
  playMenuSound(kSoundDecide);
  setReturnMode(kModeEquipment, kModeBattleSetup);
  loadModeResources(kModeEquipment, false);
  equipment_.prepare(Session().play.playerHeaders[player]);
  draw();
  changeMode(kModeEquipment, false);
}

void BattleSetupScreen::launch() {
  GameSession& s = Session();
  if (launchRefused(choices_, s.play.playerCount)) {
    playMenuSound(kSoundCancel);
    return;
  }
  playMenuSound(kSoundDecide);
  s.menuCursor = 1;
  s.play.currentDifficulty = difficultyValue(choices_.setupDifficulty);
  s.play.playerHeaders[0].difficulty = s.play.currentDifficulty;
  s.play.playerHeaders[0].battleCharacter = choices_.setupPartner[0];
  // With one player the second partner may be none; the header keeps a
  // character the battle can build.
  if (choices_.setupPartner[1] != kNoChoice) s.play.playerHeaders[1].battleCharacter = choices_.setupPartner[1];
  battle::World().playerCount = s.play.playerCount;
  battle::World().difficulty = s.play.currentDifficulty;
  battle::startBattle(stageList_.folders[choices_.setupStage].c_str());
  choices_.setupStage = kNoChoice;
  choices_.setupDifficulty = kNoChoice;
  s.play.storyGameFlag = 0;
  changeMode(kModeBattle, false);
}

void BattleSetupScreen::choose(int32_t row) {
  switch (row) {
    case kRowStageDown:
    case kRowStageUp:
      choices_.setupStage =
          stepChoice(choices_.setupStage, row == kRowStageUp ? 1 : -1, static_cast<int32_t>(stageList_.names.size()));
      playMenuSound(kSoundDecide);
      break;
    case kRowDifficultyDown:
    case kRowDifficultyUp:
      choices_.setupDifficulty =
          stepChoice(choices_.setupDifficulty, row == kRowDifficultyUp ? 1 : -1, kDifficultyCount);
      playMenuSound(kSoundDecide);
      break;
    case kRowEquipP1:
    case kRowEquipP2: openEquipment(row == kRowEquipP1 ? 0 : 1); break;
    case kRowPartnerP1Down:
    case kRowPartnerP1Up:
    case kRowPartnerP2Down:
    case kRowPartnerP2Up: {
      int32_t& partner = choices_.setupPartner[partnerPlayerOf(row)];
      partner = stepPartner(partner, row % 2 == 0 ? 1 : -1, choices_.setupPartnerMax);
      playMenuSound(kSoundDecide);
      break;
    }
    case kRowLaunch: launch(); break;
    default: break;
  }
}

}  // namespace game
