// The shot patterns: when and how enemies fire, scaled by the difficulty;
// the rotating beams and the boss routine.
#include <cmath>
#include <cstdint>

#include "game/battle/geometry.h"
#include "game/battle/motion.h"
#include "game/battle/tables.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;

struct Units {
  int easy, normal, hard;
};

int unitFor(Units u) {
  const int d = World().difficulty;
  if (d <= 10) return u.easy;
  return d < 100 ? u.normal : u.hard;
}

// The firing period k u. An interval below 1 (refused in files) counts as 1,
// so that no pattern divides by zero.
int period(const enemy& e, Units u) { return (e.shotInterval < 1 ? 1 : e.shotInterval) * unitFor(u); }
int interval(const enemy& e) { return e.shotInterval < 1 ? 1 : e.shotInterval; }

int power(int m) { return World().difficulty * m / 100; }

void shotSound() { Hooks().playSound(kSoundSmallShot); }

// Headings are summed wide and kept as the int the bullet takes.
int heading(int64_t degrees) { return static_cast<int>(degrees); }

double cosDeg(double degrees) { return std::cos(degrees * kPi / 180); }
double sinDeg(double degrees) { return std::sin(degrees * kPi / 180); }

// The direction from the enemy to the target; on the target itself, where
// there is none, the enemy's own heading.
int directionTo(const enemy& e, const PlayerPosition& t) {
  const auto d = angleToTarget(e.x, e.y, t.x, t.y);
  return d ? *d : truncInt(e.heading);
}

void aim(enemy& e, const PlayerPosition& t) {
  if (const auto d = angleToTarget(e.x, e.y, t.x, t.y)) e.shotAux = *d;
}

void shortForm(int h, int pw, int speed, double x, double y, int image) {
  spawnBullet(h, pw, speed, 0, 1, x, y, image);
}

void fan(int c, int s, int pw, double x, double y, int image) {
  for (int64_t i : {-1, 0, 1}) shortForm(heading(c + i * s - s / 2), pw, 15, x, y, image);
}

void crossFromCounter(enemy& e, PlayerPosition&) {
  e.shotCounter += 1;
  if (e.shotCounter % period(e, {20, 10, 5}) != 0) return;
  for (int64_t a : {0, 90, 180, 270}) {
    spawnBullet(heading(e.shotCounter + a), power(100), 20, 0, 2, e.x + 5, e.y, e.shotImage);
  }
  shotSound();
}

void turningSingle(enemy& e, PlayerPosition&) {
  if (World().frameCounter % period(e, {10, 5, 2}) != 0) return;
  e.shotCounter += 10;
  shortForm(heading(int64_t{truncInt(e.heading)} + e.shotCounter), power(200), 10, e.x, e.y, e.shotImage);
}

void turningPair(enemy& e, PlayerPosition&) {
  if (World().frameCounter % period(e, {10, 5, 2}) != 0) return;
  const int64_t h = int64_t{truncInt(e.heading)} + e.shotCounter;
  e.shotCounter += 10;
  shortForm(heading(h), power(300), 10, e.x, e.y, e.shotImage);
  shortForm(heading(h + 180), power(300), 10, e.x, e.y, e.shotImage);
}

// Patterns 3 and 5 run on milliseconds: they fire during the first W of
// every cycle, on every k-th frame.
bool inTimedWindow(enemy& e, int cycle, Units window) {
  e.shotCounter += World().frameMs;
  const int k = interval(e);
  return e.shotCounter % cycle < unitFor(window) && (k == 1 || World().frameCounter % k == 0);
}

void randomBurst(enemy& e, PlayerPosition&) {
  if (!inTimedWindow(e, 3000, {1600, 800, 400})) return;
  shortForm(World().random.upTo(360), power(200), 10, e.x, e.y, kImageBulletBlue);
}

void jitteredSingle(enemy& e, PlayerPosition&) {
  e.shotCounter += 2;
  if (e.shotCounter % period(e, {10, 5, 2}) != 0) return;
  shortForm(heading(int64_t{truncInt(e.heading)} + World().random.upTo(30) - 15), power(200), 15, e.x, e.y,
            e.shotImage);
}

void backwardBurst(enemy& e, PlayerPosition&) {
  if (!inTimedWindow(e, 5000, {2000, 1000, 500})) return;
  spawnBullet(World().random.upTo(360), power(200), -30, 10, 1, e.x, e.y, e.shotImage);
  shotSound();
}

// Patterns 6 and 7: aimed streams from points that part sideways.
void partingStreams(enemy& e, PlayerPosition& t, bool wall) {
  const int k = interval(e);
  const int c = e.shotCounter % (240 * k);
  if (c <= 60 * k) {
    if (c == 0) aim(e, t);
    if (e.shotCounter % period(e, {30, 15, 7}) == 0) {
      const int h = e.shotAux;
      for (int d = c; d >= 0; d -= 15 * k) {
        const int ox = truncInt(cosDeg(h - 90.0) * d);
        const int oy = truncInt(-sinDeg(h - 90.0) * d);
        spawnBullet(h, power(30), 10, 0, 1, e.x + ox, e.y + oy, e.shotImage);
        if (d != 0) spawnBullet(h, power(30), 10, 0, 1, e.x - ox, e.y - oy, e.shotImage);
        if (!wall) break;
      }
      shotSound();
    }
  }
  e.shotCounter += 1;
}

