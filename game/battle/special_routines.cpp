// The routines of the special attacks, run by maku effects: what each does
// to enemies and bullets a frame, when it ends, and how it is drawn.
#include <algorithm>
#include <cmath>
#include <optional>

#include "game/battle/effect_layers.h"
#include "game/battle/geometry.h"
#include "game/battle/motion.h"
#include "game/battle/special_attacks.h"
#include "game/core/registry_ids.h"
#include "library/veziv.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;

double rad(double degrees) { return degrees * kPi / 180; }

// What a routine works with this frame.
struct Frame {
  maku& m;
  playerRecord& player;
  double c;  // the counter after this frame's increase
  int ci;
  int p;
  int x0;  // left edge of the player's half of the HUD
  int px, py;
};

std::optional<Frame> frameOf(maku& m) {
  playerRecord* player = recordOf(m.player);
  if (player == nullptr) return std::nullopt;
  return Frame{m, *player, m.counter, truncInt(m.counter), m.state, 400 * player->playerNumber - 400,
               truncInt(player->x), truncInt(player->y)};
}

void beginAlpha(int a) { veziv::ChooseBlendMode(1, a); }
void endAlpha() { veziv::ChooseBlendMode(0, 0); }

bool isEnemyBullet(const bullet& b) { return b.owner == 3; }

