// The game's side of the battle's hooks: the registry, sounds, fonts,
// catalogue, settings and input for the battle objects, and the shell's
// part of the battle frame (frame skipping, the player headers, music,
// money, pause, the battle's two ends and the story's inserts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/battle/battle_world.h"
#include "game/battle/effect_layers.h"
#include "game/battle/shell_hooks.h"

namespace game {

class BattleResultScreen;

class GameBattleHooks final : public battle::LayerHooks {
 public:
  int graphOf(int imageId) override;
  int imageWidth(int imageId) override;
  int imageHeight(int imageId) override;
  void ensureImageLoaded(int imageId) override;
  void reloadImage(int imageId) override;
  void freeImage(int imageId) override;
  void ensureSoundLoaded(int soundId, int buffers) override;
  void playSound(int soundId) override;
  int sheetGraph(int sheet, int picture) override;
  int sheetPictureWidth(int sheet) override;
  int sheetPictureHeight(int sheet) override;
  int soundHandle(int soundId) override;
  int fontOf(int fontIndex) override;
  int craftPoseGraph(int pose) override;
  int mainWeaponReload(int weaponId) override;
  int subWeaponReload(int weaponId) override;
  int subWeaponAmmo(int weaponId) override;
  bool battleEventsOn() override;
  bool craftFollowsKeys() override;
  const battle::InputHolds* playerInput(int playerNumber) override;

 private:
  battle::InputHolds holds_[2];
};

class GameShellHooks final : public battle::ShellHooks {
 public:
  explicit GameShellHooks(BattleResultScreen& result);
  bool frameDrawn() override;
  battle::PlayerLoadout loadout(int playerNumber) override;
  void swapToBattleResources(battle::LoadingBar bar) override;
  int storyDifficulty() override;
  void playMusic(const std::string& file) override;
  void startStageMusic(const std::string& file, battle::LoadingBar bar) override;
  void restartFrameClock() override;
  void addMoney(int amount) override;
  void pauseBattle() override;
  void gameOver() override;
  void battleWon() override;
  void runResultMenu() override;
  std::string pauseKeyName() override;
  int radioVolume() override;
  void insertStoryLines(const std::vector<std::string>& lines, bool skipPast) override;
  void startStoryInsert() override;
  void runStoryWindow() override;
  void advanceStoryText() override;
  uint32_t speakerColour(const std::string& speaker) override;

 private:
  BattleResultScreen& result_;
};

}  // namespace game
