// The three tables the objects' ids select: movements, shot patterns (with
// their drawing) and actions, and the bullet maker the patterns share.
#pragma once

#include "game/battle/battle_ids.h"
#include "game/battle/battle_world.h"

namespace game::battle {

class motion;
class enemy;

// An entry moves the object; all its state is the object's own fields.
using MovementEntry = void (*)(motion& object);
extern const MovementEntry movementTable[kMovementCount];
// Entry 0, the polar step most entries end with.
void movePolar(motion& object);

// An entry works on the enemy's five shot-state words (shotCounter, shotId,
// shotAux, shotImage, shotInterval) and reads the target's position.
using ShotEntry = void (*)(enemy& shooter, PlayerPosition& target);
using ShotDrawEntry = void (*)(enemy& shooter);
extern const ShotEntry patternShots[kShotPatternCount];
extern const ShotDrawEntry shotDrawTable[kShotPatternCount];

// An enemy bullet (owner 3) appended to the bullet list.
void spawnBullet(int heading, int power, int speed, int movementId, int hitActionId, double x, double y,
                 int imageId);

// An entry gets the object's action state word (deathActionState or
// hitActionState) and the object; true means a bullet is spent.
using ActionEntry = bool (*)(int& state, motion& object);
extern const ActionEntry actionTable[kActionCount];

}  // namespace game::battle
