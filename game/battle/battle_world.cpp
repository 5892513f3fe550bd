// The battle's shared state.
#include "game/battle/battle_world.h"

#include <algorithm>

#include "game/battle/motion.h"

namespace game::battle {
namespace {

class Unwired final : public BattleHooks {
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
};

}  // namespace

BattleWorld& World() {
  static BattleWorld world;
  return world;
}

BattleHooks& Hooks() {
  static Unwired unwired;
  BattleHooks* hooks = World().hooks;
  return hooks != nullptr ? *hooks : unwired;
}

void ResetBattleWorld() {
  BattleWorld& w = World();
  // Objects go first: a destructor may still look at the world.
  w.enemies.clear();
  w.bullets.clear();
  w.items.clear();
  w = BattleWorld{};
}

void removeKilledEnemies() {
  EnemyList& list = World().enemies;
  list.erase(std::remove_if(list.begin(), list.end(), [](const std::unique_ptr<enemy>& e) { return e->hp <= 0; }),
             list.end());
}

}  // namespace game::battle
