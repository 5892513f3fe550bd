// The movement table: every flight path of enemies, bullets and items.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "game/battle/geometry.h"
#include "game/battle/motion.h"
#include "game/battle/tables.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;

double radiansOf(const motion& o) { return o.heading * kPi / 180; }
bool evenFrame() { return World().frameCounter % 2 == 0; }

// Entry 1's and 15's descent, which stops at y 150.
void descendTo150(motion& o) {
  if (o.y < 150) o.y += 1;
}

void descend(motion& o) { descendTo150(o); }

void aimAtNearerPlayer(motion& o) {
  if (const PlayerPosition* target = nearerPlayer(o.x, o.y, true)) {
    const double dx = target->x - o.x;
    const double dy = o.y - target->y;
    if (dx == 0) {
      if (dy < 0) o.heading = 270;
    } else {
      int h = truncInt(std::atan(dy / dx) * 57.29577951308232);
      if (dx < 0) h += 180;
      if (h < 0) h += 360;
      o.heading = h;
    }
  }
  movePolar(o);
}

// A trail effect behind the object, by a fraction of its image size.
void addTrail(const motion& o, int sheet, int pictures, int lastPass, double behind) {
  BattleHooks& hooks = Hooks();
  const double a = radiansOf(o);
  const int w = hooks.imageWidth(o.imageId);
  const int h = hooks.imageHeight(o.imageId);
  hooks.addSlideEffect(sheet, pictures, lastPass, o.x + truncInt(-behind * w * std::cos(a)),
                       o.y + truncInt(behind * h * std::sin(a)), 1.0);
}

void smokeTrail(motion& o) {
  if (evenFrame()) addTrail(o, kSheetSmoke, kSmokePictures, 5, 0.8);
  movePolar(o);
}

void flameTrail(motion& o) {
  if (evenFrame()) addTrail(o, kSheetExplosion, kExplosionPictures, 1, 1.0);
  movePolar(o);
}

void homingMine(motion& o) {
  if (const PlayerPosition* target = nearerPlayer(o.x, o.y, false)) {
    const int d = truncatedDistance(o.x, o.y, target->x, target->y);
    o.speed = d == 0 ? 60 : std::min(600 / d, 60);
    // On the target itself there is no direction: the heading stays.
    if (const auto direction = angleToTarget(o.x, o.y, target->x, target->y)) o.heading = *direction;
  }
  movePolar(o);
}

// Moves the speed one step toward the limit on even frames: down to it
// from above (brakes) or up to it from below (ramps), sign kept.
void brakeTo(motion& o, int limit) {
  if (!evenFrame()) return;
  if (o.speed > limit) {
    --o.speed;
  } else if (o.speed < -limit) {
    ++o.speed;
  }
}

void rampTo(motion& o, int limit) {
  if (!evenFrame()) return;
  if (o.speed > 0 && o.speed < limit) {
    ++o.speed;
  } else if (o.speed < 0 && o.speed > -limit) {
    --o.speed;
  }
}

void brakeTo5(motion& o) {
  brakeTo(o, 5);
  movePolar(o);
}

void rampTo40(motion& o) {
  rampTo(o, 40);
  movePolar(o);
}

void circle(motion& o) {
  o.heading = o.heading - o.speed / 15;
  movePolar(o);
}

void wiggle(motion& o) {
  const int h = truncInt(o.heading);
  o.heading = h + std::sin(World().frameCounter * 2 * kPi / 180);
  movePolar(o);
  o.heading = h;
}

void brakeTo20(motion& o) {
  brakeTo(o, 20);
  movePolar(o);
}

void brakeTo10(motion& o) {
  brakeTo(o, 10);
  movePolar(o);
}

void diveToCorner(motion& o) {
  const double tx = o.x > 352 ? kFieldWidth : 0;
  if (const auto t = angleToTarget(o.x, o.y, tx, kFieldHeight)) o.heading = o.heading + (*t - o.heading) / 30;
  movePolar(o);
}

void homingMissile(motion& o) {
  const EnemyList& enemies = World().enemies;
  if (!enemies.empty() && World().frameCounter % 5 == 0) {
    const enemy* nearest = nullptr;
    int best = 0;
    for (const auto& e : enemies) {
      const int d = truncatedDistance(o.x, o.y, e->x, e->y);
      if (nearest == nullptr || d < best) {
        nearest = e.get();
        best = d;
      }
    }
    // An object at the nearest enemy's spot (an enemy given this entry finds
    // itself) has no direction to it: the heading stays.
    if (const auto t = angleToTarget(o.x, o.y, nearest->x, nearest->y)) {
      const int64_t diff = std::clamp<int64_t>(int64_t{*t} - truncInt(o.heading), -5, 5);
      o.heading += static_cast<double>(diff);
    }
  }
  smokeTrail(o);
}

void rampTo30WithSmoke(motion& o) {
  rampTo(o, 30);
  smokeTrail(o);
}

void sway(motion& o) {
  o.x = o.x + std::cos(World().frameCounter * kPi / 180) * o.speed;
  descendTo150(o);
}

}  // namespace

void movePolar(motion& o) {
  const double a = radiansOf(o);
  const double v = o.speed / 100.0 * 16;
  o.y = o.y + 1 - std::sin(a) * v;
  o.x = o.x + std::cos(a) * v;
}

const MovementEntry movementTable[kMovementCount] = {
    movePolar,      descend,     aimAtNearerPlayer, smokeTrail,    flameTrail,    homingMine,
    brakeTo5,       rampTo40,    circle,            wiggle,        brakeTo20,     brakeTo10,
    diveToCorner,   homingMissile, rampTo30WithSmoke, sway,
};

}  // namespace game::battle
