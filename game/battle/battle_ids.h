// The numbers the battle objects share with the stage files and the demo data
// tool: type ids, table sizes and the image and sound ids the code names.
#pragma once

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
// Image ids run 0..375 and sound ids 0..104 in the resource registry.
constexpr int kImageIdCount = 376;
constexpr int kSoundIdCount = 105;

// Record sizes in bytes.
constexpr int kMotionRecordBytes = 36;
constexpr int kEnemyRecordBytes = 84;
constexpr int kDualImageEnemyRecordBytes = 92;
constexpr int kBulletRecordBytes = 56;
constexpr int kItemRecordBytes = 48;

// The play field.
constexpr int kFieldWidth = 704;
constexpr int kFieldHeight = 600;

// Images the battle objects draw or make.
constexpr int kImageAfterBurn = 14;
constexpr int kImageLaser = 16;
constexpr int kImageShadow = 31;
constexpr int kImagePowerCharger = 40;
constexpr int kImageBulletBlue = 42;
constexpr int kImageBulletRed = 43;
constexpr int kImageTornadoBullet = 44;
constexpr int kImageMpItem = 78;
constexpr int kImageLaunchedPlane = 91;
constexpr int kImageBossSpiral1 = 124;
constexpr int kImageBossSpiral2 = 126;
constexpr int kImageBossBarrage = 145;
constexpr int kImageBossStream = 147;
constexpr int kImageTank = 195;
constexpr int kImageTankWreck = 196;
constexpr int kImageBurstMissile = 216;

// Sprite sheets of the registry.
constexpr int kSheetExplosion = 0;
constexpr int kSheetSmoke = 1;
constexpr int kExplosionPictures = 16;
constexpr int kSmokePictures = 6;

// Sounds.
constexpr int kSoundDamage = 3;
constexpr int kSoundMissile = 7;
constexpr int kSoundSmallShot = 14;
constexpr int kSoundBossLaunch = 98;
constexpr int kSoundBossDeath = 99;

}  // namespace game::battle