// The enemy at index takes the damage; a kill scores for the player and
// removes the enemy. True when it was removed.
bool hitEnemy(playerRecord& player, size_t index, int amount) {
  EnemyList& list = World().enemies;
  enemy& e = *list[index];
  if (!e.damage(amount)) return false;
  player.score += e.getScore();
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

// Every enemy bullet the test holds for, removed (in index order).
template <class Test>
void removeEnemyBullets(Test test, bool leaveCopy) {
  BulletList& list = World().bullets;
  for (size_t i = 0; i < list.size();) {
    if (isEnemyBullet(*list[i]) && test(*list[i])) {
      if (leaveCopy) {
        i = clearEnemyBullet(i);
      } else {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      }
    } else {
      ++i;
    }
  }
}

void draw(int graph, double x, double y, double cx, double cy, double scale, double degrees) {
  veziv::RenderGraphRotScaled(x, y, cx, cy, scale, rad(degrees), graph, 1, 0);
}

// The nine name-plate marks of routines 0 and 3.
void drawMarks(const Frame& f, int m, int graph, double cx, double cy, double scale) {
  static constexpr int kX[9] = {100, 160, 220, 280, 340, 400, 260, 320, 380};
  static constexpr int kY[9] = {30, 35, 40, 45, 50, 55, 10, 15, 20};
  static constexpr int kA[9] = {0, 30, 60, 90, 120, 150, 90, 120, 150};
  for (int i = 0; i < 9; ++i) {
    const int turn = (i % 2 == 0 ? -5 : 5) * f.ci;
    draw(graph, f.x0 + kX[i] - m, kY[i] + m, cx, cy, scale, kA[i] + turn);
  }
}

// ----- routine 0: a spray of shots -----

bool update0(Frame& f) {
  for (int i = 0; i < 2; ++i) {
    World().bullets.push_back(std::make_unique<bullet>(World().random.upTo(360), 35, 20, 0, 1, f.player.playerNumber,
                                                       f.px, f.py, kImageSprayBullet));
  }
  return f.c >= f.p;
}

void draw0(Frame& f) {
  BattleHooks& hooks = Hooks();
  const int a = Fade(f.ci, 100);
  beginAlpha(a);
  veziv::RenderGraphAtPoint(f.x0, 70, hooks.graphOf(kImagePlateSenoubu), 1);
  beginAlpha(a - 55);
  drawMarks(f, f.ci, hooks.graphOf(kImageMarkSenoubu), hooks.imageWidth(kImageMarkSenoubu),
            hooks.imageHeight(kImageMarkSenoubu), 0.7);
  endAlpha();
}

// ----- routine 1: a vertical beam -----

int beamReach(const Frame& f) {
  const int grow = f.c < 30 ? truncInt(f.c * 100 / 30) : 100;
  return f.p * grow / 100;
}

bool update1(Frame& f) {
  const int w = beamReach(f);
  if (f.ci % 2 == 0) {
    EnemyList& list = World().enemies;
    for (size_t i = 0; i < list.size();) {
      if (std::fabs(list[i]->x - f.player.x) < w && hitEnemy(f.player, i, f.p / 5 + 30)) continue;
      ++i;
    }
  }
  return f.c >= f.p;
}

void draw1(Frame& f) {
  BattleHooks& hooks = Hooks();
  const int a = Fade(f.ci, 100);
  beginAlpha(a);
  veziv::RenderGraphStretched(f.x0 + 150 - a, 70, f.x0 + 150 + a, 80, hooks.graphOf(kImageBulletRed), 1);
  veziv::RenderGraphAtPoint(f.x0, 70, hooks.graphOf(kImagePlateMaryoku), 1);
  const int h = beamReach(f) / 2;
  const int xl = truncInt(f.player.x - h), xr = truncInt(f.player.x + h);
  veziv::RenderGraphStretched(xl, 0, xl + h, 800, hooks.sheetGraph(kSheetLaser, 0), 1);
  veziv::RenderGraphStretched(xr - h, 0, xr, 800, hooks.sheetGraph(kSheetLaser, 2), 1);
  endAlpha();
}

// ----- routine 2: a rotating triangle of lightning -----

double triangleSize(const Frame& f) {
  const int h = f.p * 50 / 100, l = f.p * 250 / 100;
  if (h > 0 && f.c < h) return f.c / h;
  if (f.c <= l) return 1;
  return 1 - (f.c - l) / (f.p / 2.0);
}

int cross(int ax, int ay, int bx, int by, int qx, int qy) {
  return (bx - ax) * (qy - ay) - (by - ay) * (qx - ax);
}

bool update2(Frame& f) {
  const double size = triangleSize(f);
  const int r = std::clamp(truncInt(size * 145 * f.p / 100), 1, 145);
  int corner[3][2];
  for (int k = 0; k < 3; ++k) {
    const double u = rad(2 * f.c - 30 + 120 * k);
    corner[k][0] = f.px + truncInt(std::cos(u) * r);
    corner[k][1] = f.py + truncInt(std::sin(u) * r);
  }
  removeEnemyBullets(
      [&](const bullet& b) {
        const int qx = truncInt(b.x), qy = truncInt(b.y);
        for (int k = 0; k < 3; ++k) {
          const int* a = corner[k];
          const int* n = corner[(k + 1) % 3];
          if (cross(a[0], a[1], n[0], n[1], qx, qy) <= 0) return false;
        }
        return true;
      },
      false);
  EnemyList& list = World().enemies;
  for (size_t i = 0; i < list.size();) {
    bool removed = false;
    for (int k = 0; k < 3 && !removed; ++k) {
      const enemy& e = *list[i];
      const double a = f.ci * 2 - 30 + 120 * k;
      const int w = ((e.radius + 20) * f.p / 100) / 2;
      const double length = ((e.radius + 145) * f.p / 100) * size;
      const int hx = truncInt(std::cos(rad(a - 90)) * w), hy = truncInt(std::sin(rad(a - 90)) * w);
      const int fx = truncInt(std::cos(rad(a)) * length), fy = truncInt(std::sin(rad(a)) * length);
      const int corners[4][2] = {{f.px + fx + hx, f.py + fy + hy},
                                 {f.px + fx - hx, f.py + fy - hy},
                                 {f.px - hx, f.py - hy},
                                 {f.px + hx, f.py + hy}};
      if (isAngleInFront(corners, truncInt(e.x), truncInt(e.y))) removed = hitEnemy(f.player, i, 10);
    }
    // A removed enemy's place is taken by the next, which starts at beam 0.
    if (!removed) ++i;
  }
  if (f.c >= f.p * 299 / 100) {
    veziv::StopSoundHandle(Hooks().soundHandle(kSoundSanraiga));
    return true;
  }
  return false;
}

void draw2(Frame& f) {
  BattleHooks& hooks = Hooks();
  const int s = effectShake();
  beginAlpha(Fade(f.ci, 300));
  draw(hooks.sheetGraph(kSheetThunder, f.ci % 8), f.x0 + 140 + s, 100, 16, 0, 1.0, -90);
  veziv::RenderGraphAtPoint(f.x0, 70, hooks.graphOf(kImagePlateSanraiga), 1);
  endAlpha();
  const double g = f.c < 50 ? f.c / 50 : (f.c <= 250 ? 1 : 1 - (f.c - 250) / 50);
  const double k = g * f.p / 100;
  for (int j = 0; j < 3; ++j) {
    draw(hooks.sheetGraph(kSheetThunder, (truncInt(f.c / 2) + 2 * j) % 8), f.px + s, f.py, 16, 0, k,
         2 * f.c + 120 * j);
  }
  draw(hooks.graphOf(kImageMahozin), f.px + s, f.py, 127, 81, k, 2 * f.c);
}

// ----- routine 3: a barrier of flowing lines -----

double barrierSize(const Frame& f) { return Fade(f.ci, 300) / 255.0 * f.p / 100; }

bool update3(Frame& f) {
  const double k = barrierSize(f);
  const double px = f.player.x, py = f.player.y;
  auto inside = [&](double x, double y) {
    if (k == 0) return false;
    const double dx = (px - x) / (180 * k), dy = (y - py) / (100 * k);
    return dx * dx + dy * dy <= 1;
  };
  removeEnemyBullets([&](const bullet& b) { return inside(b.x, b.y); }, false);
  EnemyList& list = World().enemies;
  for (size_t i = 0; i < list.size();) {
    enemy& e = *list[i];
    if (!inside(e.x, e.y)) {
      ++i;
      continue;
    }
    // An enemy on the player's own spot has no direction and is not pushed.
    if (const auto a = angleToTarget(px, py, e.x, e.y)) {
      e.x += 4 * std::cos(rad(*a - 90));
      e.y -= 4 * std::sin(rad(*a - 90));
    }
    if (e.x > kFieldWidth) {
      e.x = kFieldWidth;
    } else if (e.x < 0) {
      e.x = 0;
    } else if (e.y < 0) {
      e.y = 0;
    } else if (e.y > kFieldHeight) {
      e.y = kFieldHeight;
    }
    if (!hitEnemy(f.player, i, 2)) ++i;
  }
  return f.c >= f.p * 3.0;
}

void draw3(Frame& f) {
  BattleHooks& hooks = Hooks();
  const int s = effectShake();
  const double k = barrierSize(f);
  beginAlpha(Fade(f.ci, 300));
  veziv::RenderGraphAtPoint(f.x0 + s, 70, hooks.graphOf(kImagePlateSenryu), 1);
  const int mark = hooks.graphOf(kImageSenryuMark);
  drawMarks(f, f.ci / 2, mark, 32, 32, 1.0);
  draw(hooks.graphOf(kImageSenryuZin), f.px + s, f.py, 180, 100, k, 0);
  const int ea = truncInt(162 * k), eb = truncInt(90 * k);
  if (eb != 0) {
    for (int n = 0; n < 20; ++n) {
      double theta = (2 * f.ci) % 360 + 36 * n;
      if (n > 10) theta = -theta;
      const int dy = truncInt(eb * std::sin(rad(theta)));
      int dx = truncInt(std::sqrt(static_cast<double>(ea) * ea * (1 - static_cast<double>(dy) * dy / (eb * eb))));
      if (std::cos(rad(theta)) < 0) dx = -dx;
      draw(mark, f.px + s + dx, f.py - dy, 5, 5, k, 0);
    }
  }
  endAlpha();
}

// ----- routine 4: a vortex that seizes enemy bullets and throws them back -----

bool update4(Frame& f) {
  if (f.c >= f.p * 400 / 100) return true;
  const double release = f.p * 300 / 100.0, releaseEnd = f.p * 310 / 100.0;
  if (f.c == release) Hooks().playSound(kSoundDoluVoice);
  const int r = 10 + truncInt(std::min(f.c / 100, 1.0) * 100);
  const double px = f.player.x, py = f.player.y;
  // Player 1's keys steer the seized bullets, whoever owns the attack.
  const InputHolds* keys = Hooks().playerInput(1);
  const double step = f.player.moveSpeed / 5.0;
  for (auto& held : World().bullets) {
    bullet& b = *held;
    if (!isEnemyBullet(b) || truncatedDistance(px, py, b.x, b.y) >= r) continue;
    // A bullet on the player's own spot has no direction and stays put.
    const auto a = angleToTarget(px, py, b.x, b.y);
    if (!a) continue;
    const double radius = f.c <= release ? r - 10 : r;
    b.x = px + radius * std::cos(rad(*a));
    b.y = py - radius * std::sin(rad(*a));
    if (f.c <= release) {
      b.speed = 0;
      b.heading = *a;
      if (keys != nullptr) {
        if (keys->hold[InputHolds::kLeft] > 0) b.x += step;
        if (keys->hold[InputHolds::kRight] > 0) b.x -= step;
        if (keys->hold[InputHolds::kUp] > 0) b.y -= step;
        if (keys->hold[InputHolds::kDown] > 0) b.y += step;
      }
    }
    if (f.c >= release && f.c <= releaseEnd) {
      b.owner = f.player.playerNumber;
      b.heading = *a;
      b.speed = 50;
      b.movementId = 11;
    }
  }
  return false;
}

}  // namespace

