// Feeds the battle's object readers: the first byte chooses a stage's
// "enemy.dat" (even) or a run of slot records, each an i32 type id and its
// record (odd); the second the difficulty band. Whatever is accepted then
// lives a few battle frames: it moves, fires, is hit and dies, so that a value
// the readers let through cannot reach a division by zero, a NaN converted
// to an integer or an overflow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "game/battle/battle_world.h"
#include "game/battle/motion.h"
#include "game/battle/object_files.h"
#include "game/battle/tables.h"

namespace {

using namespace game::battle;

void readSlotRecords(const uint8_t* data, size_t size) {
  RecordReader in(data, size);
  while (in.remaining() >= 4) {
    const int typeId = in.i32();
    std::unique_ptr<motion> object = readSlotObject(typeId, in);
    if (object == nullptr) break;
    BattleWorld& w = World();
    switch (object->getTypeId()) {
      case kEnemyTypeId:
      case kDualImageEnemyTypeId:
        w.enemies.emplace_back(static_cast<enemy*>(object.release()));
        break;
      case kBulletTypeId:
        w.bullets.emplace_back(static_cast<bullet*>(object.release()));
        break;
      case kItemTypeId:
        w.items.emplace_back(static_cast<item*>(object.release()));
        break;
      default:
        std::abort();  // the reader makes only these classes
    }
  }
}

void runFrames(int frames) {
  BattleWorld& w = World();
  for (int f = 0; f < frames; ++f) {
    const size_t enemies = w.enemies.size();
    for (size_t i = 0; i < enemies && i < w.enemies.size(); ++i) {
      enemy& e = *w.enemies[i];
      e.update();
      patternShots[e.shotId](e, *w.players[0]);
      (void)e.isOut();
    }
    for (size_t i = 0; i < w.bullets.size(); ++i) {
      bullet& b = *w.bullets[i];
      b.update();
      for (size_t j = 0; j < w.enemies.size(); ++j) {
        if (b.hitTest(w.enemies[j]->x, w.enemies[j]->y, w.enemies[j]->radius) && b.onHit()) {
          w.enemies[j]->damage(b.power);
        }
      }
    }
    for (auto& it : w.items) {
      it->update();
      (void)it->pickUpTest(*w.players[0]);
    }
    removeKilledEnemies();
    ++w.frameCounter;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  ResetBattleWorld();
  static PlayerPosition player;
  player = PlayerPosition{};
  BattleWorld& w = World();
  w.players[0] = &player;
  const int bands[] = {10, 70, 100};
  w.difficulty = bands[data[1] % 3];
  if (data[0] % 2 == 0) {
    EnemyList read;
    if (readEnemyFile(data + 2, size - 2, read) != nullptr && !read.empty()) std::abort();
    for (auto& e : read) w.enemies.push_back(std::move(e));
  } else {
    readSlotRecords(data + 2, size - 2);
  }
  runFrames(8);
  ResetBattleWorld();
  return 0;
}
