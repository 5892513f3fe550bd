// The pause menu and the battle result menu.
#include "game/shell/battle_menus.h"

#include <string>

#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/shell/call_sites.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/key_files.h"
#include "game/shell/music_voices.h"
#include "game/shell/ranking.h"
#include "game/shell/records.h"
#include "game/shell/resources.h"
#include "game/shell/slot_files.h"
#include "game/shell/startup.h"
#include "game/shell/widgets.h"
#include "library/veziv.h"

namespace game {

int32_t resultMenuFrames = 0;
uint8_t rankingShown = 0;
uint8_t rankingLoaded = 0;

namespace {

constexpr int kSoundDecide = 1;
constexpr int kImagePause = 84;

void bannerAndPresent() {
  showNowLoading("Now Loading...");
  veziv::PresentBackBuffer();
}

void drawRows(int markY, const char* const* rows, int count, int firstY, const uint32_t* colours) {
  veziv::DrawTextDefaultFont(500, markY, "■", colourWhite, 0);
  for (int i = 0; i < count; ++i) {
    veziv::DrawTextDefaultFont(520, firstY + 20 * i, rows[i], colours != nullptr ? colours[i] : colourWhite, 0);
  }
  drawKeyConfigMenu(playerInputs[0], false);
}

void pauseToSaveScreen(const battle::battleStage& stage) {
  if (stage.storyEventActive != 0) {
    noticeQueue.push_back({"戦闘ストーリーモード中はセーブできません。",
                           "現在再生しているストーリーを読み終わってから、", "もう一度セーブしてみてください。", "OK"});
    return;
  }
  playMenuSound(kSoundDecide);
  readSlotHeaders();
  setReturnMode(kModeSaveLoad, kModeGameMenu);
  bannerAndPresent();
  loadModeResources(kModeSaveLoad, false);
  loadModeResources(kModeSettings, true);
  playRandomMenuVoice();
  changeMode(kModeSaveLoad, false);
}

void pauseToTitle(const battle::battleStage& stage) {
  playMenuSound(kSoundDecide);
  if (!showYesNoBox("タイトルに戻ります。", "よろしいですか？")) return;
  if (stage.storyEventActive != 0) releaseStoryResources();
  stopMusic();
  unloadModeResources(kModeBattle);
  loadModeResources(kModeTitle, true);
  battle::clearBattleObjects();
  battle::destroyStage();
  stopAllSounds();
  ensureSoundLoaded(kSoundTitleMusic);
  if (veziv::IsSoundHandlePlaying(soundOf(kSoundTitleMusic)) != 1) {
    veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), 3, 1);
  }
  changeMode(kModeTitle, false);
}

void clearRankingView() {
  rankingShown = 0;
  rankingLoaded = 0;
}

void decideResultRow(int32_t row) {
  playMenuSound(kSoundDecide);
  switch (row) {
    case 1:
      playRandomMenuVoice();
      readSlotHeaders();
      veziv::CaptureScreenToGraph(0, 0, 800, 600, backdropCapture);
      bannerAndPresent();
      loadModeResources(kModeSaveLoad, false);
      // Set before the change: the save screen's first run reads it.
      setReturnMode(kModeSaveLoad, kModeBattleResult);
      changeMode(kModeSaveLoad, false);
      clearRankingView();
      break;
    case 2:
      stopAllSounds();
      veziv::StopCurrentMusic();
      bannerAndPresent();
      loadModeResources(kModeStory, false);
      continueStoryAfterBattle();
      clearRankingView();
      resultMenuFrames = 0;
      rankingEntryState = kRankingOpen;
      changeMode(kModeStory, false);
      break;
    case 3:
      showBattleEndScreen(true);
      clearRankingView();
      rankingEntryState = kRankingOpen;
      resultMenuFrames = 0;
      break;
    case 4:
      if (rankingShown != 0) {
        rankingShown = 0;
        break;
      }
      if (rankingLoaded == 0) rankingLoaded = downloadRanking() ? 1 : 0;
      rankingShown = 1;
      break;
    case 5:
      rankingShown = 1;
      if (rankingLoaded == 0) {
        rankingLoaded = downloadRanking() ? 1 : 0;
        if (rankingLoaded == 0) break;
      }
      if (submitRanking()) rankingLoaded = downloadRanking() ? 1 : 0;
      break;
    default: break;
  }
}

}  // namespace

int32_t resultMenuRow(int32_t cursor, bool storyGame, bool downPressed) {
  if (cursor != 2 || storyGame) return cursor;
  return downPressed ? 3 : 1;
}

void pauseMenu() {
  const battle::battleStage* stage = battle::currentStage();
  if (stage == nullptr) {
    // No battle behind the menu (a failed load): nothing to resume.
    changeMode(kModeTitle, false);
    return;
  }
  inputRecord& p1 = playerInputs[0];
  if (drawThisFrame) {
    veziv::RenderGraphAtPoint(0, 0, backdropCapture, 0);
    veziv::ChooseBlendMode(1, 100);
    veziv::DrawBoxShape(0, 0, 800, 600, colourBlack, 1);
    veziv::ChooseBlendMode(0, 0);
    veziv::RenderGraphAtPoint(200, 300, graphOf(kImagePause), 1);
  }
  moveMenuCursor(p1, 4);
  if (drawThisFrame) {
    static const char* const rows[] = {"セーブ画面へ", "ゲームに戻る", "タイトルに戻る", "設定画面へ"};
    drawRows(360 + 20 * menuCursor, rows, 4, 380, nullptr);
  }
  if (p1.hold[kActionShot] == 1) {
    switch (menuCursor) {
      case 1:
        pauseToSaveScreen(*stage);
        if (stage->storyEventActive != 0) return;
        break;
      case 2:
        playMenuSound(kSoundDecide);
        changeMode(kModeBattle, false);
        break;
      case 3: pauseToTitle(*stage); break;
      case 4:
        playMenuSound(kSoundDecide);
        setReturnMode(kModeSettings, kModeGameMenu);
        loadModeResources(kModeSettings, true);
        changeMode(kModeSettings, false);
        break;
      default: break;
    }
  }
  if (gameMode != kModeGameMenu) return;
  if (p1.hold[kActionPause] == 1 || (playerCount == 2 && playerInputs[1].hold[kActionPause] == 1)) {
    changeMode(kModeBattle, false);
  }
}

void runBattleResultMenu() {
  inputRecord& p1 = playerInputs[0];
  moveMenuCursor(p1, 5);
  ++resultMenuFrames;
  menuCursor = resultMenuRow(menuCursor, storyGameFlag != 0, p1.hold[kActionDown] == 1);
  if (drawThisFrame) {
    if (rankingShown != 0) drawRankingTable();
    drawFramedBox(495, 445, 300, 110, 200, colourWhite, 2, colourBlack);
    static const char* const rows[] = {"セーブ", "ストーリーを続ける", "タイトルへ戻る", "ランキング表示/非表示",
                                       "ランキング送信!"};
    const uint32_t colours[] = {colourWhite, storyGameFlag != 0 ? colourWhite : colourGrey, colourWhite, colourWhite,
                                colourWhite};
    drawRows(430 + 20 * menuCursor, rows, 5, 450, colours);
  }
  if (resultMenuFrames > 60 && p1.hold[kActionShot] == 1) decideResultRow(menuCursor);
}

void continueStoryAfterBattle() {}

}  // namespace game
