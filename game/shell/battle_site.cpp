// The game's side of the battle's hooks.
#include "game/shell/battle_site.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>
#include <string>

#include "game/battle/battle_frame.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/core/catalogue.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/key_files.h"
#include "game/core/music_voices.h"
#include "game/core/records.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/shell/battle_menus.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr int kKeyLeftControl = 0x1D;
constexpr int kKeyRightControl = 0x9D;

bool validId(int id) { return id >= 0 && id < kImageIdCount; }

void measure(int imageId) {
  resourceRegistryRecord& r = Session().registry;
  loadGraphById(imageId);
  veziv::QueryGraphDimensions(r.graphs[imageId], &r.widths[imageId], &r.heights[imageId]);
}

}  // namespace

int GameBattleHooks::graphOf(int imageId) { return game::graphOf(imageId); }
int GameBattleHooks::imageWidth(int imageId) { return validId(imageId) ? Session().registry.widths[imageId] : 0; }
int GameBattleHooks::imageHeight(int imageId) { return validId(imageId) ? Session().registry.heights[imageId] : 0; }
void GameBattleHooks::ensureImageLoaded(int imageId) {
  if (!validId(imageId) || isGraphLoaded(imageId)) return;
  measure(imageId);
}
void GameBattleHooks::reloadImage(int imageId) {
  if (!validId(imageId)) return;
  freeGraphById(imageId);
  measure(imageId);
}
void GameBattleHooks::freeImage(int imageId) { freeGraphById(imageId); }
void GameBattleHooks::ensureSoundLoaded(int soundId, int) { game::ensureSoundLoaded(soundId); }
void GameBattleHooks::playSound(int soundId) {
  game::ensureSoundLoaded(soundId);
  veziv::PlaySoundHandle(soundOf(soundId), 1, 1);
}
int GameBattleHooks::sheetGraph(int sheet, int picture) { return sheetPiece(sheet, picture); }
int GameBattleHooks::sheetPictureWidth(int sheet) { return sheetPieceWidth(sheet); }
int GameBattleHooks::sheetPictureHeight(int sheet) { return sheetPieceHeight(sheet); }
int GameBattleHooks::soundHandle(int soundId) { return soundOf(soundId); }
int GameBattleHooks::fontOf(int fontIndex) {
  const resourceRegistryRecord& r = Session().registry;
  const veziv::FontHandle fonts[] = {r.gameFont, r.storyTextFont, r.storyNameFont, r.eventFont, r.boxFont};
  return fontIndex >= 0 && fontIndex < static_cast<int>(std::size(fonts)) ? fonts[fontIndex] : -1;
}
int GameBattleHooks::craftPoseGraph(int pose) { return sheetPiece(planeSheet, pose); }
int GameBattleHooks::mainWeaponReload(int weaponId) {
  const auto e = getMainWeaponInfo(weaponId);
  return e ? e->reloadTime : 0;
}
int GameBattleHooks::subWeaponReload(int weaponId) {
  const auto e = getSubWeaponInfo(weaponId);
  return e ? e->reloadTime : 0;
}
int GameBattleHooks::subWeaponAmmo(int weaponId) {
  const auto e = getSubWeaponInfo(weaponId);
  return e ? e->ammo : 0;
}
bool GameBattleHooks::battleEventsOn() { return Session().settings.battleEventsOn != 0; }
bool GameBattleHooks::craftFollowsKeys() {
  const battle::battleStage* stage = battle::currentStage();
  return Session().frame.gameMode == kModeBattle && (stage == nullptr || stage->storyEventActive == 0);
}
const battle::InputHolds* GameBattleHooks::playerInput(int playerNumber) {
  if (playerNumber < 1 || playerNumber > 2) return nullptr;
  battle::InputHolds& holds = holds_[playerNumber - 1];
  const inputRecord& record = Session().playerInputs[playerNumber - 1];
  static_assert(battle::InputHolds::kControl == kHoldCount);
  std::copy(std::begin(record.hold), std::end(record.hold), holds.hold);
  // The control keys are the first player's, as in the story screen.
  const bool control =
      playerNumber == 1 && (veziv::IsKeyDown(kKeyLeftControl) == 1 || veziv::IsKeyDown(kKeyRightControl) == 1);
  holds.hold[battle::InputHolds::kControl] = control ? 1 : 0;
  return &holds;
}

