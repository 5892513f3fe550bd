// Special attacks: charging and releasing MP, the attack of each partner
// character, the MP gauge, and the routines that run as maku effects.
#pragma once

#include "game/battle/battle_world.h"
#include "game/battle/effects.h"
#include "game/battle/players.h"
#include "game/core/registry_ids.h"

namespace game::battle {

constexpr int kMakuRoutineCount = 7;
constexpr int kSpecialCharacterCount = 7;

// The routine tables a maku calls through: update (true when finished) and
// draw.
using MakuUpdate = bool (*)(maku& attack);
using MakuDraw = void (*)(maku& attack);
extern const MakuUpdate makuUpdateTable[kMakuRoutineCount];
extern const MakuDraw makuDrawTable[kMakuRoutineCount];

// Press, hold and release of the special key for one frame.
void chargeSpecialAttack(const InputHolds& input, playerRecord& player);
void releaseSpecialAttack(playerRecord& player);
// Indexed by battleCharacter; entry 6 does nothing.
using SpecialAttack = void (*)(playerRecord& player);
extern const SpecialAttack specialAttackTable[kSpecialCharacterCount];
// The power of a charge: charge x 100 / mpMax, integers.
int specialPower(int charge, int mpMax);

void drawMpGauge(int x0, const playerRecord& player);

// The vortex's growth factor for its pictures at power p on counter c: 1
// until p x 230 / 100, then 0.5 + d^2 / (p x 2440 / 100) with
// d = trunc(c) - p x 230 / 100 - p x 35 / 100; each p x n / 100 is a whole
// number.
double vortexGrowth(int p, double c);

}  // namespace game::battle