double vortexGrowth(int p, double c) {
  const int t1 = p * 230 / 100;
  if (c < t1) return 1;
  const int d = truncInt(c) - t1 - p * 35 / 100;
  // The spread is a whole number like every p x n / 100 term (at least 1).
  const int spread = std::max(p * 2440 / 100, 1);
  return 0.5 + static_cast<double>(d) * d / spread;
}

namespace {

void draw4(Frame& f) {
  BattleHooks& hooks = Hooks();
  const int s = effectShake();
  const int graph = hooks.graphOf(kImageGouranZin);
  const double cx = hooks.imageWidth(kImageGouranZin) / 2.0, cy = hooks.imageHeight(kImageGouranZin) / 2.0;
  veziv::RenderGraphAtPoint(f.x0 + s, 70, hooks.graphOf(kImagePlateGouran), 1);
  const int t2 = f.p * 265 / 100, t3 = f.p * 350 / 100, t4 = f.p * 400 / 100;
  const double g = vortexGrowth(f.p, f.c);
  int alpha = 150;
  // p x 50 / 100 is 0 below p = 2; the fade then takes one frame.
  if (f.c >= t3) alpha = 150 * (t4 - f.ci) / std::max(f.p * 50 / 100, 1);
  beginAlpha(alpha);
  draw(graph, f.px + s, f.py, cx, cy, 2.0, 2 * f.c);
  if (f.c >= t3) endAlpha();
  draw(graph, f.px + s, f.py, cx, cy, 2 * g, 2 * f.c);
  draw(graph, f.px + s, f.py, cx, cy, f.c >= t2 ? 2 * g : 1.0, -2 * f.c);
  endAlpha();
}

// ----- routine 5: six turning beams and, at full power, a spray -----

double beamStrength(const Frame& f) {
  const int h = f.p * 50 / 100, t1 = f.p * 200 / 100, t2 = f.p * 300 / 100;
  if (h > 0 && f.c <= h) return 1 - truncInt(h - f.c) / static_cast<double>(h);
  if (f.c < t1) return 1;
  return truncInt(t2 - f.c) / static_cast<double>(f.p);
}

bool update5(Frame& f) {
  const double power = std::clamp(beamStrength(f), 0.2, 1.0);
  if (f.p == 100 && f.ci % 2 == 0) {
    World().bullets.push_back(std::make_unique<bullet>(World().random.upTo(360), 10, 40, 9, 1, f.player.playerNumber,
                                                       f.player.x, f.player.y, kImageBulletYellow));
    Hooks().playSound(kSoundSmallShot);
  }
  const int w = truncInt(20 * power), length = truncInt(200 * power);
  for (int b = 0; b < 6; ++b) {
    const int theta = f.ci + 60 * b + 2;
    auto inBeam = [&](double x, double y) {
      return hitRotatedRect(f.px, f.py, theta, w, length, truncInt(x), truncInt(y));
    };
    EnemyList& list = World().enemies;
    for (size_t i = 0; i < list.size();) {
      const enemy& e = *list[i];
      if (!inBeam(e.x, e.y)) {
        ++i;
        continue;
      }
      Hooks().playSound(kSoundDamage);
      addAnime(std::make_unique<stationalSlideAnime>(kSheetExplosion, kExplosionPictures, 0, truncInt(e.x),
                                                     truncInt(e.y), 1.0));
      if (!hitEnemy(f.player, i, 10)) ++i;
    }
    removeEnemyBullets([&](const bullet& bl) { return inBeam(bl.x, bl.y); }, true);
  }
  if (f.c >= f.p * 299 / 100) {
    veziv::StopSoundHandle(Hooks().soundHandle(kSoundSanraiga));
    return true;
  }
  return false;
}

void draw5(Frame& f) {
  BattleHooks& hooks = Hooks();
  beginAlpha(Fade(f.ci, f.p * 299 / 100));
  veziv::RenderGraphAtPoint(f.x0, 70, hooks.graphOf(kImagePlateKirasuta), 1);
  endAlpha();
  const double power = std::clamp(beamStrength(f), 0.1, 1.0);
  const int s = effectShake();
  for (int b = 0; b < 6; ++b) draw(hooks.graphOf(kImageLaser), f.px + s, f.py, 16, -40, power, f.ci + 60 * b - 27);
}

// The routines but 6 first count the frame; a maku whose player is not a
// battle player has nothing to act for and ends.
template <bool (*Update)(Frame&), bool kPlaysChargeSound = false>
bool runUpdate(maku& m) {
  if (kPlaysChargeSound && m.counter == 0) Hooks().playSound(kSoundLaserCharge);
  m.counter += 1;
  std::optional<Frame> f = frameOf(m);
  return !f || Update(*f);
}

template <void (*Draw)(Frame&)>
void runDraw(maku& m) {
  if (std::optional<Frame> f = frameOf(m)) Draw(*f);
}

bool update6(maku&) { return false; }
void draw6(maku&) {}

}  // namespace

const MakuUpdate makuUpdateTable[kMakuRoutineCount] = {
    runUpdate<update0>, runUpdate<update1, true>, runUpdate<update2>, runUpdate<update3>,
    runUpdate<update4>, runUpdate<update5>,       update6,
};

const MakuDraw makuDrawTable[kMakuRoutineCount] = {
    runDraw<draw0>, runDraw<draw1>, runDraw<draw2>, runDraw<draw3>, runDraw<draw4>, runDraw<draw5>, draw6,
};

}  // namespace game::battle