void twoStreams(enemy& e, PlayerPosition& t) { partingStreams(e, t, false); }
void widenningWall(enemy& e, PlayerPosition& t) { partingStreams(e, t, true); }

void opposedCircles(enemy& e, PlayerPosition&) {
  const int k = interval(e);
  if (e.shotCounter > 100 && e.shotCounter % period(e, {6, 3, 1}) == 0) {
    spawnBullet(e.shotAux, power(30), 20, 8, 1, e.x, e.y, e.shotImage);
    spawnBullet(e.shotAux, power(30), -20, 8, 1, e.x, e.y, e.shotImage);
    shotSound();
  }
  if (e.shotCounter > 3 * k + 140) e.shotCounter = 0;
  e.shotCounter += 1;
}

// Patterns 9 to 13 fire while the counter is below `active`, then rest
// until it passes `restart` and start again.
void cycleCounter(enemy& e, int64_t restart) {
  if (e.shotCounter > restart) {
    e.shotCounter = 0;
  } else {
    e.shotCounter += 1;
  }
}

void fanOf(enemy& e, PlayerPosition& t, int spacing) {
  if (e.shotCounter < 40 && e.shotCounter % period(e, {20, 10, 5}) == 0) {
    fan(directionTo(e, t), spacing, power(30), e.x, e.y, e.shotImage);
    shotSound();
  }
  cycleCounter(e, 20 * (int64_t{interval(e)} + 8));
}

void wideFan(enemy& e, PlayerPosition& t) { fanOf(e, t, 40); }
void narrowFan(enemy& e, PlayerPosition& t) { fanOf(e, t, 20); }

void parallelTriple(enemy& e, PlayerPosition& t) {
  if (e.shotCounter < 40) {
    if (e.shotCounter == 0) aim(e, t);
    if (e.shotCounter % period(e, {10, 5, 2}) == 0) {
      const int h = e.shotAux;
      const int pw = power(30);
      spawnBullet(h, pw, 15, 0, 1, e.x, e.y, e.shotImage);
      spawnBullet(h, pw, 15, 0, 1, e.x + 16 * cosDeg(h - 90.0), e.y - 16 * sinDeg(h - 90.0), e.shotImage);
      spawnBullet(h, pw, 15, 0, 1, e.x + 16 * cosDeg(h + 90.0), e.y - 16 * sinDeg(h + 90.0), e.shotImage);
      shotSound();
    }
  }
  cycleCounter(e, 10 * (int64_t{interval(e)} + 8));
}

void speedingLine(enemy& e, PlayerPosition& t, bool cross) {
  if (e.shotCounter < 20) {
    if (e.shotCounter == 0) aim(e, t);
    if (e.shotCounter % period(e, {4, 2, 1}) == 0) {
      const int speed = e.shotCounter + 10;
      for (int64_t a : {0, 90, 180, 270}) {
        spawnBullet(heading(e.shotAux + a), power(30), speed, 0, 1, e.x, e.y, e.shotImage);
        if (!cross) break;
      }
      shotSound();
    }
  }
  cycleCounter(e, 10 * (int64_t{interval(e)} + 18));
}

void acceleratingLine(enemy& e, PlayerPosition& t) { speedingLine(e, t, false); }
void acceleratingCross(enemy& e, PlayerPosition& t) { speedingLine(e, t, true); }

void silent(enemy&, PlayerPosition&) {}

void missile(enemy& e, PlayerPosition&) {
  e.shotCounter += 2;
  if (e.shotCounter % period(e, {30, 15, 7}) != 0) return;
  spawnBullet(truncInt(e.heading), power(400), 1, 14, 1, e.x, e.y, e.shotImage);
  Hooks().playSound(kSoundMissile);
}

// Patterns 16 to 18 fire on the counter's value before this call's step.
bool stepFromStart(enemy& e, Units u) {
  if (e.shotCounter == 0) e.shotAux = 0;
  const int previous = e.shotCounter;
  e.shotCounter += 1;
  return previous % period(e, u) == 0;
}

void spiralOf(enemy& e, bool jitter) {
  if (!stepFromStart(e, {4, 2, 1})) return;
  e.shotAux = (e.shotAux + 11) % 360;
  const int64_t spread = jitter ? World().random.upTo(16) - 8 : 0;
  spawnBullet(heading(e.shotAux + spread), power(40), 20, 0, 1, e.x, e.y, e.shotImage);
  shotSound();
}

void spiral(enemy& e, PlayerPosition&) { spiralOf(e, false); }
void ragged(enemy& e, PlayerPosition&) { spiralOf(e, true); }

