// The save and load screen and the overwrite question.
#include "game/shell/save_screen.h"

#include <cstdio>

#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/records.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/save_question.h"
#include "game/core/session.h"
#include "game/core/slot_files.h"
#include "library/veziv.h"

namespace game {

namespace {


// The buttons: row, picture, pushed picture, x, and the pointer's x span.
struct screenButton {
  int32_t row;
  int image, pushed, x, hitLeft, hitRight;
};
constexpr screenButton kButtons[] = {
    {kRowSaveMode, 25, 26, 15, 30, 115}, {kRowLoadMode, 19, 20, 130, 145, 240}, {kRowBack, 21, 22, 250, 265, 405},
    {kRowTitle, 23, 24, 420, 430, 530},  {kRowEnd, 17, 18, 550, 565, 640},
};

bool saveModeRowDisabled() { return Session().music.saveMode || getReturnMode(kModeSaveLoad) == 0; }
bool loadModeRowDisabled() { return !Session().music.saveMode; }

bool playing(int handle) { return handle != 0 && handle != -1 && veziv::IsSoundHandlePlaying(handle) == 1; }

// The way back to the title; from a battle's in-game menu the battle is
// given up.
void goToTitle() {
  if (getReturnMode(kModeSaveLoad) == kModeGameMenu) {
    battle::clearBattleObjects();
    battle::destroyStage();
  }
  Session().menuCursor = 1;
  loadModeResources(kModeTitle, true);
  veziv::StopSoundHandle(soundOf(kSoundJet));
  veziv::StopCurrentMusic();
  Session().music.rememberedMusic.clear();
  veziv::StopCurrentMusic();
  if (!playing(soundOf(kSoundTitleMusic))) veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  changeMode(kModeTitle, false);
}

void leaveToBackTarget() {
  Session().menuCursor = 1;
  changeMode(getReturnMode(kModeSaveLoad), false);
  if (Session().frame.gameMode == kModeTitle) goToTitle();
}

// From a battle's pause menu, the battle ends with the screen.
void endPausedBattle() {
  if (getReturnMode(kModeSaveLoad) != kModeGameMenu) return;
  battle::clearBattleObjects();
  battle::destroyStage();
}

}  // namespace

int32_t skipDisabledRows(int32_t cursor, bool down, bool up, bool saveModeDisabled, bool loadModeDisabled) {
  if (down) {
    if (cursor == kRowSaveMode && saveModeDisabled) cursor = kRowLoadMode;
    if (cursor == kRowLoadMode && loadModeDisabled) cursor = kRowBack;
  } else if (up) {
    if (cursor == kRowLoadMode && loadModeDisabled) cursor = kRowSaveMode;
    if (cursor == kRowSaveMode && saveModeDisabled) cursor = kSlotCount;
  }
  return cursor;
}

int32_t pointerRow(int x, int y) {
  if (x >= 30 && x <= 426) {
    for (int32_t row = 1; row <= kSlotCount; ++row) {
      const int top = 19 + 52 * (row - 1);
      if (y >= top && y <= top + 48) return row;
    }
  }
  if (y >= 550 && y <= 585) {
    for (const screenButton& b : kButtons) {
      if (x >= b.hitLeft && x <= b.hitRight) return b.row;
    }
  }
  return 0;
}

void drawSlotHeader() {
  for (int i = 1; i <= kSlotCount; ++i) {
    const int y = 19 + 52 * (i - 1);
    const int slot = i - 1;
    veziv::RenderGraphStretched(35, y, 99, y + 48, Session().slotTable.thumbnails[slot], 0);
    if (Session().slotTable.present[slot] == 0) {
      const char* word = Session().slotTable.damaged[slot] != 0 ? "データが壊れています" : "EMPTY";
      veziv::DrawTextDefaultFont(120, y, word, Session().colourWhite, 0);
      continue;
    }
    const gameHeader& h = Session().slotTable.headers[slot];
    veziv::DrawFormattedTextDefaultFont(120, y, Session().colourWhite, "所持金：%d", h.money);
    veziv::DrawFormattedTextDefaultFont(280, y, Session().colourWhite, "難易度：%d", h.difficulty);
    veziv::DrawFormattedTextDefaultFont(120, y + 18, Session().colourWhite, "%s", h.caption);
  }
  if (Session().menuCursor < 1 || Session().menuCursor > kSlotCount) return;
  const int slot = Session().menuCursor - 1;
  if (Session().slotTable.present[slot] != 0) {
    veziv::DrawFormattedTextDefaultFont(470, 190, Session().colourWhite, "所持金:%d",
                                        Session().slotTable.headers[slot].money);
    veziv::DrawFormattedTextDefaultFont(470, 210, Session().colourWhite, "難易度：%d",
                                        Session().slotTable.headers[slot].difficulty);
  }
  veziv::RenderGraphAtPoint(460, 289, Session().slotTable.thumbnails[slot], 0);
}

bool SaveLoadScreen::frame() {
  const bool end = update();
  if (!end && Session().frame.gameMode == kModeSaveLoad) draw();
  isMouseMoved();
  return end;
}

bool SaveLoadScreen::update() {
  GameSession& s = Session();
  inputRecord& p1 = s.playerInputs[0];
  updateMouseButtons(p1);
  const int32_t before = s.menuCursor;
  moveMenuCursor(p1, kRowEnd);
  s.menuCursor = skipDisabledRows(s.menuCursor, p1.hold[kActionDown] == 1, p1.hold[kActionUp] == 1,
                                  saveModeRowDisabled(), loadModeRowDisabled());
  const bool keysMoved = s.menuCursor != before;
  const int32_t under = pointerRow(s.frame.mouseX, s.frame.mouseY);
  if ((s.frame.mouseMoved || !s.frame.hoverNeedsMove) && under != 0) s.menuCursor = under;
  const bool disabledRow = (s.menuCursor == kRowSaveMode && saveModeRowDisabled()) ||
                           (s.menuCursor == kRowLoadMode && loadModeRowDisabled());
  if (!keysMoved && s.menuCursor != previousRow_ && !disabledRow) playMenuSound(kSoundCursor);
  previousRow_ = s.menuCursor;
  if (s.frame.drawThisFrame && s.menuCursor >= kRowSaveMode && s.menuCursor <= kRowEnd && !disabledRow) {
    stepHelpBalloon();
  }

  if (p1.hold[kActionPause] == 1 || p1.hold[kActionMouseRight] == 1) {
    playMenuSound(kSoundCancel);
    draw();
    leaveToBackTarget();
    return false;
  }
  const bool clicked = p1.hold[kActionMouseLeft] == 1 && under != 0;
  if (p1.hold[kActionShot] == 1 || clicked) {
    // Boxes, the save question and the way out start over the screen as it stands.
    draw();
    return decideRow(s.menuCursor);
  }
  return false;
}

void SaveLoadScreen::draw() const {
  if (!Session().frame.drawThisFrame) return;
  const int32_t cursor = Session().menuCursor;
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageSaveBackground), 0);
  if (cursor >= 1 && cursor <= kSlotCount) {
    veziv::ChooseBlendMode(1, 100);
    veziv::DrawBoxShape(30, 52 * cursor - 33, 425, 52 * cursor + 18, veziv::PackColorForScreen(255, 255, 0), 1);
    veziv::ChooseBlendMode(0, 0);
  }
  drawSlotHeader();
  veziv::DrawTextDefaultFont(28, 502, "クイック", Session().colourRed, 0);
  for (const screenButton& b : kButtons) {
    const bool disabled =
        (b.row == kRowSaveMode && saveModeRowDisabled()) || (b.row == kRowLoadMode && loadModeRowDisabled());
    if (disabled) {
      veziv::ChooseBlendMode(1, 90);
      veziv::RenderGraphAtPoint(b.x, 550, graphOf(b.image), 1);
      veziv::ChooseBlendMode(0, 0);
    } else {
      veziv::RenderGraphAtPoint(b.x, 550, graphOf(cursor == b.row ? b.pushed : b.image), 1);
    }
  }
  veziv::RenderGraphPart(550, 140, 0, Session().music.saveMode ? 0 : 32, 128, 32, graphOf(kImageSaveModeLabel), 1, 0);
  switch (cursor) {
    case kRowSaveMode:
      if (!saveModeRowDisabled()) drawHelpBalloon(112, 571, "セーブモードへ。", false);
      break;
    case kRowLoadMode:
      if (!loadModeRowDisabled()) drawHelpBalloon(240, 571, "ロードモードへ。", false);
      break;
    case kRowBack: drawHelpBalloon(402, 571, "前の画面に戻ります。", false); break;
    case kRowTitle: drawHelpBalloon(531, 571, "タイトルに戻ります。", false); break;
    case kRowEnd: drawHelpBalloon(562, 571, "ゲームを終了します。", true); break;
    default: break;
  }
}

bool SaveLoadScreen::decideRow(int32_t row) {
  switch (row) {
    case kRowSaveMode: playRandomMenuVoice(); return false;
    case kRowLoadMode: playRandomStartVoice(); return false;
    case kRowBack:
      playMenuSound(kSoundDecide);
      leaveToBackTarget();
      return false;
    case kRowTitle:
      playMenuSound(kSoundDecide);
      if (showYesNoBox("タイトルに戻ります。", "よろしいですか？")) goToTitle();
      return false;
    case kRowEnd:
      playMenuSound(kSoundDecide);
      if (!showYesNoBox("終了します。", "よろしいですか？")) return false;
      endPausedBattle();
      return true;
    default: break;
  }
  const int slot = row - 1;
  if (Session().music.saveMode) {
    runSaveScreen(slot);
  } else if (Session().slotTable.present[slot] != 0) {
    endPausedBattle();
    veziv::StopCurrentMusic();
    veziv::StopFileSoundPlayer();
    stopAllSounds();
    stopMusic();
    loadGameFromMenu(slot);
  } else {
    playMenuSound(kSoundCancel);
  }
  return false;
}

}  // namespace game
