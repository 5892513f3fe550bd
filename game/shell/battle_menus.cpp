// The battle's screens, the pause and result menus and the battle end screen.
#include "game/shell/battle_menus.h"

#include <string>

#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/key_files.h"
#include "game/core/music_voices.h"
#include "game/core/nested_loop.h"
#include "game/core/ranking.h"
#include "game/core/records.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/slot_files.h"
#include "game/core/widgets.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr uint32_t kClockMask = 0x7FFFFFFFu;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

uint32_t clockNow() { return static_cast<uint32_t>(veziv::GetMillisecondCount(0)); }

void bannerAndPresent() {
  showNowLoading("Now Loading...");
  veziv::PresentBackBuffer();
}

void drawRows(int markY, const char* const* rows, int count, int firstY, const uint32_t* colours) {
  const GameSession& s = Session();
  veziv::DrawTextDefaultFont(500, markY, "■", s.colourWhite, 0);
  for (int i = 0; i < count; ++i) {
    veziv::DrawTextDefaultFont(520, firstY + 20 * i, rows[i], colours != nullptr ? colours[i] : s.colourWhite, 0);
  }
  drawKeyConfigMenu(s.playerInputs[0], false);
}

// One frame of the battle's own, with the frame loop's count, length and players.
bool battleFrame(void (*frame)()) {
  if (battle::currentStage() == nullptr) {
    changeMode(kModeTitle, false);
    return false;
  }
  const GameSession& s = Session();
  battle::World().frameCounter = s.frame.frameCounter;
  battle::World().frameMs = s.frame.frameDeltaMs;
  battle::World().playerCount = s.play.playerCount;
  frame();
  return false;
}

// The end of a battle frees the settings screen's pictures (the pause menu
// may have opened it) and the battle's set.
void releaseBattleSets() {
  unloadModeResources(kModeSettings);
  unloadModeResources(kModeBattle);
}

}  // namespace

int32_t resultMenuRow(int32_t cursor, bool storyGame, bool downPressed) {
  if (cursor != 2 || storyGame) return cursor;
  return downPressed ? 3 : 1;
}

bool BattleScreen::frame() { return battleFrame(battle::runBattleFrame); }

bool BattleResultScreen::frame() { return battleFrame(battle::runBattleResultFrame); }

void BattleResultScreen::runMenu() {
  GameSession& s = Session();
  inputRecord& p1 = s.playerInputs[0];
  moveMenuCursor(p1, 5);
  ++frames_;
  s.menuCursor = resultMenuRow(s.menuCursor, s.play.storyGameFlag != 0, p1.hold[kActionDown] == 1);
  if (frames_ > 60 && p1.hold[kActionShot] == 1) {
    // The save screen takes the finished battle with the menu over it.
    drawMenu();
    decide(s.menuCursor);
  }
  if (s.frame.gameMode == kModeBattleResult) drawMenu();
}

void BattleResultScreen::drawMenu() const {
  const GameSession& s = Session();
  if (!s.frame.drawThisFrame) return;
  if (rankingShown_) drawRankingTable();
  drawFramedBox(495, 445, 300, 110, 200, s.colourWhite, 2, s.colourBlack);
  static constexpr const char* kRows[] = {"セーブ", "ストーリーを続ける", "タイトルへ戻る", "ランキング表示/非表示",
                                          "ランキング送信!"};
  const uint32_t continueRow = s.play.storyGameFlag != 0 ? s.colourWhite : s.colourGrey;
  const uint32_t colours[] = {s.colourWhite, continueRow, s.colourWhite, s.colourWhite, s.colourWhite};
  drawRows(430 + 20 * s.menuCursor, kRows, 5, 450, colours);
}

void BattleResultScreen::clearRankingView() {
  rankingShown_ = false;
  rankingLoaded_ = false;
}

void BattleResultScreen::decide(int32_t row) {
  GameSession& s = Session();
  playMenuSound(kSoundDecide);
  switch (row) {
    case 1:
      playRandomMenuVoice();
      readSlotHeaders();
      veziv::CaptureScreenToGraph(0, 0, 800, 600, s.frame.backdropCapture);
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
      s.storyMode().stepStory();
      clearRankingView();
      frames_ = 0;
      s.ranking.entryState = kRankingOpen;
      changeMode(kModeStory, false);
      break;
    case 3:
      runBattleEndScreen(true);
      clearRankingView();
      s.ranking.entryState = kRankingOpen;
      frames_ = 0;
      break;
    case 4:
      if (rankingShown_) {
        rankingShown_ = false;
        break;
      }
      if (!rankingLoaded_) rankingLoaded_ = downloadRanking();
      rankingShown_ = true;
      break;
    case 5:
      rankingShown_ = true;
      if (!rankingLoaded_) {
        rankingLoaded_ = downloadRanking();
        if (!rankingLoaded_) break;
      }
      if (submitRanking()) rankingLoaded_ = downloadRanking();
      break;
    default: break;
  }
}

bool PauseScreen::frame() {
  if (battle::currentStage() == nullptr) {
    // No battle behind the menu (a failed load): nothing to resume.
    changeMode(kModeTitle, false);
    return false;
  }
  update();
  if (Session().frame.gameMode == kModeGameMenu) draw();
  return false;
}

