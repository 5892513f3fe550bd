// Angles and distances of the battle.
#include "game/battle/geometry.h"

#include <cmath>

#include "game/battle/motion.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;

double radians(double degrees) { return degrees * kPi / 180; }

int angleDegrees(int fromX, int fromY, int toX, int toY, int px, int py) {
  // Vectors A - B and P - B as the test takes them.
  const double ax = fromX - toX, ay = fromY - toY;
  const double bx = px - toX, by = py - toY;
  return truncInt(std::atan2(ax * by - ay * bx, ax * bx + ay * by) * 180 / kPi);
}

}  // namespace

std::optional<int> angleToTarget(double x1, double y1, double x2, double y2) {
  const int dx = truncInt(x1 - x2);
  const double dy = y2 - y1;
  if (dx == 0 && dy == 0) return std::nullopt;
  double t = std::atan(dy / dx) + kPi;
  if (dx < 0) t += kPi;
  return truncInt(t * 180 / kPi) % 360;
}

int truncatedDistance(double x1, double y1, double x2, double y2) {
  const double dx = x1 - x2, dy = y1 - y2;
  return truncInt(std::sqrt(dx * dx + dy * dy));
}

PlayerPosition* nearerPlayer(double x, double y, bool tieToFirst) {
  BattleWorld& w = World();
  PlayerPosition* first = w.players[0];
  PlayerPosition* second = w.players[1];
  if (w.playerCount != 2 || first == nullptr || second == nullptr) return first;
  const int d1 = truncatedDistance(first->x, first->y, x, y);
  const int d2 = truncatedDistance(second->x, second->y, x, y);
  const bool takeFirst = tieToFirst ? d1 <= d2 : d1 < d2;
  return takeFirst ? first : second;
}

bool isAngleInFront(const int corners[4][2], int px, int py) {
  const int a1 = angleDegrees(corners[0][0], corners[0][1], corners[1][0], corners[1][1], px, py);
  const int a2 = angleDegrees(corners[2][0], corners[2][1], corners[3][0], corners[3][1], px, py);
  return a1 >= -90 && a1 <= 0 && a2 >= -90 && a2 <= 0;
}

bool hitRotatedRect(int x, int y, int angle, int width, int length, int px, int py) {
  const double a = radians(angle);
  const double side = radians(angle - 90);
  const int half = width / 2;
  const int hx = truncInt(std::cos(side) * half), hy = truncInt(std::sin(side) * half);
  const int fx = truncInt(std::cos(a) * (length + 50)), fy = truncInt(std::sin(a) * (length + 50));
  const int nx = truncInt(std::cos(a) * 50), ny = truncInt(std::sin(a) * 50);
  const int corners[4][2] = {{x + fx + hx, y + fy + hy},
                             {x + fx - hx, y + fy - hy},
                             {x + nx - hx, y + ny - hy},
                             {x + nx + hx, y + ny + hy}};
  return isAngleInFront(corners, px, py);
}

}  // namespace game::battle
