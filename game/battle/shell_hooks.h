// The battle's calls into the shell around it: frame skipping, the player
// headers, music, money, pause, the battle's ends and the story's inserts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace game::battle {

// A player's equipment and character from the persistent player record.
struct PlayerLoadout {
  int mainWeapon = 0, subWeapon = 0, character = 0, item1 = -1, item2 = -1;
};

// Draws the battle's loading screen at a percentage.
using LoadingBar = void (*)(int percent);

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
  // out, the battle set in; the loading bar shows 65 to 85 on the way.
  virtual void swapToBattleResources(LoadingBar /*bar*/) {}
  // Stops the music and plays a file, remembering its name.
  virtual void playMusic(const std::string& /*file*/) {}
  // The stage's music at the battle start: the music volume set, the file
  // played as playMusic does; the loading bar shows 95 before a muted MCI
  // music is stopped again.
  virtual void startStageMusic(const std::string& file, LoadingBar /*bar*/) { playMusic(file); }
  // The clock read as the start of the current frame, so that the loading
  // just done does not count as a slow frame.
  virtual void restartFrameClock() {}
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

}  // namespace game::battle
