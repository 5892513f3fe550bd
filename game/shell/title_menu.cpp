// The title menu and the player-count select.
#include "game/shell/title_menu.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/key_files.h"
#include "game/core/music_voices.h"
#include "game/core/records.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/slot_files.h"
#include "game/core/unlocks.h"
#include "game/core/widgets.h"
#include "game/shell/battle_setup.h"
#include "game/shell/menu_screens.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr int kRowCount = 5;
constexpr int kRowX = 300;
constexpr int kRowTop = 300;
constexpr int kRowStep = 50;
constexpr int kTextWidth = 206;
constexpr int kTextHeight = 48;
constexpr int kBarWidth = 211;
constexpr int kBarHeight = 56;
constexpr const char* kLoading = "Now Loading...";
constexpr const char* kBattleSetupMusic = "audio/loop009.mid";

constexpr const char* kTitleHelp[kRowCount] = {
    "新しくゲームをはじめます。", "セーブデータをロードします。", "対戦モードを開始します。", "設定します。",
    "ゲームを終了します。",
};

int rowTop(int row) { return kRowTop + kRowStep * (row - 1); }
bool onRow(int32_t cursor) { return cursor >= 1 && cursor <= kRowCount; }

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

void startNewGame() {
  GameSession& s = Session();
  unloadModeResources(kModeTitle);
  unloadModeResources(kModeBattle);
  unloadModeResources(kModeSettings);
  unloadModeResources(kModeSaveLoad);
  unloadModeResources(kModeBattleSetup);
  presentBanner(kLoading);
  loadModeResources(kModeStory, false);
  s.play.playerCount = 1;
  s.play.storyGameFlag = 1;
  s.play.playerHeaders[0] = gameHeader{};
  restoreHoldings();
  s.storyMode().startNewStory();
  changeMode(kModeStory, false);
}

void openLoadScreen() {
  presentBanner(kLoading);
  loadModeResources(kModeSaveLoad, false);
  playRandomStartVoice();
  veziv::PlaySoundHandle(soundOf(kSoundJet), veziv::SoundPlayLoop, 1);
  readSlotHeaders();
  veziv::CaptureScreenToGraph(0, 0, 800, 600, Session().frame.backdropCapture);
  changeMode(kModeSaveLoad, false);
  setReturnMode(kModeSaveLoad, kModeTitle);
}

void openBattleMode() {
  veziv::PlaySoundHandle(soundOf(kSoundJet), veziv::SoundPlayLoop, 1);
  Session().menuCursor = 1;
  changeMode(kModePlayerSelect, false);
}

