// The battle frame: starting a battle from a stage folder, one frame of the
// running battle (mode 1) and of the finished one under the result menu
// (mode 2), collisions, drawing, the battle keys and the end bonuses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/battle/battle_world.h"

namespace game::battle {

struct playerRecord;

// A player's equipment and character from the persistent player record.
struct PlayerLoadout {
  int mainWeapon = 0, subWeapon = 0, character = 0, item1 = -1, item2 = -1;
};

// What the battle frame and the stage events need of the shell, the
// settings and the story. The shell installs its own; the defaults do
// nothing, so a headless battle runs on them.
class ShellHooks {
 public:
  virtual ~ShellHooks() = default;
  // Whether this frame is drawn (frame skipping).
  virtual bool frameDrawn() { return true; }
  virtual PlayerLoadout loadout(int /*playerNumber*/) { return {}; }
  // The difficulty of a story battle, -1 outside the story.
  virtual int storyDifficulty() { return -1; }
  // The resource swap of the battle start: title set out, the screens' sets
  // out, the battle set in.
  virtual void swapToBattleResources() {}
  // Stops the music and plays a file, remembering its name.
  virtual void playMusic(const std::string& /*file*/) {}
  virtual void addMoney(int /*amount*/) {}
  // Sound 5, the screen captured, the pause menu.
  virtual void pauseBattle() {}
  // The battle end screen of a lost battle.
  virtual void gameOver() {}
  // The end test held: the result mode.
  virtual void battleWon() {}
  virtual void runResultMenu() {}
  virtual std::string pauseKeyName() { return ""; }
  // The story window of a story insert.
  virtual void insertStoryLines(const std::vector<std::string>& /*lines*/, bool /*skipPast*/) {}
  virtual void startStoryInsert() {}
  virtual void runStoryWindow() {}
  virtual void advanceStoryText() {}
  // Radio events: the radio volume (percent) and a speaker's colour.
  virtual int radioVolume() { return 100; }
  virtual uint32_t speakerColour(const std::string& /*speaker*/) { return 0xFFFFFF; }
};

ShellHooks& Shell();
// Installs the shell's hooks (null: the do-nothing defaults).
void installShellHooks(ShellHooks* hooks);

// Deletes every bullet, enemy and item, then both effect layers' effects.
void clearBattleObjects();
// Prepares a battle on a stage folder; the caller changes the mode to 1.
void startBattle(const char* folder);
// One frame of mode 1 and of mode 2.
void runBattleFrame();
void runBattleResultFrame();
void drawBattle();
void drawBattleHud();
// Pause, events, game over and the shake. In the finished battle no story
// insert fires.
void checkBattleKeys(bool resultMode = false);
void resolveCollisions();
void fireEnemyShots();
void updateItems();
// The end test: the map has run out and every object entered and is gone.
bool isBattleOver();
void addResultBonuses(playerRecord& player);
void drawLoadingBar(int percent);
// Every battle image and sound id the frame uses.
constexpr int kImageLoadingScreen = 62;
constexpr int kImageLoadingFrame = 63;
constexpr int kImageStageClear = 194;
constexpr int kSoundCancel = 5;
constexpr int kSoundPickUp = 10;
constexpr int kSoundMissionComplete = 16;
constexpr int kSoundJetLoop = 20;
constexpr int kSoundTitleLoop = 21;

}  // namespace game::battle
