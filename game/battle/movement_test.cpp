// The movement table: each entry's state after a number of frames.
#include <gtest/gtest.h>

#include "game/battle/battle_test_support.h"
#include "game/battle/tables.h"

namespace game::battle {
namespace {

struct Start {
  double x, y, heading;
  int speed;
};

struct Case {
  const char* what;
  int entry;
  Start start;
  int firstFrame;
  int frames;
  PlayerPosition player1;
  int playerCount;
  PlayerPosition player2;
  // Expected state after the frames; the position only where pinned.
  double x, y, heading;
  int speed;
  bool pinned = true;
};

// Runs an entry on an object for a number of frames, raising the frame
// counter after each as the battle frame does.
void run(motion& m, int entry, int firstFrame, int frames) {
  World().frameCounter = firstFrame;
  for (int i = 0; i < frames; ++i) {
    movementTable[entry](m);
    ++World().frameCounter;
  }
}

TEST(MovementTable, EntriesAfterFrames) {
  const PlayerPosition far{400, 550};
  const Case cases[] = {
      {"polar up", 0, {100, 300, 90, 100}, 0, 1, far, 1, far, 100, 285, 90, 100},
      {"polar down", 0, {100, 300, 270, 100}, 0, 1, far, 1, far, 100, 317, 270, 100},
      {"descend stops at 150", 1, {100, 150, 0, 50}, 0, 3, far, 1, far, 100, 150, 0, 50},
      {"descend crosses 150 once", 1, {100, 149.5, 0, 50}, 0, 3, far, 1, far, 100, 150.5, 0, 50},
      {"aim straight below", 2, {100, 100, 45, 0}, 0, 1, {100, 500}, 1, far, 100, 101, 270, 0},
      {"aim straight above keeps", 2, {100, 100, 45, 0}, 0, 1, {100, 50}, 1, far, 100, 101, 45, 0},
      {"aim up right", 2, {0, 0, 0, 0}, 0, 1, {100, -100}, 1, far, 0, 1, 45, 0},
      {"aim down left", 2, {0, 0, 0, 0}, 0, 1, {-100, 100}, 1, far, 0, 1, 225, 0},
      {"aim down right", 2, {0, 0, 0, 0}, 0, 1, {100, 100}, 1, far, 0, 1, 315, 0},
      {"aim tie to player 1", 2, {300, 0, 0, 0}, 0, 1, {250, 100}, 2, {350, 100}, 300, 1, 243, 0},
      {"mine tie to player 2", 5, {300, 0, 0, 0}, 1, 1, {250, 100}, 2, {350, 100}, 0, 0, 296, 5, false},
      {"mine at 600", 5, {100, 0, 0, 0}, 1, 1, {100, 600}, 1, far, 100, 1.16, 270, 1},
      {"mine at 601 only drifts", 5, {100, 0, 0, 0}, 1, 1, {100, 601}, 1, far, 100, 1, 270, 0},
      {"mine on the target keeps heading", 5, {100, 100, 33, 0}, 1, 1, {100, 100}, 1, far, 0, 0, 33, 60, false},
      {"brake to 5 in 35 even frames", 6, {0, 0, 0, 40}, 0, 69, far, 1, far, 0, 0, 0, 5, false},
      {"brake to 5 after 34", 6, {0, 0, 0, 40}, 0, 68, far, 1, far, 0, 0, 0, 6, false},
      {"ramp to 40", 7, {0, 0, 0, 1}, 0, 10, far, 1, far, 0, 0, 0, 6, false},
      {"ramp to 40 backwards", 7, {0, 0, 0, -1}, 0, 10, far, 1, far, 0, 0, 0, -6, false},
      {"ramp keeps 0", 7, {0, 0, 0, 0}, 0, 10, far, 1, far, 0, 10, 0, 0},
      {"circle below 15 does not turn", 8, {0, 0, 10, 14}, 0, 3, far, 1, far, 0, 0, 10, 14, false},
      {"circle backwards turns +2", 8, {0, 0, 0, -30}, 0, 3, far, 1, far, 0, 0, 6, -30, false},
      {"wiggle drops the fraction", 9, {0, 0, 45.7, 0}, 45, 1, far, 1, far, 0, 1, 45, 0},
      {"brake to 20", 10, {0, 0, 0, -30}, 0, 40, far, 1, far, 0, 0, 0, -20, false},
      {"brake to 10", 11, {0, 0, 0, 30}, 0, 80, far, 1, far, 0, 0, 0, 10, false},
      {"dive to the right corner", 12, {400, 300, 270, 0}, 0, 1, far, 1, far, 400, 301, 271.5, 0},
      {"ramp to 30 with smoke", 14, {0, 0, 0, 28}, 0, 10, far, 1, far, 0, 0, 0, 30, false},
      {"sway", 15, {100, 200, 0, 3}, 0, 1, far, 1, far, 103, 200, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Battle battle;
    battle.player1 = c.player1;
    battle.player2 = c.player2;
    World().playerCount = c.playerCount;
    motion m;
    m.x = c.start.x;
    m.y = c.start.y;
    m.heading = c.start.heading;
    m.speed = c.start.speed;
    m.imageId = 46;
    run(m, c.entry, c.firstFrame, c.frames);
    EXPECT_DOUBLE_EQ(m.heading, c.heading);
    EXPECT_EQ(m.speed, c.speed);
    if (c.pinned) {
      EXPECT_NEAR(m.x, c.x, 1e-9);
      EXPECT_NEAR(m.y, c.y, 1e-9);
    }
  }
}

TEST(MovementTable, TrailsOnlyOnEvenFramesBehindTheObject) {
  struct Trail {
    int entry;
    int sheet, pictures, lastPass;
    double behindY;
  };
  for (Trail t : {Trail{3, 1, 6, 5, 25}, Trail{4, 0, 16, 1, 32}, Trail{13, 1, 6, 5, 25}, Trail{14, 1, 6, 5, 25}}) {
    SCOPED_TRACE(t.entry);
    test::Battle battle;
    motion m;
    m.x = 100;
    m.y = 100;
    m.heading = 90;
    m.imageId = 46;  // 32 x 32
    run(m, t.entry, 0, 3);
    ASSERT_EQ(battle.hooks.slides.size(), 2u);  // frames 0 and 2
    const test::SlideCall& s = battle.hooks.slides[0];
    EXPECT_EQ(s.sheet, t.sheet);
    EXPECT_EQ(s.pictures, t.pictures);
    EXPECT_EQ(s.lastPass, t.lastPass);
    EXPECT_EQ(s.x, 100);
    EXPECT_EQ(s.y, 100 + t.behindY);
    EXPECT_EQ(s.step, 1.0);
  }
}

TEST(MovementTable, HomingMissileTurnsFiveDegreesEveryFifthFrame) {
  test::Battle battle;
  // An enemy at direction 349 from the missile: the difference is not
  // wrapped, so the missile turns +5, the long way round.
  World().enemies.push_back(std::make_unique<enemy>());
  World().enemies.back()->x = 98.48;
  World().enemies.back()->y = 17.36;
  bullet missile;
  missile.imageId = 46;
  run(missile, 13, 0, 1);
  EXPECT_EQ(missile.heading, 5.0);
  run(missile, 13, 1, 4);
  EXPECT_EQ(missile.heading, 5.0);
  run(missile, 13, 5, 1);
  EXPECT_EQ(missile.heading, 10.0);
}

TEST(MovementTable, HomingOnItselfKeepsTheHeading) {
  test::Battle battle;
  World().enemies.push_back(std::make_unique<enemy>());
  enemy& self = *World().enemies.back();
  self.x = 200;
  self.y = 200;
  self.heading = 123.5;
  run(self, 13, 0, 1);
  EXPECT_EQ(self.heading, 123.5);
  EXPECT_EQ(self.y, 201);
}

}  // namespace
}  // namespace game::battle
