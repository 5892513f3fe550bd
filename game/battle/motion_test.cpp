// The objects' records, factory, leave and hit tests, damage and pick-ups.
#include "game/battle/motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/battle/battle_test_support.h"
#include "game/battle/object_files.h"

namespace game::battle {
namespace {

std::vector<uint8_t> hexBytes(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

// x 1.5, y -2.0, radius 4, heading 90.0, speed -20, imageId 43.
const char* const kMotionRecordHex =
    "0000000000 00F83F 00000000000000C0 04000000 0000000000805640 ECFFFFFF 2B000000";

TEST(ObjectRecords, GoldenBytesOfABulletAndADualImageEnemy) {
  test::Battle battle;
  bullet b;
  b.x = 1.5;
  b.y = -2.0;
  b.radius = 4;
  b.heading = 90.0;
  b.speed = -20;
  b.imageId = 43;
  b.owner = 3;
  b.power = 100;
  b.movementId = 9;
  b.hitActionId = 2;
  b.hitActionState = 1;
  std::vector<uint8_t> bytes;
  b.save(bytes);
  EXPECT_EQ(bytes, hexBytes(std::string(kMotionRecordHex) + "03000000 64000000 09000000 02000000 01000000"));

  enemy_dualImage e;
  e.baseHeading = -90;
  e.baseImage = 284;
  int word = 1;
  for (int* v : {&e.score, &e.hp, &e.maxHp, &e.shadowOffset, &e.shotCounter, &e.shotId, &e.shotAux, &e.shotImage,
                 &e.shotInterval, &e.movementId, &e.deathActionId, &e.deathActionState}) {
    *v = word++;
  }
  e.x = 1.5;
  e.y = -2.0;
  e.radius = 4;
  e.heading = 90.0;
  e.speed = -20;
  e.imageId = 43;
  bytes.clear();
  e.save(bytes);
  std::string words;
  for (int i = 1; i <= 12; ++i) words += (i < 16 ? "0" : "") + std::string(1, "0123456789ABCDEF"[i]) + "000000";
  EXPECT_EQ(bytes, hexBytes("A6FFFFFF 1C010000" + words + kMotionRecordHex));
  EXPECT_EQ(bytes.size(), size_t{kDualImageEnemyRecordBytes});
}

// Each class reads its record and writes the same bytes back.
TEST(ObjectRecords, LoadThenSaveGivesTheSameBytes) {
  test::Battle battle;
  struct Case {
    int typeId;
    int bytes;
  };
  for (Case c : {Case{kEnemyTypeId, kEnemyRecordBytes}, Case{kDualImageEnemyTypeId, kDualImageEnemyRecordBytes},
                 Case{kBulletTypeId, kBulletRecordBytes}, Case{kItemTypeId, kItemRecordBytes}}) {
    SCOPED_TRACE(c.typeId);
    std::unique_ptr<motion> source = createMotion(c.typeId);
    source->x = 352.25;
    source->y = -40.125;
    source->radius = 12;
    source->heading = 271.5;
    source->speed = 35;
    source->imageId = 46;
    if (auto* e = dynamic_cast<enemy*>(source.get())) {
      e->hp = 77;
      e->maxHp = 120;
      e->shotId = 20;
      e->shotCounter = 999;
      e->movementId = 15;
      e->deathActionId = 9;
      e->shotInterval = 2;
    }
    if (auto* d = dynamic_cast<enemy_dualImage*>(source.get())) d->baseImage = 283;
    if (auto* b = dynamic_cast<bullet*>(source.get())) b->owner = 2;
    if (auto* it = dynamic_cast<item*>(source.get())) it->amount = 50;
    std::vector<uint8_t> first;
    source->save(first);
    ASSERT_EQ(first.size(), size_t(c.bytes));

    RecordReader in(first.data(), first.size());
    std::unique_ptr<motion> copy = readSlotObject(c.typeId, in);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(in.remaining(), 0u);
    std::vector<uint8_t> second;
    copy->save(second);
    EXPECT_EQ(first, second);
    // One byte short is refused.
    RecordReader shortIn(first.data(), first.size() - 1);
    EXPECT_EQ(readSlotObject(c.typeId, shortIn), nullptr);
  }
}

TEST(CreateMotion, MakesTheFourClassesWithTheFactoryValues) {
  test::Battle battle;
  EXPECT_EQ(createMotion(-1), nullptr);
  EXPECT_EQ(createMotion(3), nullptr);
  EXPECT_EQ(createMotion(0), nullptr);
  for (int id : {kEnemyTypeId, kDualImageEnemyTypeId, kBulletTypeId, kItemTypeId}) {
    std::unique_ptr<motion> m = createMotion(id);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->getTypeId(), id);
    EXPECT_EQ(m->x, 0.0);
    EXPECT_EQ(m->heading, 0.0);
    EXPECT_EQ(m->speed, 0);
  }
  auto b = createMotion(kBulletTypeId);
  EXPECT_EQ(static_cast<bullet&>(*b).movementId, 0);
  EXPECT_EQ(static_cast<bullet&>(*b).hitActionId, 1);
  EXPECT_EQ(static_cast<bullet&>(*b).hitActionState, 0);
  auto it = createMotion(kItemTypeId);
  EXPECT_EQ(static_cast<item&>(*it).movementId, 5);
  auto e = createMotion(kEnemyTypeId);
  EXPECT_EQ(static_cast<enemy&>(*e).shotImage, 43);
  EXPECT_EQ(static_cast<enemy&>(*e).shotInterval, 1);
}

TEST(Enemy, LaunchedPlaneHasTheConstructorDefaults) {
  test::Battle battle;
  enemy e(250, 120.5, 80.0);
  EXPECT_EQ(e.heading, 250.0);
  EXPECT_EQ(e.x, 120.5);
  EXPECT_EQ(e.speed, 40);
  EXPECT_EQ(e.imageId, kImageLaunchedPlane);
  EXPECT_EQ(e.radius, 24);
  EXPECT_EQ(e.score, 100);
  EXPECT_EQ(e.hp, 100);
  EXPECT_EQ(e.maxHp, 100);
  EXPECT_EQ(e.shadowOffset, 30);
  EXPECT_EQ(e.shotId, 4);
  EXPECT_EQ(e.shotImage, 43);
  EXPECT_EQ(e.movementId, 6);
  EXPECT_EQ(e.deathActionId, 1);
}

TEST(LeaveTests, BoundsAreStrictAndEnemiesHaveNoTopBound) {
  test::Battle battle;
  struct Case {
    bool isBullet;
    double x, y;
    int radius;
    bool out;
  };
  const Case cases[] = {
      {false, 100, 700, 32, true},   {false, 100, -500, 32, false}, {false, 100, 632, 32, false},
      {false, -32, 100, 32, false},  {false, -32.5, 100, 32, true}, {false, 736, 100, 32, false},
      {false, 736.5, 100, 32, true}, {true, 100, -104, 4, false},   {true, 100, -105, 4, true},
      {true, 804, 100, 4, false},    {true, 805, 100, 4, true},     {true, 100, 604.5, 4, true},
  };
  for (const Case& c : cases) {
    std::unique_ptr<motion> m = createMotion(c.isBullet ? kBulletTypeId : kEnemyTypeId);
    m->x = c.x;
    m->y = c.y;
    m->radius = c.radius;
    EXPECT_EQ(m->isOut(), c.out) << c.isBullet << " " << c.x << "," << c.y;
  }
}

TEST(Bullet, HitTestSamplesTheLastFramesPath) {
  test::Battle battle;
  // Speed 100 flies 16 px a frame; R = 2 + 4 = 6, so the path is tested at
  // the previous position, 6 px on and the current position.
  bullet b(90, 1, 100, 0, 1, 3, 100.0, 284.0, kImageBulletRed);
  b.radius = 2;
  EXPECT_EQ(b.getPixelSpeed(), 16);
  EXPECT_DOUBLE_EQ(b.getPrevY(), 300.0);
  EXPECT_TRUE(b.hitTest(100.0, 296.0, 4));   // beside the previous position
  EXPECT_TRUE(b.hitTest(100.0, 292.0, 4));   // beside the sample 6 px on
  EXPECT_TRUE(b.hitTest(100.0, 281.0, 4));   // beside the current position
  EXPECT_FALSE(b.hitTest(100.0, 306.0, 4));  // behind the path, exactly R away
  EXPECT_FALSE(b.hitTest(106.0, 290.0, 4));  // beside it, exactly R away
  // Without speed only the current position counts.
  bullet still(90, 1, 0, 0, 1, 3, 100.0, 284.0, kImageBulletRed);
  still.radius = 2;
  EXPECT_TRUE(still.hitTest(100.0, 289.0, 4));
  EXPECT_FALSE(still.hitTest(100.0, 290.0, 4));
  // A reach of 0 touches nothing, however fast (no division by it).
  bullet blind(90, 1, 100, 0, 1, 3, 100.0, 284.0, 999);
  EXPECT_EQ(blind.radius, 0);
  EXPECT_FALSE(blind.hitTest(100.0, 284.0, 0));
}

TEST(Bullet, PixelSpeedIsARealDivision) {
  motion m;
  for (auto [speed, pixels] : {std::pair{20, 3}, {100, 16}, {-20, -3}, {6, 0}, {7, 1}}) {
    m.speed = speed;
    EXPECT_EQ(m.getPixelSpeed(), pixels) << speed;
  }
}

TEST(Enemy, DamageHalvesAtHardAndIgnoresTheDead) {
  test::Battle battle;
  enemy e;
  e.hp = 10;
  e.maxHp = 10;
  e.deathActionId = 1;
  World().difficulty = 100;
  EXPECT_FALSE(e.damage(3));
  EXPECT_EQ(e.hp, 9);
  World().difficulty = 70;
  EXPECT_FALSE(e.damage(3));
  EXPECT_EQ(e.hp, 6);
  EXPECT_TRUE(e.damage(6));  // the death action (small explosion) runs once
  EXPECT_EQ(e.hp, 0);
  EXPECT_EQ(battle.hooks.slides.size(), 2u);
  EXPECT_FALSE(e.damage(100));
  EXPECT_EQ(e.hp, 0);
  EXPECT_EQ(battle.hooks.slides.size(), 2u);
  // Death action 6 explodes but reports no kill, so no score.
  enemy f;
  f.hp = 5;
  f.deathActionId = 6;
  EXPECT_FALSE(f.damage(5));
  EXPECT_EQ(battle.hooks.slides.size(), 4u);
}

TEST(Enemy, KilledEnemiesLeaveTheList) {
  test::Battle battle;
  for (int hp : {10, 0, 5, -3}) {
    World().enemies.push_back(std::make_unique<enemy>());
    World().enemies.back()->hp = hp;
  }
  removeKilledEnemies();
  ASSERT_EQ(World().enemies.size(), 2u);
  EXPECT_EQ(World().enemies[0]->hp, 10);
  EXPECT_EQ(World().enemies[1]->hp, 5);
}

TEST(Enemy, HpBarFillIsAnIntegerShare) {
  EXPECT_EQ(hpBarFill(50, 100), 19);
  EXPECT_EQ(hpBarFill(100, 100), 39);
  EXPECT_EQ(hpBarFill(1, 100), 0);
  EXPECT_EQ(hpBarFill(50, 0), 0);
  EXPECT_EQ(hpBarFill(1 << 30, 1 << 30), 39);
}

TEST(Item, PickUpIsStrictOnBothAxes) {
  item it;
  it.x = 100;
  it.y = 100;
  EXPECT_TRUE(it.pickUpTest({109.5, 90.5}));
  EXPECT_FALSE(it.pickUpTest({110.0, 100.0}));
  EXPECT_FALSE(it.pickUpTest({100.0, 90.0}));
}

struct PickupPlayer {
  int mp = 0, mpMax = 1000;
  double hp = 980, maxHp = 1000;
  int score = 0;
};

TEST(Item, PickupAppliesItsKindWithCaps) {
  item it;
  it.amount = 50;
  PickupPlayer p;
  p.mp = 990;
  it.kind = 1;
  applyItemPickup(p, it);
  EXPECT_EQ(p.mp, 1000);
  it.kind = 2;
  applyItemPickup(p, it);
  EXPECT_EQ(p.hp, 1000.0);
  it.kind = 3;
  applyItemPickup(p, it);
  applyItemPickup(p, it);
  EXPECT_EQ(p.score, 100);
  it.kind = 7;
  applyItemPickup(p, it);
  EXPECT_EQ(p.mp, 1000);
  EXPECT_EQ(p.score, 100);
}

TEST(Truncation, NanAndHugeValuesHaveDefinedResults) {
  EXPECT_EQ(truncInt(std::nan("")), 0);
  EXPECT_EQ(truncInt(1e300), 2147483647);
  EXPECT_EQ(truncInt(-1e300), -2147483647 - 1);
  EXPECT_EQ(truncInt(-2.9), -2);
  EXPECT_EQ(objectShakeOffset(0), 0);
}

}  // namespace
}  // namespace game::battle