void PauseScreen::update() {
  GameSession& s = Session();
  inputRecord& p1 = s.playerInputs[0];
  moveMenuCursor(p1, 4);
  if (p1.hold[kActionShot] == 1) {
    // Boxes and the cross-fade start over the menu as it stands.
    draw();
    switch (s.menuCursor) {
      case 1:
        toSaveScreen();
        if (battle::currentStage()->storyEventActive != 0) return;
        break;
      case 2:
        playMenuSound(kSoundDecide);
        changeMode(kModeBattle, false);
        break;
      case 3: toTitle(); break;
      case 4:
        playMenuSound(kSoundDecide);
        setReturnMode(kModeSettings, kModeGameMenu);
        loadModeResources(kModeSettings, true);
        changeMode(kModeSettings, false);
        break;
      default: break;
    }
  }
  if (s.frame.gameMode != kModeGameMenu) return;
  if (p1.hold[kActionPause] == 1 || (s.play.playerCount == 2 && s.playerInputs[1].hold[kActionPause] == 1)) {
    changeMode(kModeBattle, false);
  }
}

void PauseScreen::draw() const {
  const GameSession& s = Session();
  if (!s.frame.drawThisFrame) return;
  veziv::RenderGraphAtPoint(0, 0, s.frame.backdropCapture, 0);
  veziv::ChooseBlendMode(1, 100);
  veziv::DrawBoxShape(0, 0, 800, 600, s.colourBlack, 1);
  veziv::ChooseBlendMode(0, 0);
  veziv::RenderGraphAtPoint(200, 300, graphOf(kImagePauseMenu), 1);
  static constexpr const char* kRows[] = {"セーブ画面へ", "ゲームに戻る", "タイトルに戻る", "設定画面へ"};
  drawRows(360 + 20 * s.menuCursor, kRows, 4, 380, nullptr);
}

void PauseScreen::toSaveScreen() {
  GameSession& s = Session();
  if (battle::currentStage()->storyEventActive != 0) {
    s.frame.noticeQueue.push_back({"戦闘ストーリーモード中はセーブできません。",
                                   "現在再生しているストーリーを読み終わってから、", "もう一度セーブしてみてください。",
                                   "OK"});
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

void PauseScreen::toTitle() {
  playMenuSound(kSoundDecide);
  if (!showYesNoBox("タイトルに戻ります。", "よろしいですか？")) return;
  if (battle::currentStage()->storyEventActive != 0) Session().storyMode().releaseResources();
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

void runBattleEndScreen(bool fromResultMenu) {
  GameSession& s = Session();
  if (!fromResultMenu) {
    ensureSoundLoaded(kSoundGameOver);
    veziv::PlaySoundHandle(soundOf(kSoundGameOver), veziv::SoundPlayBack, 1);
  }
  veziv::StopSoundHandle(soundOf(kSoundJet));
  veziv::StopCurrentMusic();
  clearRememberedMusic();
  veziv::StopCurrentMusic();
  const uint32_t t0 = clockNow();
  veziv::CaptureScreenToGraph(0, 0, kScreenWidth, kScreenHeight, s.frame.backdropCapture);
  const veziv::GraphHandle picture = graphOf(fromResultMenu ? kImageMissionAccomplished : kImageMissionFailed);
  const uint32_t black = s.colourBlack;
  const uint32_t white = s.colourWhite;
  // The battle darkens under the picture over 100 frames.
  int i = 0;
  bool windowKept = runNestedLoop([&] {
    if (i >= 25500) return false;
    veziv::ChooseBlendMode(0, 0);
    veziv::RenderGraphAtPoint(0, 0, s.frame.backdropCapture, 0);
    veziv::ChooseBlendMode(1, i / 100);
    veziv::DrawBoxShape(0, 0, kScreenWidth, kScreenHeight, black, 1);
    veziv::RenderGraphAtPoint(250, 250, picture, 1);
    sleepMs(16);
    veziv::PresentBackBuffer();
    veziv::ClearDrawTarget();
    i += 255;
    return true;
  });
  veziv::ChooseBlendMode(0, 0);
  // Then the picture alone until the shot key, asked for after two seconds.
  if (windowKept) {
    runNestedLoop([&] {
      veziv::ClearDrawTarget();
      veziv::RenderGraphAtPoint(250, 250, picture, 1);
      if (((clockNow() - t0) & kClockMask) > 2000) {
        veziv::DrawFormattedTextDefaultFont(260, 400, white, "%sキーを押してください。",
                                            getActionKeyName(kActionShot).c_str());
        if (s.playerInputs[0].hold[kActionShot] == 1) {
          veziv::ClearDrawTarget();
          veziv::RenderGraphAtPoint(250, 250, picture, 1);
          veziv::DrawTextDefaultFont(260, 400, "しばらくお待ちください。。。", white, 0);
          veziv::PresentBackBuffer();
          return false;
        }
      }
      updateInput(s.playerInputs[0], 1);
      veziv::PresentBackBuffer();
      return true;
    });
  }
  releaseBattleSets();
  loadModeResources(kModeTitle, true);
  // The title opens on its first row, as every other way back to it does.
  s.menuCursor = 1;
  changeMode(kModeTitle, false);
  veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  veziv::SetSoundHandleFrequency(-1, soundOf(kSoundJet));
}

}  // namespace game
