// Objects read from bytes that a file gave: the stage's "enemy.dat" and the
// object records of a save slot. Every count, id and value is checked before
// the game uses it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "game/battle/battle_world.h"
#include "game/battle/record_bytes.h"

namespace game::battle {

class motion;

// "enemy.dat": i32 count, then per object its i32 type id (1 or 2) and its
// record. On any fault nothing is added to out and the reason is returned;
// null means every object was read.
const char* readEnemyFile(const uint8_t* data, size_t size, EnemyList& out);

// The object of a slot record of typeId: null for an unknown type id, a short
// record or a value outside what the game can use.
std::unique_ptr<motion> readSlotObject(int typeId, RecordReader& in);

}  // namespace game::battle
