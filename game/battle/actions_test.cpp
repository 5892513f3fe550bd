// The action table: explosions, rings, drops and blasts.
#include <gtest/gtest.h>

#include "game/battle/battle_test_support.h"
#include "game/battle/tables.h"

namespace game::battle {
namespace {

enemy& addEnemy(double x, double y, int hp, int deathAction) {
  World().enemies.push_back(std::make_unique<enemy>());
  enemy& e = *World().enemies.back();
  e.x = x;
  e.y = y;
  e.hp = hp;
  e.maxHp = hp;
  e.deathActionId = deathAction;
  return e;
}

TEST(ActionTable, ResultsAndWhatEachEntryMakes) {
  struct Case {
    int id;
    bool result;
    size_t slides, sounds, shrinking, drifting, bullets, items;
  };
  const Case cases[] = {
      {0, true, 0, 0, 0, 0, 0, 0},   {1, true, 2, 1, 0, 0, 0, 0},  {2, true, 0, 1, 1, 0, 0, 0},
      {3, true, 0, 0, 0, 0, 36, 0},  {4, true, 0, 0, 0, 0, 0, 1},  {5, true, 1 + 7 + 13 + 19 + 26, 1, 0, 0, 0, 0},
      {6, false, 2, 1, 0, 0, 0, 0},  {7, true, 1 + 7 + 13 + 19 + 26 + 32, 1, 0, 1, 0, 0},
      {8, true, 2, 1, 0, 1, 0, 0},   {9, true, 2, 2, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    test::Battle battle;
    bullet b(30, 5, 20, 0, c.id, 1, 100.7, 200.2, kImageBulletRed);
    EXPECT_EQ(b.onHit(), c.result);
    EXPECT_EQ(battle.hooks.slides.size(), c.slides);
    EXPECT_EQ(battle.hooks.sounds.size(), c.sounds);
    EXPECT_EQ(battle.hooks.shrinking.size(), c.shrinking);
    EXPECT_EQ(battle.hooks.drifting.size(), c.drifting);
    EXPECT_EQ(World().bullets.size(), c.bullets);
    EXPECT_EQ(World().items.size(), c.items);
  }
}

TEST(ActionTable, SmallExplosionShrinkAndWreckDetails) {
  test::Battle battle;
  bullet b(30, 5, 20, 0, 1, 1, 100.7, 200.2, kImageBulletRed);
  b.onHit();
  ASSERT_EQ(battle.hooks.slides.size(), 2u);
  EXPECT_EQ(battle.hooks.slides[0].sheet, kSheetSmoke);
  EXPECT_EQ(battle.hooks.slides[0].pictures, 6);
  EXPECT_EQ(battle.hooks.slides[1].sheet, kSheetExplosion);
  EXPECT_EQ(battle.hooks.slides[1].pictures, 16);
  EXPECT_EQ(battle.hooks.slides[1].x, 100.7);
  EXPECT_EQ(battle.hooks.sounds, std::vector<int>{kSoundDamage});

  b.hitActionId = 2;
  b.heading = 45.9;
  b.onHit();
  EXPECT_EQ(battle.hooks.shrinking[0], (std::vector<int>{kImageBulletRed, 100, 200, 45}));

  // Action 7 rings and sounds once per state word, then only drifts a wreck.
  b.hitActionId = 7;
  EXPECT_TRUE(b.onHit());
  EXPECT_EQ(b.hitActionState, 1);
  const size_t slides = battle.hooks.slides.size();
  EXPECT_TRUE(b.onHit());
  EXPECT_EQ(battle.hooks.slides.size(), slides);
  EXPECT_EQ(battle.hooks.drifting.size(), 2u);
  EXPECT_EQ(battle.hooks.drifting[0], (std::vector<int>{kImageTankWreck, 100, 200}));

  b.hitActionId = 9;
  b.onHit();
  EXPECT_EQ(battle.hooks.soundLoads, std::vector<int>{kSoundBossDeath});
  EXPECT_EQ(battle.hooks.sounds.back(), kSoundDamage);
}

TEST(ActionTable, RingOwnerIsTheFirstOwnField) {
  test::Battle battle;
  enemy& e = addEnemy(50, 60, 1, 3);
  e.score = 100;
  EXPECT_TRUE(e.damage(1));
  ASSERT_EQ(World().bullets.size(), 36u);
  for (size_t i = 0; i < 36; ++i) {
    const bullet& b = *World().bullets[i];
    EXPECT_EQ(b.heading, 10.0 * i);
    EXPECT_EQ(b.owner, 100);
    EXPECT_EQ(b.speed, 20);
    EXPECT_EQ(b.power, 10);
    EXPECT_EQ(b.imageId, kImageBulletBlue);
  }
  World().bullets.clear();
  bullet sub(0, 1, 0, 0, 3, 2, 0, 0, kImageBulletRed);
  sub.onHit();
  EXPECT_EQ(World().bullets[0]->owner, 2);
}

TEST(ActionTable, DroppedItemHomesAndGivesMp) {
  test::Battle battle;
  enemy& e = addEnemy(50, 60, 1, 4);
  e.damage(5);
  ASSERT_EQ(World().items.size(), 1u);
  const item& it = *World().items[0];
  EXPECT_EQ(it.x, 50);
  EXPECT_EQ(it.speed, 1);
  EXPECT_EQ(it.imageId, kImageTornadoBullet);
  EXPECT_EQ(it.radius, 12);
  EXPECT_EQ(it.movementId, 5);
  EXPECT_EQ(it.kind, 1);
  EXPECT_EQ(it.amount, 50);
}

TEST(ActionTable, BlastsDamageByDistanceAndChain) {
  test::Battle battle;
  enemy& bomb = addEnemy(100, 100, 1, 5);
  enemy& atCentre = addEnemy(100, 100, 200, 5);  // 200 at d 0: killed, blasts in turn
  enemy& at50 = addEnemy(150, 100, 200, 0);      // 100 from each blast
  enemy& far = addEnemy(300, 100, 200, 0);       // beyond both
  EXPECT_TRUE(bomb.damage(1));
  EXPECT_EQ(atCentre.hp, 0);
  EXPECT_EQ(at50.hp, 0);
  EXPECT_EQ(far.hp, 200);
  // Blast rings at 0..80 per blast: 66 effects each.
  EXPECT_EQ(battle.hooks.slides.size(), 2u * (1 + 7 + 13 + 19 + 26));
  removeKilledEnemies();
  EXPECT_EQ(World().enemies.size(), 1u);
}

TEST(ActionTable, BlastRingPositions) {
  test::Battle battle;
  bullet b(0, 1, 0, 0, 5, 1, 100.0, 100.0, kImageBulletRed);
  b.onHit();
  // The ring of radius 20 has 7 effects 51 degrees apart, from angle 0.
  const test::SlideCall& first20 = battle.hooks.slides[1];
  EXPECT_EQ(first20.x, 120);
  EXPECT_EQ(first20.y, 100);
  const test::SlideCall& second20 = battle.hooks.slides[2];
  EXPECT_EQ(second20.x, 112);  // trunc(100 + cos(51) 20)
  EXPECT_EQ(second20.y, 115);  // trunc(100 + sin(51) 20)
}

}  // namespace
}  // namespace game::battle
