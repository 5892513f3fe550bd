// The battle's shared state that the objects, movements, patterns and actions
// read and change, and the calls they make into the rest of the game (the
// registry, the effect layers and the players), which those parts fill in.
#pragma once

#include <memory>
#include <vector>

namespace game::battle {

class enemy;
class bullet;
class item;

// What the battle objects read of a player: the position that opens its record.
struct PlayerPosition {
  double x = 400.0;
  double y = 550.0;
};

// One player's hold counters in frames, in the order of the game's input
// record: shot, left, up, right, down, sub weapon, special, slow, pause, mouse
// left, mouse right. The shell copies them from its input record.
struct InputHolds {
  enum Action { kShot, kLeft, kUp, kRight, kDown, kSub, kSpecial, kSlow, kPause, kMouseLeft, kMouseRight, kCount };
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

using EnemyList = std::vector<std::unique_ptr<enemy>>;
using BulletList = std::vector<std::unique_ptr<bullet>>;
using ItemList = std::vector<std::unique_ptr<item>>;

// The state of the running battle; one of it, reached through World().
struct BattleWorld {
  int difficulty = 10;      // 10, 70 or 100
  int frameCounter = 0;     // raised once a frame
  int frameMs = 16;         // length of the last frame
  int screenShake = 0;      // degrees; pictures shake while above 0
  int playerCount = 1;      // 1 or 2
  PlayerPosition* players[2] = {nullptr, nullptr};
  EnemyList enemies;
  BulletList bullets;
  ItemList items;
  BattleHooks* hooks = nullptr;
};

// The running battle's state.
BattleWorld& World();
// The installed hooks; without any, images are unknown (size 0) and nothing
// is loaded, played, added or reacted to.
BattleHooks& Hooks();
// Empties the lists and puts every value back to its start.
void ResetBattleWorld();

// Removes the enemies whose hp is 0 or less, wherever the kill came from.
void removeKilledEnemies();

}  // namespace game::battle
