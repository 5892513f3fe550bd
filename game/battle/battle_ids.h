// The numbers the battle objects share with the stage files and the demo data
// tool: type ids, table sizes, record sizes and the sheets; the image and
// sound ids come with their names from the registry (registry_ids.h).
#pragma once

#include "game/core/registry_ids.h"

namespace game::battle {

// Type ids of the object classes, as the stage and slot files frame them.
constexpr int kMotionTypeId = -1;
constexpr int kEnemyTypeId = 1;
constexpr int kDualImageEnemyTypeId = 2;
constexpr int kBulletTypeId = 1001;
constexpr int kItemTypeId = 2001;

// Sizes of the tables that object ids index.
constexpr int kMovementCount = 16;
constexpr int kShotPatternCount = 22;
constexpr int kActionCount = 10;

// Record sizes in bytes.
constexpr int kMotionRecordBytes = 36;
constexpr int kEnemyRecordBytes = 84;
constexpr int kDualImageEnemyRecordBytes = 92;
constexpr int kBulletRecordBytes = 56;
constexpr int kItemRecordBytes = 48;

// The play field.
constexpr int kFieldWidth = 704;
constexpr int kFieldHeight = 600;

// Sprite sheets of the registry.
constexpr int kSheetExplosion = 0;
constexpr int kSheetSmoke = 1;
constexpr int kExplosionPictures = 16;
constexpr int kSmokePictures = 6;

}  // namespace game::battle
