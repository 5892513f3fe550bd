// Writes the battle_objects seeds: every demo stage's "enemy.dat" at each
// difficulty, and runs of slot records of every class.
#include <string>

#include "fuzz/seed_writer.h"
#include "game/battle/motion.h"
#include "tools/demodata/battle_stages.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  veziv::fuzzing::SeedRoot() = argv[1];
  using namespace game::battle;
  int n = 0;
  for (const demodata::BattleStagePlan& plan : demodata::BattleStagePlans()) {
    std::vector<uint8_t> bytes = {0, static_cast<uint8_t>(n % 3)};
    const std::vector<uint8_t> file = demodata::EnemyFileBytes(plan);
    bytes.insert(bytes.end(), file.begin(), file.end());
    veziv::fuzzing::Seed("battle_objects", "stage" + std::to_string(n++), bytes);
  }
  // Slot records: an enemy on the boss routine near its launch, a cannon, a
  // homing bullet with a blast, and an item.
  std::vector<uint8_t> slot = {1, 1};
  RecordWriter w(slot);
  enemy boss;
  boss.x = 352;
  boss.y = 150;
  boss.radius = 64;
  boss.hp = boss.maxHp = 100;
  boss.shotId = 20;
  boss.shotCounter = 997;
  boss.movementId = 13;
  boss.deathActionId = 5;
  boss.imageId = 13;
  w.i32(kEnemyTypeId);
  boss.save(slot);
  enemy_dualImage cannon;
  cannon.x = 300;
  cannon.y = 150;
  cannon.radius = 12;
  cannon.hp = cannon.maxHp = 40;
  cannon.shotId = 19;
  cannon.movementId = 2;
  cannon.deathActionId = 7;
  cannon.imageId = 283;
  cannon.baseImage = 284;
  w.i32(kDualImageEnemyTypeId);
  cannon.save(slot);
  bullet b(90, 50, 30, 13, 5, 1, 352, 200, 43);
  b.radius = 4;
  w.i32(kBulletTypeId);
  b.save(slot);
  item it;
  it.x = 400;
  it.y = 545;
  it.kind = 1;
  it.amount = 50;
  it.imageId = 44;
  w.i32(kItemTypeId);
  it.save(slot);
  veziv::fuzzing::Seed("battle_objects", "slot_records", slot);
  return 0;
}
