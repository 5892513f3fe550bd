// The stages' enemy files as a generator: each stage folder's "enemy.dat"
// from the plans of battle_stages.cpp.
#include "game/battle/stage_folders.h"
#include "tools/demodata/battle_stages.h"
#include "tools/demodata/generator.h"

namespace demodata {

void makeBattleStageObjects(const Sources&, Outputs& outputs) {
  for (const BattleStagePlan& plan : BattleStagePlans()) {
    outputs.add(std::string(game::battle::kStageFolders[plan.stage]) + "/enemy.dat", EnemyFileBytes(plan));
  }
}

}  // namespace demodata
