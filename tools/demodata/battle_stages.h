// The demo stages' objects: each stage folder's "enemy.dat", written from the
// plan in battle_stages.cpp with the ids and folders of the game's own tables.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace demodata {

// One stage object as the plan gives it; the radius comes from the image.
struct BattleSpawn {
  int y, x;
  int typeId;  // 1 enemy, 2 enemy_dualImage
  int image, baseImage, baseHeading;
  int hp, score, shadowOffset;
  int shotId, shotImage, shotInterval;
  int movementId, deathActionId;
  int heading, speed;
};

struct BattleStagePlan {
  int stage;       // index into the game's stage folder table
  int rows;        // map rows of the stage's chip.txt
  std::vector<BattleSpawn> spawns;  // by falling map y
};

// The plan of every stage folder, in the folder table's order.
const std::vector<BattleStagePlan>& BattleStagePlans();

// Half the width of an enemy image of the plan (the hit radius); 0 if unknown.
int BattleImageRadius(int imageId);

// The UTF-8 text of a stage folder's "events.txt" (by the folder table's index).
std::string StageEventsText(int stage);

// The bytes of a stage's "enemy.dat".
std::vector<uint8_t> EnemyFileBytes(const BattleStagePlan& plan);

// Writes "enemy.dat" into every stage folder under run (folders are made as
// needed). False with the reason in error when a file cannot be written.
bool WriteBattleStageObjects(const std::filesystem::path& run, std::string* error);

}  // namespace demodata
