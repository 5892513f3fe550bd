// The battle frame: starting a battle from a stage folder, one frame of the
// running battle (mode 1) and of the finished one under the result menu
// (mode 2), collisions, drawing, the battle keys and the end bonuses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/battle/battle_world.h"
#include "game/battle/shell_hooks.h"
#include "game/core/registry_ids.h"

namespace game::battle {

struct playerRecord;

ShellHooks& Shell();
// Installs the shell's hooks (null: the do-nothing defaults).
void installShellHooks(ShellHooks* hooks);

// Deletes every bullet, enemy and item, then both effect layers' effects.
void clearBattleObjects();
// Prepares a battle on a stage folder; the caller changes the mode to 1.
void startBattle(const char* folder);
// One frame of mode 1 and of mode 2.
void runBattleFrame();
void runBattleResultFrame();
void drawBattle();
void drawBattleHud();
// Pause, events, game over and the shake. In the finished battle no story
// insert fires.
void checkBattleKeys(bool resultMode = false);
void resolveCollisions();
void fireEnemyShots();
void updateItems();
// The end test: the map has run out and every object entered and is gone.
bool isBattleOver();
void addResultBonuses(playerRecord& player);
void drawLoadingBar(int percent);
}  // namespace game::battle
