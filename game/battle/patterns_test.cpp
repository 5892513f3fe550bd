// The shot patterns: on which calls they fire, what they fire, and the beams
// and the boss routine.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/battle/battle_test_support.h"
#include "game/battle/tables.h"

namespace game::battle {
namespace {

struct Shooter {
  test::Battle battle;
  enemy e;
  explicit Shooter(int pattern, int difficulty, int k = 1) {
    World().difficulty = difficulty;
    e.x = 300;
    e.y = 100;
    e.heading = 270;
    e.shotId = pattern;
    e.shotInterval = k;
    e.shotImage = kImageBulletRed;
    battle.player1 = {300, 500};
  }
  // Calls the pattern once a frame; the calls on which bullets appeared.
  std::vector<int> fire(int calls, int frameMs = 16) {
    std::vector<int> fired;
    World().frameMs = frameMs;
    for (int i = 0; i < calls; ++i) {
      const size_t before = World().bullets.size();
      patternShots[e.shotId](e, battle.player1);
      if (World().bullets.size() != before) fired.push_back(i);
      ++World().frameCounter;
    }
    return fired;
  }
  std::vector<int> headings() const {
    std::vector<int> out;
    for (const auto& b : World().bullets) out.push_back(static_cast<int>(b->heading));
    return out;
  }
};

TEST(PatternShots, FiringCallsByBandAndInterval) {
  struct Case {
    int pattern, difficulty, k, calls;
    std::vector<int> fired;
  };
  const Case cases[] = {
      {0, 10, 1, 45, {19, 39}},
      {0, 70, 1, 25, {9, 19}},
      {0, 100, 1, 12, {4, 9}},
      {0, 70, 2, 45, {19, 39}},
      {1, 70, 1, 12, {0, 5, 10}},
      {2, 100, 3, 13, {0, 6, 12}},
      {4, 70, 1, 12, {4, 9}},
      {6, 10, 1, 250, {0, 30, 60, 240}},
      {8, 10, 1, 150, {102, 108, 114, 120, 126, 132, 138, 144}},
      {9, 10, 1, 205, {0, 20, 182, 202}},
      {9, 100, 1, 40, {0, 5, 10, 15, 20, 25, 30, 35}},
      {11, 70, 1, 45, {0, 5, 10, 15, 20, 25, 30, 35}},
      {12, 10, 1, 30, {0, 4, 8, 12, 16}},
      {14, 100, 1, 50, {}},
      {15, 10, 1, 31, {14, 29}},
      {16, 10, 1, 10, {0, 4, 8}},
      {18, 70, 1, 13, {0, 6, 12}},
      {21, 100, 1, 20, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pattern " << c.pattern << " difficulty " << c.difficulty << " k " << c.k);
    Shooter s(c.pattern, c.difficulty, c.k);
    EXPECT_EQ(s.fire(c.calls), c.fired);
  }
}

TEST(PatternShots, CrossTurnsWithTheCounter) {
  Shooter s(0, 10);
  s.fire(20);
  EXPECT_EQ(s.headings(), (std::vector<int>{20, 110, 200, 290}));
  const bullet& b = *World().bullets[0];
  EXPECT_EQ(b.x, 305);
  EXPECT_EQ(b.power, 10);
  EXPECT_EQ(b.hitActionId, 2);
  EXPECT_EQ(b.owner, 3);
  EXPECT_EQ(b.radius, 4);
  EXPECT_EQ(s.battle.hooks.sounds, std::vector<int>{kSoundSmallShot});
}

TEST(PatternShots, TimedBurstFiresInTheFirstMillisecondsOfACycle) {
  Shooter s(3, 100);
  EXPECT_EQ(s.fire(60, 100), (std::vector<int>{0, 1, 2, 29, 30, 31, 32, 59}));
  for (const auto& b : World().bullets) EXPECT_EQ(b->imageId, kImageBulletBlue);
  // Pattern 5 at difficulty 10: the first 2000 of every 5000 ms, backwards.
  Shooter backwards(5, 10);
  std::vector<int> expected;
  for (int i = 0; i <= 18; ++i) expected.push_back(i);
  expected.push_back(49);
  EXPECT_EQ(backwards.fire(50, 100), expected);
  EXPECT_EQ(World().bullets[0]->speed, -30);
  EXPECT_EQ(World().bullets[0]->movementId, 10);
}

TEST(PatternShots, SpeedingLineAimsOnceAtTheFirstPosition) {
  Shooter s(12, 100);
  s.fire(1);
  s.battle.player1 = {500, 100};  // moves away; the line keeps its first aim
  s.fire(30);
  ASSERT_EQ(World().bullets.size(), 20u);
  for (size_t i = 0; i < 20; ++i) {
    EXPECT_EQ(World().bullets[i]->heading, 270.0);
    EXPECT_EQ(World().bullets[i]->speed, static_cast<int>(10 + i));
  }
}

TEST(PatternShots, StreamsPartAndWallsWiden) {
  Shooter streams(6, 10);
  streams.fire(31);
  ASSERT_EQ(World().bullets.size(), 3u);  // one from the centre, then a pair
  // Aimed straight down (270); the pair stands 30 px to either side.
  EXPECT_EQ(World().bullets[1]->x, 270);
  EXPECT_EQ(World().bullets[2]->x, 330);
  EXPECT_EQ(World().bullets[2]->heading, 270);
  Shooter wall(7, 10);
  wall.fire(61);
  EXPECT_EQ(World().bullets.size(), 1u + 5u + 9u);
}

TEST(PatternShots, SpiralAndFan) {
  Shooter spiral(16, 10);
  spiral.fire(9);
  EXPECT_EQ(spiral.headings(), (std::vector<int>{11, 22, 33}));
  Shooter fan(9, 10);
  fan.fire(1);
  EXPECT_EQ(fan.headings(), (std::vector<int>{210, 250, 290}));
  for (const auto& b : World().bullets) EXPECT_EQ(b->speed, 15);
  Shooter circles(8, 10);
  circles.fire(103);
  ASSERT_EQ(World().bullets.size(), 2u);
  EXPECT_EQ(World().bullets[0]->speed, 20);
  EXPECT_EQ(World().bullets[1]->speed, -20);
  EXPECT_EQ(World().bullets[1]->movementId, 8);
}

TEST(PatternShots, RotatingBeamsHurtTheTargetInABeam) {
  Shooter s(19, 100);
  s.e.x = 300;
  s.e.y = 300;
  s.battle.player1 = {450, 302};  // on the beam at 1 degree (y down the screen)
  s.fire(1);
  ASSERT_EQ(s.battle.hooks.damages.size(), 1u);
  EXPECT_EQ(s.battle.hooks.damages[0].first, &s.battle.player1);
  EXPECT_EQ(s.battle.hooks.damages[0].second, 10);
  EXPECT_EQ(s.battle.hooks.sounds, (std::vector<int>{kSoundSmallShot, kSoundDamage}));
  ASSERT_EQ(s.battle.hooks.slides.size(), 1u);
  EXPECT_EQ(s.battle.hooks.slides[0].x, 450);
  EXPECT_EQ(World().bullets.size(), 1u);
  EXPECT_EQ(World().bullets[0]->movementId, 9);
  // Between the beams nothing happens, and odd counters fire no bullet.
  s.battle.player1 = {300, 100};
  s.fire(1);
  EXPECT_EQ(s.battle.hooks.damages.size(), 1u);
  EXPECT_EQ(World().bullets.size(), 1u);
}

// Counts the boss's bullets by image over a whole cycle.
struct BossRun {
  int spiral2 = 0, missiles = 0, launched = 0, counterAfter = 0;
};

BossRun runBoss(int difficulty) {
  Shooter s(20, difficulty, 5);
  s.fire(1002);
  BossRun run;
  for (const auto& b : World().bullets) {
    if (b->imageId == kImageBossSpiral2) ++run.spiral2;
    if (b->imageId == kImageBurstMissile) {
      ++run.missiles;
      EXPECT_EQ(b->movementId, 14);
    }
  }
  run.launched = static_cast<int>(World().enemies.size());
  for (const auto& e : World().enemies) EXPECT_EQ(e->imageId, kImageLaunchedPlane);
  run.counterAfter = s.e.shotCounter;
  EXPECT_EQ(s.e.shotInterval, 1);
  EXPECT_EQ(s.e.heading, 270);
  EXPECT_EQ(std::count(s.battle.hooks.sounds.begin(), s.battle.hooks.sounds.end(), kSoundBossLaunch),
            1);
  return run;
}

TEST(PatternShots, BossRoutineAddsItsExtrasAboveDifficulty50) {
  const BossRun easy = runBoss(10);
  EXPECT_EQ(easy.spiral2, 0);
  EXPECT_EQ(easy.missiles, 0);
  EXPECT_EQ(easy.launched, 1);
  // n runs 0, 1, ..., 1000, then 1 again.
  EXPECT_EQ(easy.counterAfter, 2);
  const BossRun normal = runBoss(70);
  EXPECT_GT(normal.spiral2, 0);
  EXPECT_GT(normal.missiles, 0);
  EXPECT_EQ(normal.launched, 3);
}

}  // namespace
}  // namespace game::battle
