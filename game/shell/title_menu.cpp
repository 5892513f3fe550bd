// The title menu and the player-count select.
#include "game/shell/title_menu.h"

#include <algorithm>
#include <cmath>

#include "game/shell/call_sites.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/key_files.h"
#include "game/shell/menu_screens.h"
#include "game/shell/music_voices.h"
#include "game/shell/records.h"
#include "game/shell/resources.h"
#include "game/shell/startup.h"
#include "game/shell/unlocks.h"
#include "game/shell/widgets.h"
#include "game/story/story_scene.h"
#include "library/veziv.h"

namespace game {

int32_t titleFlashMs = kTitleFlashMs;
int32_t titleChoiceMs = -1;
int32_t titleBarMs = 0;

namespace {

constexpr int kRowCount = 5;
constexpr int kRowX = 300;
constexpr int kRowTop = 300;
constexpr int kRowStep = 50;
constexpr int kTextWidth = 206;
constexpr int kTextHeight = 48;
constexpr int kBarWidth = 211;
constexpr int kBarHeight = 56;
constexpr int kImageRowBar = 56;
constexpr int kImageBack = 38;
constexpr int kImageBackPushed = 39;
constexpr const char* kLoading = "Now Loading...";
constexpr const char* kBattleSetupMusic = "audio/loop009.mid";

constexpr const char* kTitleHelp[kRowCount] = {
    "新しくゲームをはじめます。", "セーブデータをロードします。", "対戦モードを開始します。", "設定します。",
    "ゲームを終了します。",
};

int rowTop(int row) { return kRowTop + kRowStep * (row - 1); }

bool anyHeld(const inputRecord& record) {
  return std::any_of(std::begin(record.hold), std::end(record.hold), [](int32_t h) { return h != 0; });
}

void blend(int alpha) {
  if (alpha < 0) {
    veziv::ChooseBlendMode(0, 0);
  } else {
    veziv::ChooseBlendMode(1, alpha);
  }
}

void drawTitleRows() {
  for (int row = 1; row <= kRowCount; ++row) {
    const bool selected = row == menuCursor;
    const int y = rowTop(row);
    blend(titleRowAlpha(selected, titleChoiceMs));
    if (selected) {
      titleBarMs = std::min(kTitleBarMs, titleBarMs + frameDeltaMs);
      const int e = titleBarGrowth(titleBarMs);
      veziv::RenderGraphStretched(kRowX - e, y, kRowX + kBarWidth + e, y + kBarHeight, graphOf(kImageRowBar), 1);
    } else {
      veziv::RenderGraphAtPoint(kRowX, y, graphOf(kImageRowBar), 1);
    }
    const veziv::GraphHandle text = titleTextSheet[row - 1];
    if (selected && titleChoiceMs >= 0) {
      veziv::ChooseBlendMode(1, titleTextAlpha(titleChoiceMs));
      const int k = titleTextGrowth(titleChoiceMs);
      veziv::RenderGraphStretched(kRowX - k, y, kRowX + kTextWidth + k, y + kTextHeight, text, 1);
    } else {
      veziv::RenderGraphAtPoint(kRowX, y, text, 1);
    }
  }
  veziv::ChooseBlendMode(0, 0);
}

// The flash over the title; false once a key ended it.
void drawIntroFlash() {
  if (titleFlashMs > 500) veziv::RenderGraphAtPoint(0, 0, backdropCapture, 0);
  veziv::ChooseBlendMode(1, titleFlashAlpha(titleFlashMs));
  veziv::DrawBoxFilled(0, 0, 800, 600, colourWhite);
  veziv::ChooseBlendMode(0, 0);
  titleFlashMs -= frameDeltaMs;
  if (titleFlashMs < 0) titleFlashMs = -1;
}

// A row chosen: the quit question at once, the other rows after the animation.
bool chooseTitleRow(bool byMouse) {
  playMenuSound(kSoundDecide);
  if (menuCursor == 5) return !showYesNoBox("終了します。よろしいですか？", "");
  titleChoiceMs = 0;
  if (byMouse) hoverNeedsMove = false;
  return true;
}

void startNewGame() {
  unloadModeResources(kModeTitle);
  unloadModeResources(kModeBattle);
  unloadModeResources(kModeSettings);
  unloadModeResources(kModeSaveLoad);
  unloadModeResources(kModeBattleSetup);
  presentBanner(kLoading);
  loadModeResources(kModeStory, false);
  playerCount = 1;
  story::resetScenario(story::kFirstScript);
  storyGameFlag = 1;
  playerHeaders[0] = gameHeader{};
  restoreHoldings();
  story::stepScenario(false);
  changeMode(kModeStory, false);
}

void openLoadScreen() {
  presentBanner(kLoading);
  loadModeResources(kModeSaveLoad, false);
  playRandomStartVoice();
  veziv::PlaySoundHandle(soundOf(kSoundJet), veziv::SoundPlayLoop, 1);
  readSlotHeaders();
  veziv::CaptureScreenToGraph(0, 0, 800, 600, backdropCapture);
  changeMode(kModeSaveLoad, false);
  setReturnMode(kModeSaveLoad, kModeTitle);
}

void openBattleMode() {
  veziv::PlaySoundHandle(soundOf(kSoundJet), veziv::SoundPlayLoop, 1);
  menuCursor = 1;
  changeMode(kModePlayerSelect, false);
}

void openSettings() {
  menuCursor = 1;
  loadModeResources(kModeSettings, true);
  setReturnMode(kModeSettings, kModeTitle);
  changeMode(kModeSettings, false);
}

void startBattleSetup(int players) {
  playerCount = players;
  menuCursor = 1;
  loadBattleModeItems();
  loadOpenStages();
  resetBattleSetupChoices();
  veziv::StopSoundHandle(soundOf(kSoundTitleMusic));
  playNewMusic(kBattleSetupMusic);
  presentBanner(kLoading);
  loadModeResources(kModeBattleSetup, false);
  changeMode(kModeBattleSetup, false);
}

}  // namespace

int titleRowAlpha(bool selected, int32_t choiceMs) {
  if (choiceMs < 0) return selected ? -1 : 100;
  const double s = std::sqrt(choiceMs / static_cast<double>(kTitleChoiceMs));
  const int full = selected ? 255 : 100;
  return std::max(0, full - static_cast<int>(std::trunc(full * s)));
}

int titleBarGrowth(int32_t barMs) { return static_cast<int>(std::sqrt(static_cast<double>(std::max(0, barMs)))); }

int titleTextAlpha(int32_t choiceMs) { return std::max(0, 255 - choiceMs * 200 / kTitleChoiceMs); }

int titleTextGrowth(int32_t choiceMs) { return 15 * titleBarGrowth(choiceMs); }

int titleFlashAlpha(int32_t flashMs) {
  if (flashMs > 500) return 255 - static_cast<int>(std::trunc((flashMs / 500.0 - 1.0) * 255.0));
  return std::max(0, flashMs * 255 / 500);
}

int titleRowAt(int x, int y) {
  if (x < kRowX || x > kRowX + kTextWidth) return 0;
  for (int row = 1; row <= kRowCount; ++row) {
    if (y >= rowTop(row) && y <= rowTop(row) + kRowStep) return row;
  }
  return 0;
}

int playerCountRowAt(int x, int y) {
  if (x >= 300 && x <= 768 && y >= 300 && y <= 348) return 1;
  if (x >= 300 && x <= 768 && y >= 400 && y <= 448) return 2;
  if (x >= 685 && x <= 758 && y >= 535 && y <= 574) return 3;
  return 0;
}

bool titleMenu() {
  inputRecord& p1 = playerInputs[0];
  drawTitleSky();
  drawTitleRows();
  isMouseMoved();
  updateMouseButtons(p1);
  drawKeyConfigMenu(p1, false);
  if (titleFlashMs > 0) {
    if (anyHeld(p1)) {
      titleFlashMs = -1;
      titleChoiceMs = -1;
      return true;
    }
    drawIntroFlash();
  } else if (titleChoiceMs < 0) {
    const int32_t before = menuCursor;
    moveMenuCursor(p1, kRowCount);
    const int under = titleRowAt(mouseX, mouseY);
    followMouse(under);
    if (menuCursor != before) titleBarMs = 0;
    drawHelpBalloon(505, 275 + kRowStep * menuCursor, kTitleHelp[menuCursor - 1], false);
    const bool click = clickedRow(under) != 0;
    if (p1.hold[kActionShot] == 1 || click) {
      if (!chooseTitleRow(click)) return false;
    }
  } else {
    runTitleChoice();
    if (gameMode != kModeTitle) return true;
  }
  if (p1.hold[kActionMouseRight] == 1 && showYesNoBox("終了します。", "よろしいですか？")) return false;
  isMouseMoved();
  return true;
}

void runTitleChoice() {
  titleChoiceMs += frameDeltaMs;
  if (titleChoiceMs <= kTitleChoiceMs) return;
  titleChoiceMs = -1;
  switch (menuCursor) {
    case 1: startNewGame(); break;
    case 2: openLoadScreen(); break;
    case 3: openBattleMode(); break;
    case 4: openSettings(); break;
    default: break;
  }
}

void leavePlayerCountSelect() {
  playMenuSound(kSoundCancel);
  menuCursor = 1;
  veziv::StopSoundHandle(soundOf(kSoundJet));
  changeMode(kModeTitle, false);
}

void playerCountSelect() {
  inputRecord& p1 = playerInputs[0];
  moveMenuCursor(p1, 3);
  const int under = playerCountRowAt(mouseX, mouseY);
  followMouse(under);
  updateMouseButtons(p1);
  isMouseMoved();
  drawTitleSky();
  for (int row = 1; row <= 2; ++row) {
    const int selected = row == menuCursor ? 1 : 0;
    veziv::RenderGraphAtPoint(300, 200 + 100 * row, missionButtonSheet[2 * (row - 1) + selected], 1);
  }
  if (menuCursor == 3) {
    veziv::RenderGraphAtPoint(685, 535, graphOf(kImageBackPushed), 1);
  } else {
    veziv::RenderGraphAtPoint(685, 535, graphOf(kImageBack), 1);
  }
  switch (menuCursor) {
    case 1: drawHelpBalloon(327, 347, "一人プレイモードです。", false); break;
    case 2: drawHelpBalloon(327, 438, "二人プレイモードです。", false); break;
    default: drawHelpBalloon(688, 570, "前の画面に戻ります。", true); break;
  }
  const bool chosen = p1.hold[kActionShot] == 1 || clickedRow(under) != 0;
  if (p1.hold[kActionPause] == 1 || p1.hold[kActionMouseRight] == 1 || (chosen && menuCursor == 3)) {
    leavePlayerCountSelect();
    return;
  }
  if (!chosen) return;
  playMenuSound(kSoundDecide);
  startBattleSetup(menuCursor);
}

void resetTitleState() {
  titleFlashMs = kTitleFlashMs;
  titleChoiceMs = -1;
  titleBarMs = 0;
}

}  // namespace game
