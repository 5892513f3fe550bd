// The battle's shared state.
#include "game/battle/battle_world.h"

#include <algorithm>

#include "game/battle/effects.h"
#include "game/battle/motion.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"

namespace game::battle {
BattleWorld::BattleWorld() {
  for (auto& record : records) record = std::make_unique<playerRecord>();
}
BattleWorld::~BattleWorld() = default;
BattleWorld::BattleWorld(BattleWorld&&) noexcept = default;
BattleWorld& BattleWorld::operator=(BattleWorld&&) noexcept = default;

BattleWorld& World() {
  static BattleWorld world;
  return world;
}

BattleHooks& Hooks() {
  BattleWorld& w = World();
  return w.hooks != nullptr ? *w.hooks : w.unwired;
}

void ResetBattleWorld() {
  BattleWorld& w = World();
  // Objects go first: a destructor may still look at the world.
  w.enemies.clear();
  w.bullets.clear();
  w.items.clear();
  w.frontAnimes.clear();
  w.backAnimes.clear();
  w.stage.reset();
  w = BattleWorld{};
}

void removeKilledEnemies() {
  EnemyList& list = World().enemies;
  list.erase(std::remove_if(list.begin(), list.end(), [](const std::unique_ptr<enemy>& e) { return e->hp <= 0; }),
             list.end());
}

}  // namespace game::battle
