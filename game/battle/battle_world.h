// The battle's shared state that the objects, movements, patterns and actions
// read and change, and the calls they make into the rest of the game (the
// registry, the effect layers and the players), which those parts fill in.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "game/battle/random_stream.h"
#include "game/battle/shell_hooks.h"

namespace game::battle {

class enemy;
class bullet;
class item;
class basicAnime;
struct battleStage;
struct playerRecord;

// What the battle objects read of a player: the position that opens its record.
struct PlayerPosition {
  double x = 400.0;
  double y = 550.0;
};

// One player's input as the battle reads it, all of it: the hold counters
// in frames, in the order of the game's input record (shot, left, up,
// right, down, sub weapon, special, slow, pause, mouse left, mouse right),
// which the shell copies from its input record, and whether either control
// key is down (it moves a story insert's text on, as in the story screen).
struct InputHolds {
  enum Action {
    kShot,
    kLeft,
    kUp,
    kRight,
    kDown,
    kSub,
    kSpecial,
    kSlow,
    kPause,
    kMouseLeft,
    kMouseRight,
    kControl,
    kCount
  };
  int hold[kCount] = {};
};

// The calls the battle objects make into the rest of the game. The resource
// registry, the effect layers and the players implement them; until a battle
// installs them, none of these happen (see Hooks()).
class BattleHooks {
 public:
  virtual ~BattleHooks() = default;
  // Registry: graph handle, width and height of an image id (0 when unknown).
  virtual int graphOf(int imageId) = 0;
  virtual int imageWidth(int imageId) = 0;
  virtual int imageHeight(int imageId) = 0;
  // Loads the image into the graph table and records its size, unless loaded.
  virtual void ensureImageLoaded(int imageId) = 0;
  // Frees the image if loaded, loads it again and records its size.
  virtual void reloadImage(int imageId) { ensureImageLoaded(imageId); }
  // Frees the image if loaded.
  virtual void freeImage(int /*imageId*/) {}
  // Loads the sound with its volume applied unless its handle is valid.
  virtual void ensureSoundLoaded(int soundId, int buffers) = 0;
  // PlaySoundHandle(handle of the sound id, 1, 1).
  virtual void playSound(int soundId) = 0;
  // Effects: a stationalSlideAnime on the back layer.
  virtual void addSlideEffect(int sheet, int pictures, int lastPass, double x, double y, double step) = 0;
  // The shrinking expandingAnime of an image, front layer.
  virtual void addShrinkingImage(int imageId, int x, int y, int heading) = 0;
  // A drifting imageShower, back layer.
  virtual void addDriftingImage(int imageId, int x, int y, double scale) = 0;
  // The player's damage reaction.
  virtual void showDamageReaction(PlayerPosition& player, int damage) = 0;
  // Registry: a picture of a sprite sheet (-1 when unknown) and the size of
  // the sheet's pictures (0 when unknown).
  virtual int sheetGraph(int sheet, int picture) = 0;
  virtual int sheetPictureWidth(int sheet) = 0;
  virtual int sheetPictureHeight(int sheet) = 0;
  // Registry: the handle of a loaded sound id, -1 when there is none.
  virtual int soundHandle(int soundId) = 0;
  // Registry: the font at an index of the game's font table, -1 when unknown.
  virtual int fontOf(int fontIndex) = 0;
  // Registry: the piece of the player craft sheet for a pose 0..5.
  virtual int craftPoseGraph(int pose) = 0;
  // Catalogue: reload time and starting ammunition; 0 for an id it lacks.
  virtual int mainWeaponReload(int weaponId) = 0;
  virtual int subWeaponReload(int weaponId) = 0;
  virtual int subWeaponAmmo(int weaponId) = 0;
  // Settings: whether in-battle events (the radio texts) are switched on.
  virtual bool battleEventsOn() = 0;
  // Shell: whether the craft shows the keys' lean (the battle runs and no
  // story event does).
  virtual bool craftFollowsKeys() = 0;
  // Shell: the hold counters of a player (1 or 2), null when unknown.
  virtual const InputHolds* playerInput(int playerNumber) = 0;
};

// The hooks of a battle that nothing has wired: images are unknown (size 0)
// and nothing is loaded, played, added or reacted to.
class UnwiredHooks final : public BattleHooks {
 public:
  int graphOf(int) override { return -1; }
  int imageWidth(int) override { return 0; }
  int imageHeight(int) override { return 0; }
  void ensureImageLoaded(int) override {}
  void ensureSoundLoaded(int, int) override {}
  void playSound(int) override {}
  void addSlideEffect(int, int, int, double, double, double) override {}
  void addShrinkingImage(int, int, int, int) override {}
  void addDriftingImage(int, int, int, double) override {}
  void showDamageReaction(PlayerPosition&, int) override {}
  int sheetGraph(int, int) override { return -1; }
  int sheetPictureWidth(int) override { return 0; }
  int sheetPictureHeight(int) override { return 0; }
  int soundHandle(int) override { return -1; }
  int fontOf(int) override { return -1; }
  int craftPoseGraph(int) override { return -1; }
  int mainWeaponReload(int) override { return 0; }
  int subWeaponReload(int) override { return 0; }
  int subWeaponAmmo(int) override { return 0; }
  bool battleEventsOn() override { return false; }
  bool craftFollowsKeys() override { return false; }
  const InputHolds* playerInput(int) override { return nullptr; }
};

using EnemyList = std::vector<std::unique_ptr<enemy>>;
using BulletList = std::vector<std::unique_ptr<bullet>>;
using ItemList = std::vector<std::unique_ptr<item>>;
using AnimeLayer = std::vector<std::unique_ptr<basicAnime>>;

// The state of the running battle; one of it, reached through World().
struct BattleWorld {
  BattleWorld();
  ~BattleWorld();
  BattleWorld(BattleWorld&&) noexcept;
  BattleWorld& operator=(BattleWorld&&) noexcept;

  int difficulty = 10;      // 10, 70 or 100
  int frameCounter = 0;     // raised once a frame
  int frameMs = 16;         // length of the last frame
  int screenShake = 0;      // degrees; pictures shake while above 0
  int playerCount = 1;      // 1 or 2
  PlayerPosition* players[2] = {nullptr, nullptr};
  EnemyList enemies;
  BulletList bullets;
  ItemList items;
  // The effect layers: the front one over the HUD, the back one under the bullets.
  AnimeLayer frontAnimes;
  AnimeLayer backAnimes;
  // The stage being fought; null between battles.
  std::unique_ptr<battleStage> stage;
  // The two player records (installPlayers points players at them).
  std::unique_ptr<playerRecord> records[2];
  // The stage events' radio voices: event number to sound handle.
  std::map<int, int> radioVoices;
  // The battle's random numbers, seeded at its start.
  RandomStream random;
  // The calls into the rest of the game; null: the unwired defaults below.
  BattleHooks* hooks = nullptr;
  ShellHooks* shell = nullptr;
  UnwiredHooks unwired;
  ShellHooks unwiredShell;
};

// The running battle's state.
BattleWorld& World();
// The installed hooks; without any, the unwired ones.
BattleHooks& Hooks();
// Empties the lists, the layers and the stage and puts every value back to
// its start; the hooks are unwired again.
void ResetBattleWorld();

// Removes the enemies whose hp is 0 or less, wherever the kill came from.
void removeKilledEnemies();

}  // namespace game::battle
