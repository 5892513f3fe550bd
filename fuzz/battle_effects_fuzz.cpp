// Feeds the effects section of a save slot to the layers' loader. Whatever
// it accepts then lives a few hundred battle frames among enemies and enemy
// bullets, updated and drawn, so that a value the loader lets through cannot
// reach a division by zero, a NaN converted to an integer or an overflow.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "game/battle/battle_world.h"
#include "game/battle/effect_layers.h"
#include "game/battle/motion.h"
#include "game/battle/players.h"

namespace {

using namespace game::battle;

void populate() {
  BattleWorld& w = World();
  for (int i = 0; i < 6; ++i) {
    auto e = std::make_unique<enemy>();
    e->x = 100 + 90 * i;
    e->y = 250 + 20 * i;
    e->hp = e->maxHp = 60;
    e->radius = 16;
    w.enemies.push_back(std::move(e));
    w.bullets.push_back(std::make_unique<bullet>(270, 10, 0, 0, 1, 3, 380 + 10 * i, 500 - 15 * i, 43));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetBattleWorld();
  clearAnimes();
  installPlayers();
  World().playerCount = 2;
  battlePlayer(1) = buildPlayer(1, 0, 0, 0, -1, -1);
  battlePlayer(2) = buildPlayer(2, 0, 0, 0, -1, -1);
  populate();
  RecordReader in(data, size);
  if (loadAnimes(in)) {
    for (int frame = 0; frame < 420 && !(frontAnimes().empty() && backAnimes().empty()); ++frame) {
      updateAnimes();
      removeKilledEnemies();
      drawBackAnimes();
      drawFrontAnimes();
      ++World().frameCounter;
    }
  }
  clearAnimes();
  ResetBattleWorld();
  return 0;
}