void flankingPair(enemy& e, PlayerPosition& t) {
  if (!stepFromStart(e, {12, 6, 3})) return;
  const int a = directionTo(e, t);
  const int pw = power(30);
  spawnBullet(heading(int64_t{a} - 10), pw, 15, 0, 1, e.x + 24 * cosDeg(a - 90.0), e.y - 24 * sinDeg(a - 90.0),
              e.shotImage);
  spawnBullet(heading(int64_t{a} + 10), pw, 15, 0, 1, e.x + 24 * cosDeg(a + 90.0), e.y - 24 * sinDeg(a + 90.0),
              e.shotImage);
  shotSound();
}

void wiggler(enemy& e) {
  spawnBullet(World().random.upTo(360), power(40), 20, 9, 1, e.x, e.y, e.shotImage);
  shotSound();
}

void rotatingBeams(enemy& e, PlayerPosition& t) {
  if (e.shotCounter % 2 == 0) wiggler(e);
  e.shotCounter += 1;
  for (int64_t a = 0; a < 360; a += 60) {
    if (!hitRotatedRect(truncInt(e.x), truncInt(e.y), heading(e.shotCounter + a), 20, 200, truncInt(t.x),
                        truncInt(t.y))) {
      continue;
    }
    BattleHooks& hooks = Hooks();
    hooks.showDamageReaction(t, World().difficulty * 10 / 100);
    hooks.playSound(kSoundDamage);
    hooks.addSlideEffect(kSheetExplosion, kExplosionPictures, 0, t.x, t.y, 1.0);
  }
}

void drawBeams(enemy& e) {
  const int graph = Hooks().graphOf(kImageLaser);
  const int x = truncInt(e.x) + objectShakeOffset(World().screenShake);
  for (int64_t a = 0; a < 360; a += 60) {
    veziv::RenderGraphRotScaled(x, truncInt(e.y), 16, -40, 1.0, static_cast<double>(e.shotCounter + a - 27) * kPi / 180,
                                graph, 1, 0);
  }
}

void bossRoutine(enemy& e, PlayerPosition& t) {
  BattleHooks& hooks = Hooks();
  const int n = e.shotCounter;
  const bool hardy = World().difficulty > 50;
  // Runs a pattern on the boss's own words and puts its counter back.
  auto nested = [&](int pattern, int image) {
    e.shotImage = image;
    patternShots[pattern](e, t);
    e.shotCounter = n;
  };
  if (n == 0) {
    for (int image : {kImageBossSpiral1, kImageBossSpiral2, kImageBossStream, kImageBossBarrage, kImageBurstMissile}) {
      hooks.ensureImageLoaded(image);
    }
    e.shotInterval = 1;
  }
  const int c = n % 1000;
  if (c <= 300) {
    nested(16, kImageBossSpiral1);
    if (hardy) nested(16, kImageBossSpiral2);
    nested(11, kImageBossStream);
  } else if (c == 999) {
    hooks.ensureSoundLoaded(kSoundBossLaunch, 1);
    hooks.ensureImageLoaded(kImageLaunchedPlane);
    hooks.playSound(kSoundBossLaunch);
    const int a = directionTo(e, t);
    EnemyList& enemies = World().enemies;
    enemies.push_back(std::make_unique<enemy>(a, e.x, e.y));
    if (hardy) {
      enemies.push_back(std::make_unique<enemy>(heading(int64_t{a} + 30), e.x, e.y));
      enemies.push_back(std::make_unique<enemy>(heading(int64_t{a} - 30), e.x, e.y));
    }
  } else {
    e.shotImage = kImageBossBarrage;
    if (n % 2 == 0) wiggler(e);
    if (hardy) {
      const double former = e.heading;
      e.heading = directionTo(e, t);
      nested(15, kImageBurstMissile);
      e.heading = truncInt(former);
    }
  }
  e.shotCounter = n == 1000 ? 1 : n + 1;
}

void badId(enemy&, PlayerPosition&) { veziv::PrintfToScreen("patternShots error: ID END\n"); }

void drawsNothing(enemy&) {}

}  // namespace

void spawnBullet(int heading, int power, int speed, int movementId, int hitActionId, double x, double y,
                 int imageId) {
  World().bullets.push_back(std::make_unique<bullet>(heading, power, speed, movementId, hitActionId, 3, x, y, imageId));
}

const ShotEntry patternShots[kShotPatternCount] = {
    crossFromCounter, turningSingle, turningPair,    randomBurst,   jitteredSingle,   backwardBurst,
    twoStreams,       widenningWall, opposedCircles, wideFan,       narrowFan,        parallelTriple,
    acceleratingLine, acceleratingCross, silent,     missile,       spiral,           ragged,
    flankingPair,     rotatingBeams, bossRoutine,    badId,
};

const ShotDrawEntry shotDrawTable[kShotPatternCount] = {
    drawsNothing, drawsNothing, drawsNothing, drawsNothing, drawsNothing, drawsNothing, drawsNothing, drawsNothing,
    drawsNothing, drawsNothing, drawsNothing, drawsNothing, drawsNothing, drawsNothing, drawsNothing, drawsNothing,
    drawsNothing, drawsNothing, drawsNothing, drawBeams,    drawsNothing, drawsNothing,
};

}  // namespace game::battle
