// Directions, distances, the nearer player and the beam test.
#include "game/battle/geometry.h"

#include <gtest/gtest.h>

#include "game/battle/battle_test_support.h"

namespace game::battle {
namespace {

TEST(AngleToTarget, HeadingConventionAndTheUndefinedCase) {
  struct Case {
    double x1, y1, x2, y2;
    std::optional<int> angle;
  };
  const Case cases[] = {
      {0, 0, 100, 0, 0},     {0, 0, 0, -100, 90},   {0, 0, -100, 0, 180},   {0, 0, 0, 100, 270},
      {0, 0, -100, 100, 225}, {0, 0, 100, 100, 315}, {5, 5, 5, 5, std::nullopt},
      // 9 pi / 4 in degrees falls a hair short of 405, and truncation keeps it.
      {0, 0, 100, -100, 44},
      // dx truncates to 0 while y agrees: no direction either.
      {0, 0, 0.5, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(angleToTarget(c.x1, c.y1, c.x2, c.y2), c.angle) << c.x2 << "," << c.y2;
  }
  EXPECT_EQ(truncatedDistance(0, 0, 3, 4), 5);
  EXPECT_EQ(truncatedDistance(0, 0, 1, 1), 1);
}

TEST(HitRotatedRect, BeamCovers50ToLengthPlus50AcrossItsWidth) {
  struct Case {
    int angle, px, py;
    bool in;
  };
  const Case cases[] = {
      {0, 150, 0, true},   {0, 40, 0, false},   {0, 260, 0, false}, {0, 150, 15, false},
      {0, 150, -15, false}, {0, 150, 8, true},  {90, 0, 150, true}, {90, 0, -150, false},
      {180, -150, 0, true}, {180, 150, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hitRotatedRect(0, 0, c.angle, 20, 200, c.px, c.py), c.in)
        << c.angle << ": " << c.px << "," << c.py;
  }
}

TEST(NearerPlayer, OnePlayerAlwaysAndTiesByEntry) {
  test::Battle battle;
  battle.player1 = {100, 0};
  battle.player2 = {300, 0};
  EXPECT_EQ(nearerPlayer(290, 0, true), &battle.player1);  // one player
  World().playerCount = 2;
  EXPECT_EQ(nearerPlayer(290, 0, true), &battle.player2);
  EXPECT_EQ(nearerPlayer(200, 0, true), &battle.player1);
  EXPECT_EQ(nearerPlayer(200, 0, false), &battle.player2);
}

}  // namespace
}  // namespace game::battle
