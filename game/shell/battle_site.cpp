#include "game/shell/battle_site.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>
#include <string>

#include "game/battle/battle_frame.h"
#include "game/battle/effect_layers.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/shell/battle_menus.h"
#include "game/shell/call_sites.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/key_files.h"
#include "game/shell/music_voices.h"
#include "game/shell/records.h"
#include "game/shell/resources.h"
#include "game/shell/settings.h"
#include "game/shell/story_site.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr int kModePause = 7;

bool validId(int id) { return id >= 0 && id < kImageIdCount; }

// The registry, sounds, fonts, settings and input for the battle objects.
class GameBattleHooks : public battle::LayerHooks {
 public:
  int graphOf(int imageId) override { return game::graphOf(imageId); }
  int imageWidth(int imageId) override { return validId(imageId) ? resourceRegistry.widths[imageId] : 0; }
  int imageHeight(int imageId) override { return validId(imageId) ? resourceRegistry.heights[imageId] : 0; }
  void ensureImageLoaded(int imageId) override {
    if (!validId(imageId) || isGraphLoaded(imageId)) return;
    measure(imageId);
  }
  void reloadImage(int imageId) override {
    if (!validId(imageId)) return;
    freeGraphById(imageId);
    measure(imageId);
  }
  void freeImage(int imageId) override { freeGraphById(imageId); }
  void ensureSoundLoaded(int soundId, int) override { game::ensureSoundLoaded(soundId); }
  void playSound(int soundId) override {
    game::ensureSoundLoaded(soundId);
    veziv::PlaySoundHandle(soundOf(soundId), 1, 1);
  }
  int sheetGraph(int sheet, int picture) override { return sheetPiece(sheet, picture); }
  int sheetPictureWidth(int sheet) override { return sheetPieceWidth(sheet); }
  int sheetPictureHeight(int sheet) override { return sheetPieceHeight(sheet); }
  int soundHandle(int soundId) override { return soundOf(soundId); }
  int fontOf(int fontIndex) override {
    const veziv::FontHandle fonts[] = {gameFont, storyTextFont, storyNameFont, eventFont, boxFont};
    return fontIndex >= 0 && fontIndex < 5 ? fonts[fontIndex] : -1;
  }
  int craftPoseGraph(int pose) override {
    return pose >= 0 && pose < static_cast<int>(std::size(planeSheet)) ? planeSheet[pose] : -1;
  }
  int mainWeaponReload(int weaponId) override {
    const auto e = getMainWeaponInfo(weaponId);
    return e ? e->reloadTime : 0;
  }
  int subWeaponReload(int weaponId) override {
    const auto e = getSubWeaponInfo(weaponId);
    return e ? e->reloadTime : 0;
  }
  int subWeaponAmmo(int weaponId) override {
    const auto e = getSubWeaponInfo(weaponId);
    return e ? e->ammo : 0;
  }
  bool battleEventsOn() override { return settingsRecord.battleEventsOn != 0; }
  bool craftFollowsKeys() override {
    const battle::battleStage* stage = battle::currentStage();
    return gameMode == kModeBattle && (stage == nullptr || stage->storyEventActive == 0);
  }
  const battle::InputHolds* playerInput(int playerNumber) override {
    if (playerNumber < 1 || playerNumber > 2) return nullptr;
    battle::InputHolds& holds = holds_[playerNumber - 1];
    for (int a = 0; a < battle::InputHolds::kCount; ++a) holds.hold[a] = playerInputs[playerNumber - 1].hold[a];
    return &holds;
  }

 private:
  static void measure(int imageId) {
    loadGraphById(imageId);
    veziv::QueryGraphDimensions(resourceRegistry.graphs[imageId], &resourceRegistry.widths[imageId],
                                &resourceRegistry.heights[imageId]);
  }
  battle::InputHolds holds_[2];
};

// The shell's side: frame skipping, music, the modes the battle leads to.
class GameShellHooks : public battle::ShellHooks {
 public:
  bool frameDrawn() override { return drawThisFrame; }
  // Player 1 from the first player header, player 2 from the second.
  battle::PlayerLoadout loadout(int playerNumber) override {
    const gameHeader& h = playerHeaders[playerNumber == 2 ? 1 : 0];
    return {h.mainWeapon, h.subWeapon, h.battleCharacter, h.item1, h.item2};
  }
  // The title's set and the screens' pictures out, the battle's set in.
  void swapToBattleResources() override {
    for (int mode : {kModeTitle, kModeSettings, kModeSaveLoad, kModeBattleSetup, kModeStory}) {
      unloadModeResources(mode);
    }
    loadModeResources(kModeBattle, false);
  }
  // A story battle is fought at the story's difficulty.
  int storyDifficulty() override { return storyGameFlag != 0 ? playerHeaders[0].difficulty : -1; }
  void playMusic(const std::string& file) override { playNewMusic(file); }
  // The battle's score is paid into the live holdings; the purse stops at
  // the largest amount it can hold and never goes below 0.
  void addMoney(int amount) override {
    const int64_t sum = static_cast<int64_t>(holdings.money) + amount;
    holdings.money = static_cast<int32_t>(std::clamp<int64_t>(sum, 0, INT32_MAX));
  }
  void pauseBattle() override {
    veziv::PlaySoundHandle(soundOf(5), 1, 1);
    veziv::CaptureScreenToGraph(0, 0, 800, 600, backdropCapture);
    changeMode(kModePause, false);
  }
  void gameOver() override { showBattleEndScreen(false); }
  void battleWon() override {
    returnModeMap[kModePause] = kModeBattleResult;
    changeMode(kModeBattleResult, true);
  }
  void runResultMenu() override { runBattleResultMenu(); }
  std::string pauseKeyName() override { return getActionKeyName(kActionPause); }
  int radioVolume() override { return settingsRecord.radioVolume; }
  // The story window of a story insert. Without the story an insert ends
  // at once, so that the battle never stands still waiting for it.
  void insertStoryLines(const std::vector<std::string>& lines, bool skipPast) override {
    if (StorySite* story = storySite()) story->insertLines(lines, skipPast);
  }
  void startStoryInsert() override {
    if (StorySite* story = storySite()) {
      story->startInsert();
    } else if (battle::battleStage* stage = battle::currentStage()) {
      stage->storyEventActive = 0;
    }
  }
  void runStoryWindow() override {
    if (StorySite* story = storySite()) story->runWindow();
  }
  void advanceStoryText() override {
    if (StorySite* story = storySite()) story->advanceText();
  }
  uint32_t speakerColour(const std::string& speaker) override {
    StorySite* story = storySite();
    return story != nullptr ? story->speakerColour(speaker) : 0xFFFFFF;
  }
};

GameBattleHooks battleHooks;
GameShellHooks shellHooks;

}  // namespace

void installBattleSite() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  battle::World().hooks = &battleHooks;
  battle::installShellHooks(&shellHooks);
  battle::installPlayers();
}

}  // namespace game