GameShellHooks::GameShellHooks(BattleResultScreen& result) : result_(result) {}

bool GameShellHooks::frameDrawn() { return Session().frame.drawThisFrame; }

// Player 1 from the first player header, player 2 from the second.
battle::PlayerLoadout GameShellHooks::loadout(int playerNumber) {
  const gameHeader& h = Session().play.playerHeaders[playerNumber == 2 ? 1 : 0];
  return {h.mainWeapon, h.subWeapon, h.battleCharacter, h.item1, h.item2};
}

// The title's set and the screens' pictures out, the battle's set in, the
// bar a step further after each.
void GameShellHooks::swapToBattleResources(battle::LoadingBar bar) {
  unloadModeResources(kModeTitle);
  int percent = 65;
  for (int mode : {kModeSettings, kModeSaveLoad, kModeBattleSetup, kModeStory}) {
    bar(percent);
    unloadModeResources(mode);
    percent += 5;
  }
  bar(percent);
  loadModeResources(kModeBattle, false);
}

// A story battle is fought at the story's difficulty.
int GameShellHooks::storyDifficulty() {
  const PlayState& p = Session().play;
  return p.storyGameFlag != 0 ? p.playerHeaders[0].difficulty : -1;
}

void GameShellHooks::playMusic(const std::string& file) { playNewMusic(file); }

// Through DirectMusic the music plays at the BGM setting (a setting of 0
// keeps it silent); through MCI, whose volume cannot be set, a BGM setting
// of 0 stops it again.
void GameShellHooks::startStageMusic(const std::string& file, battle::LoadingBar bar) {
  const auto& settings = Session().settings;
  if (settings.midiMode == 1) veziv::SetMusicVolume(settings.bgmVolume != 0 ? musicVolumeFor(settings.bgmVolume) : 0);
  playNewMusic(file);
  bar(95);
  if (settings.midiMode == 0 && settings.bgmVolume == 0) veziv::StopCurrentMusic();
}

void GameShellHooks::restartFrameClock() {
  FrameState& f = Session().frame;
  f.pacer.lastFrameTime = static_cast<int32_t>(static_cast<uint32_t>(veziv::GetMillisecondCount(0)) & 0x7FFFFFFFu);
  f.lastFrameTime = f.pacer.lastFrameTime;
}

// The battle's score is paid into the live holdings; the purse stops at
// the largest amount it can hold and never goes below 0.
void GameShellHooks::addMoney(int amount) {
  holdingsData& h = Session().play.holdings;
  const int64_t sum = static_cast<int64_t>(h.money) + amount;
  h.money = static_cast<int32_t>(std::clamp<int64_t>(sum, 0, INT32_MAX));
}

void GameShellHooks::pauseBattle() {
  veziv::PlaySoundHandle(soundOf(kSoundCancel), 1, 1);
  veziv::CaptureScreenToGraph(0, 0, 800, 600, Session().frame.backdropCapture);
  changeMode(kModeGameMenu, false);
}

void GameShellHooks::gameOver() { runBattleEndScreen(false); }

void GameShellHooks::battleWon() {
  setReturnMode(kModeGameMenu, kModeBattleResult);
  changeMode(kModeBattleResult, true);
}

void GameShellHooks::runResultMenu() { result_.runMenu(); }
std::string GameShellHooks::pauseKeyName() { return getActionKeyName(kActionPause); }
int GameShellHooks::radioVolume() { return Session().settings.radioVolume; }

// The story window of a story insert. Without a story an insert ends at
// once, so that the battle never stands still waiting for it.
void GameShellHooks::insertStoryLines(const std::vector<std::string>& lines, bool skipPast) {
  Session().storyMode().insertLines(lines, skipPast);
}
void GameShellHooks::startStoryInsert() { Session().storyMode().startInsert(); }
void GameShellHooks::runStoryWindow() { Session().storyMode().runWindow(); }
void GameShellHooks::advanceStoryText() { Session().storyMode().advanceText(); }
uint32_t GameShellHooks::speakerColour(const std::string& speaker) {
  return Session().storyMode().speakerColour(speaker);
}

}  // namespace game