void openSettings() {
  Session().menuCursor = 1;
  loadModeResources(kModeSettings, true);
  setReturnMode(kModeSettings, kModeTitle);
  changeMode(kModeSettings, false);
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

bool TitleScreen::frame() {
  if (!update()) return true;
  if (Session().frame.gameMode == kModeTitle) draw();
  return false;
}

bool TitleScreen::update() {
  GameSession& s = Session();
  inputRecord& p1 = s.playerInputs[0];
  stepTitleSky(s.titleSky, s.frame.frameCounter);
  if (onRow(s.menuCursor)) barMs_ = std::min(kTitleBarMs, barMs_ + s.frame.frameDeltaMs);
  isMouseMoved();
  updateMouseButtons(p1);
  if (flashMs_ > 0) {
    // A key ends the flash at once.
    if (anyHeld(p1)) {
      flashMs_ = -1;
      choiceMs_ = -1;
      return true;
    }
    flashMs_ -= s.frame.frameDeltaMs;
    if (flashMs_ < 0) flashMs_ = -1;
  } else if (choiceMs_ < 0) {
    const int32_t before = s.menuCursor;
    moveMenuCursor(p1, kRowCount);
    const int under = titleRowAt(s.frame.mouseX, s.frame.mouseY);
    followMouse(under);
    if (s.menuCursor != before) barMs_ = 0;
    stepHelpBalloon();
    const bool click = clickedRow(under) != 0;
    if (p1.hold[kActionShot] == 1 || click) {
      if (!choose(click)) return false;
    }
  } else {
    runChoice();
    if (s.frame.gameMode != kModeTitle) return true;
  }
  if (p1.hold[kActionMouseRight] == 1) {
    draw();
    if (showYesNoBox("終了します。", "よろしいですか？")) return false;
  }
  isMouseMoved();
  return true;
}

void TitleScreen::draw() const {
  const GameSession& s = Session();
  drawTitleSky();
  drawRows();
  drawKeyConfigMenu(s.playerInputs[0], false);
  if (flashMs_ > 0) {
    drawFlash();
  } else if (choiceMs_ < 0 && onRow(s.menuCursor)) {
    drawHelpBalloon(505, 275 + kRowStep * s.menuCursor, kTitleHelp[s.menuCursor - 1], false);
  }
}

void TitleScreen::drawRows() const {
  for (int row = 1; row <= kRowCount; ++row) {
    const bool selected = row == Session().menuCursor;
    const int y = rowTop(row);
    blend(titleRowAlpha(selected, choiceMs_));
    if (selected) {
      const int e = titleBarGrowth(barMs_);
      veziv::RenderGraphStretched(kRowX - e, y, kRowX + kBarWidth + e, y + kBarHeight, graphOf(kImageTitleRowBar), 1);
    } else {
      veziv::RenderGraphAtPoint(kRowX, y, graphOf(kImageTitleRowBar), 1);
    }
    const veziv::GraphHandle text = sheetPiece(titleTextSheet, row - 1);
    if (selected && choiceMs_ >= 0) {
      veziv::ChooseBlendMode(1, titleTextAlpha(choiceMs_));
      const int k = titleTextGrowth(choiceMs_);
      veziv::RenderGraphStretched(kRowX - k, y, kRowX + kTextWidth + k, y + kTextHeight, text, 1);
    } else {
      veziv::RenderGraphAtPoint(kRowX, y, text, 1);
    }
  }
  veziv::ChooseBlendMode(0, 0);
}

// The flash over the title: the start-up screen under it while it whitens.
void TitleScreen::drawFlash() const {
  const GameSession& s = Session();
  if (flashMs_ > 500) veziv::RenderGraphAtPoint(0, 0, s.frame.backdropCapture, 0);
  veziv::ChooseBlendMode(1, titleFlashAlpha(flashMs_));
  veziv::DrawBoxFilled(0, 0, 800, 600, s.colourWhite);
  veziv::ChooseBlendMode(0, 0);
}

bool TitleScreen::choose(bool byMouse) {
  playMenuSound(kSoundDecide);
  if (Session().menuCursor == kRowCount) {
    draw();
    return !showYesNoBox("終了します。よろしいですか？", "");
  }
  choiceMs_ = 0;
  if (byMouse) Session().frame.hoverNeedsMove = false;
  return true;
}

void TitleScreen::runChoice() {
  choiceMs_ += Session().frame.frameDeltaMs;
  if (choiceMs_ <= kTitleChoiceMs) return;
  choiceMs_ = -1;
  // The title as it stands lies under the loading banner and the cross-fade.
  draw();
  switch (Session().menuCursor) {
    case 1: startNewGame(); break;
    case 2: openLoadScreen(); break;
    case 3: openBattleMode(); break;
    case 4: openSettings(); break;
    default: break;
  }
}

PlayerSelectScreen::PlayerSelectScreen(BattleSetupScreen& setup) : setup_(setup) {}

bool PlayerSelectScreen::frame() {
  update();
  if (Session().frame.gameMode == kModePlayerSelect) draw();
  return false;
}

void PlayerSelectScreen::update() {
  GameSession& s = Session();
  inputRecord& p1 = s.playerInputs[0];
  moveMenuCursor(p1, 3);
  const int under = playerCountRowAt(s.frame.mouseX, s.frame.mouseY);
  followMouse(under);
  updateMouseButtons(p1);
  isMouseMoved();
  stepTitleSky(s.titleSky, s.frame.frameCounter);
  stepHelpBalloon();
  const bool chosen = p1.hold[kActionShot] == 1 || clickedRow(under) != 0;
  if (p1.hold[kActionPause] == 1 || p1.hold[kActionMouseRight] == 1 || (chosen && s.menuCursor == 3)) {
    draw();
    backToTitle();
    return;
  }
  if (!chosen) return;
  playMenuSound(kSoundDecide);
  draw();
  startBattleSetup(s.menuCursor);
}

void PlayerSelectScreen::draw() const {
  const int32_t cursor = Session().menuCursor;
  drawTitleSky();
  for (int row = 1; row <= 2; ++row) {
    const int selected = row == cursor ? 1 : 0;
    veziv::RenderGraphAtPoint(300, 200 + 100 * row, sheetPiece(missionButtonSheet, 2 * (row - 1) + selected), 1);
  }
  veziv::RenderGraphAtPoint(685, 535, graphOf(cursor == 3 ? kImageBackPushed : kImageBack), 1);
  switch (cursor) {
    case 1: drawHelpBalloon(327, 347, "一人プレイモードです。", false); break;
    case 2: drawHelpBalloon(327, 438, "二人プレイモードです。", false); break;
    default: drawHelpBalloon(688, 570, "前の画面に戻ります。", true); break;
  }
}

void PlayerSelectScreen::backToTitle() {
  playMenuSound(kSoundCancel);
  Session().menuCursor = 1;
  veziv::StopSoundHandle(soundOf(kSoundJet));
  changeMode(kModeTitle, false);
}

void PlayerSelectScreen::startBattleSetup(int players) {
  GameSession& s = Session();
  s.play.playerCount = players;
  s.menuCursor = 1;
  loadBattleModeItems();
  loadOpenStages();
  setup_.resetPartners();
  veziv::StopSoundHandle(soundOf(kSoundTitleMusic));
  playNewMusic(kBattleSetupMusic);
  presentBanner(kLoading);
  loadModeResources(kModeBattleSetup, false);
  changeMode(kModeBattleSetup, false);
}

}  // namespace game
