#include "game/shell/battle_site.h"

#include <string>

#include "game/battle/battle_frame.h"
#include "game/battle/effect_layers.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/shell/call_sites.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/key_files.h"
#include "game/shell/resources.h"
#include "game/shell/settings.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr int kModePause = 7;

bool validId(int id) { return id >= 0 && id < kImageIdCount; }

// The registry, sounds, fonts, settings and input for the battle objects.
// Sheets are not in the registry yet: their calls answer "unknown" (-1 or 0).
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
  int sheetGraph(int, int) override { return -1; }
  int sheetPictureWidth(int) override { return 0; }
  int sheetPictureHeight(int) override { return 0; }
  int soundHandle(int soundId) override { return soundOf(soundId); }
  int fontOf(int fontIndex) override {
    const veziv::FontHandle fonts[] = {gameFont, storyTextFont, storyNameFont, eventFont, boxFont};
    return fontIndex >= 0 && fontIndex < 5 ? fonts[fontIndex] : -1;
  }
  int craftPoseGraph(int) override { return -1; }
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
  void playMusic(const std::string& file) override {
    veziv::StopCurrentMusic();
    veziv::PlayMusicFile(file.c_str(), 3);
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
  std::string pauseKeyName() override { return getActionKeyName(kActionPause); }
  int radioVolume() override { return settingsRecord.radioVolume; }
  // Until the story window runs inside the battle, an insert ends at once,
  // so that the battle never stands still waiting for it.
  void startStoryInsert() override {
    if (battle::battleStage* stage = battle::currentStage()) stage->storyEventActive = 0;
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
