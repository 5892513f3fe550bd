// Angles and distances of the battle: the direction from a point to a
// target, truncated distances, the nearer player and the beam test.
#pragma once

#include <optional>

#include "game/battle/battle_world.h"

namespace game::battle {

// Whole degrees 0..359 from (x1, y1) to (x2, y2) in the heading convention
// (90 is up the screen); none when the two points coincide on the x axis
// and in y, where the quotient is 0/0.
std::optional<int> angleToTarget(double x1, double y1, double x2, double y2);

// trunc of the distance.
int truncatedDistance(double x1, double y1, double x2, double y2);

// The player nearer to (x, y): always player 1 with one player; with two, a
// tie goes to player 1 when tieToFirst, else to player 2. Null when the
// battle has no such player.
PlayerPosition* nearerPlayer(double x, double y, bool tieToFirst);

// Whether P lies in the quadrilateral ABCD as the beams test it: both angles
// at B (from A) and at D (from C) lie in -90..0 degrees.
bool isAngleInFront(const int corners[4][2], int px, int py);

// Whether (px, py) lies in the beam from (x, y) at angle degrees (y down the
// screen), width wide and covering 50 to length + 50 pixels from the start.
bool hitRotatedRect(int x, int y, int angle, int width, int length, int px, int py);

}  // namespace game::battle
