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
