// The battle's sprites, all drawn pointing up (the battle turns them to
// their heading): the players' craft in its six poses, the shots of the
// players' weapons (narrow bolts, missiles and mines), the enemies' bullets
// (round, glowing, outlined, so that they stand out on any ground), every
// enemy plane, tank, turret, ship and the boss, and the items.
#include <cmath>
#include <string>

#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/shapes.h"

namespace demodata {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr Rgba kOutline{14, 16, 30, 255};

Canvas canvasFor(int id) {
  const PictureSize s = registryPictureSize(id);
  return Canvas(s.w, s.h);
}

void solid(Canvas& c, const Shape& s, Rgba light, Rgba dark, double y0, double y1, double edge = 1) {
  fillShape(c, s, linear(0, y0, 0, y1, {{0, light}, {1, dark}}));
  if (edge > 0) strokeShape(c, s, edge, kOutline);
}

void sideLit(Canvas& c, const Shape& s, Rgba base, double x0, double x1, double edge = 1) {
  fillShape(c, s, linear(x0, 0, x1, 0, {{0, shade(base, 0.35)}, {0.5, base}, {1, shade(base, -0.4)}}));
  if (edge > 0) strokeShape(c, s, edge, kOutline);
}

// ---- the players' craft ----------------------------------------------

// One pose in a 32 x 32 cell at (ox, 0 or 32): bank -1 left, 0 level, 1 right.
void playerCraft(Canvas& c, double ox, double oy, int bank, bool hit) {
  const double cx = ox + 16 - bank * 1.2;
  const double lw = bank < 0 ? 0.72 : 1.0, rw = bank > 0 ? 0.72 : 1.0;  // the wing towards the turn shortens
  const Rgba body{238, 244, 255, 255}, trim{70, 140, 235, 255}, gold{255, 205, 90, 255};
  // Engine glow under the tail.
  glowShape(c, ellipse(cx, oy + 28, 3, 2.5), 4, {120, 200, 255, 200});
  // Wings: swept, with gold tips.
  const Shape left = polygon({{cx - 2, oy + 12}, {cx - 2 - 13 * lw, oy + 22}, {cx - 2 - 13 * lw, oy + 25}, {cx - 2, oy + 22}});
  const Shape right = polygon({{cx + 2, oy + 12}, {cx + 2 + 13 * rw, oy + 22}, {cx + 2 + 13 * rw, oy + 25}, {cx + 2, oy + 22}});
  sideLit(c, left, trim, cx - 16, cx);
  sideLit(c, right, trim, cx, cx + 16);
  fillShape(c, rect(cx - 3 - 13 * lw, oy + 21.5, 2.5, 3.5), gold);
  fillShape(c, rect(cx + 0.5 + 13 * rw, oy + 21.5, 2.5, 3.5), gold);
  // Canards and tail fins.
  sideLit(c, polygon({{cx - 2, oy + 8}, {cx - 7 * lw, oy + 12}, {cx - 2, oy + 12}}), trim, cx - 8, cx, 0.8);
  sideLit(c, polygon({{cx + 2, oy + 8}, {cx + 7 * rw, oy + 12}, {cx + 2, oy + 12}}), trim, cx, cx + 8, 0.8);
  sideLit(c, polygon({{cx - 2, oy + 23}, {cx - 7 * lw, oy + 30}, {cx - 2, oy + 29}}), trim, cx - 8, cx, 0.8);
  sideLit(c, polygon({{cx + 2, oy + 23}, {cx + 7 * rw, oy + 30}, {cx + 2, oy + 29}}), trim, cx, cx + 8, 0.8);
  // The fuselage with its nose and canopy.
  const Shape fuselage = unite(polygon({{cx, oy + 1}, {cx + 3.5, oy + 9}, {cx + 3.5, oy + 29}, {cx - 3.5, oy + 29}, {cx - 3.5, oy + 9}}),
                               ellipse(cx, oy + 20, 4, 8));
  sideLit(c, fuselage, body, cx - 4, cx + 4);
  fillShape(c, ellipse(cx, oy + 11, 2, 4), linear(0, oy + 7, 0, oy + 15, {{0, {210, 250, 255, 255}}, {1, {40, 110, 200, 255}}}));
  fillShape(c, rect(cx - 0.6, oy + 17, 1.2, 10), withAlpha(trim, 200));
  if (hit) {
    // The hit poses: the craft flashes white with a red rim.
    for (int y = 0; y < 32; ++y)
      for (int x = static_cast<int>(ox); x < ox + 32; ++x) {
        Rgba p = c.at(x, static_cast<int>(oy) + y);
        if (p.a == 0) continue;
        p = mixColour(p, {255, 255, 255, p.a}, 0.65);
        c.set(x, static_cast<int>(oy) + y, p);
      }
    strokeShape(c, fuselage, 1, {255, 70, 70, 255});
  }
}

Canvas playerCraftSheet() {
  Canvas c(96, 64);
  for (int pose = 0; pose < 6; ++pose) playerCraft(c, 32 * (pose % 3), 32 * (pose / 3), pose % 3 - 1, pose >= 3);
  return c;
}

// ---- shots and bullets --------------------------------------------------

Rgba bulletColour(char code, bool light) {
  switch (code) {
    case 'b': return light ? Rgba{120, 170, 255, 255} : Rgba{40, 90, 255, 255};
    case 'g': return light ? Rgba{130, 255, 150, 255} : Rgba{20, 190, 70, 255};
    case 'l': return light ? Rgba{150, 240, 255, 255} : Rgba{30, 190, 240, 255};
    case 'p': return light ? Rgba{230, 150, 255, 255} : Rgba{170, 60, 240, 255};
    case 'r': return light ? Rgba{255, 140, 120, 255} : Rgba{240, 40, 40, 255};
    default: return light ? Rgba{255, 240, 130, 255} : Rgba{245, 180, 20, 255};
  }
}

// An enemy bullet: a dark rim, a coloured glow ring and a white-hot core.
Canvas orb(int side, char code) {
  Canvas c(side, side);
  const double r = side / 2.0, cx = r, cy = r;
  glowShape(c, circle(cx, cy, r * 0.55), r * 0.45, withAlpha(bulletColour(code, false), 150));
  fillShape(c, circle(cx, cy, r * 0.78), withAlpha(kOutline, 235));
  fillShape(c, circle(cx, cy, r * 0.68),
            radial(cx - r * 0.12, cy - r * 0.12, r * 0.7,
                   {{0, {255, 255, 255, 255}}, {0.35, bulletColour(code, true)}, {1, bulletColour(code, false)}}));
  fillShape(c, circle(cx - r * 0.2, cy - r * 0.22, std::max(0.8, r * 0.16)), {255, 255, 255, 230});
  return c;
}

// A player's bolt, 8 x 8: a streak with a white head, its colour round it
// and a dark rim, so that it shows on light ground as on dark.
Canvas bolt(char code) {
  Canvas c(8, 8);
  fillShape(c, capsule(4, 1.8, 4, 6.2, 2.6), withAlpha(kOutline, 200));
  fillShape(c, capsule(4, 1.8, 4, 6.2, 1.9), bulletColour(code, false));
  fillShape(c, capsule(4, 1.6, 4, 5.2, 1.0), linear(0, 0, 0, 8, {{0, {255, 255, 255, 255}}, {1, bulletColour(code, true)}}));
  return c;
}

Canvas missile(Rgba band, Rgba tip) {
  Canvas c(12, 24);
  glowShape(c, ellipse(6, 22, 2.5, 2), 2.5, {255, 200, 90, 220});
  sideLit(c, polygon({{6, 13}, {1, 20}, {1, 22}, {6, 19}, {11, 22}, {11, 20}}), {120, 130, 150, 255}, 0, 12, 0.8);
  const Shape body = unite(roundRect(4, 5, 4, 16, 1.5), ellipse(6, 5.5, 2, 4));
  sideLit(c, body, {225, 230, 240, 255}, 4, 8, 0.8);
  fillShape(c, overlap(ellipse(6, 5.5, 2, 4), rect(0, 0, 12, 5)), tip);
  fillShape(c, rect(4, 11, 4, 2.5), band);
  return c;
}

// The aerial mine: a dark ball with spikes and a blinking light.
Canvas mine(int side, Rgba light) {
  Canvas c(side, side);
  const double r = side / 2.0;
  fillShape(c, star(r, r, r * 0.95, r * 0.55, 8), {60, 66, 80, 255});
  strokeShape(c, star(r, r, r * 0.95, r * 0.55, 8), 0.8, kOutline);
  fillShape(c, circle(r, r, r * 0.6), radial(r - r * 0.2, r - r * 0.2, r * 0.7, {{0, {150, 160, 180, 255}}, {1, {40, 44, 60, 255}}}));
  strokeShape(c, circle(r, r, r * 0.6), 0.8, kOutline);
  glowShape(c, circle(r, r, r * 0.18), r * 0.3, light);
  fillShape(c, circle(r, r, r * 0.18), {255, 255, 230, 255});
  return c;
}

// The whirlwind shot: three arms of a spiral.
Canvas whirlwind() {
  Canvas c(24, 24);
  for (int arm = 0; arm < 3; ++arm)
    for (int k = 0; k < 14; ++k) {
      const double t = k / 13.0;
      const double a = arm * 2 * kPi / 3 + t * 3.2;
      const double rr = 2 + t * 9;
      fillShape(c, circle(12 + rr * std::cos(a), 12 + rr * std::sin(a), 2.4 - t * 1.4),
                withAlpha(mixColour({255, 255, 255, 255}, {120, 220, 255, 255}, t), static_cast<uint8_t>(250 - 120 * t)));
    }
  glowShape(c, circle(12, 12, 2.5), 4, {200, 240, 255, 200});
  return c;
}

Canvas item(bool mana) {
  Canvas c(24, 24);
  const Rgba tone = mana ? Rgba{70, 140, 255, 255} : Rgba{255, 120, 50, 255};
  glowShape(c, circle(12, 12, 8), 4, withAlpha(tone, 150));
  if (mana) {
    const Shape gem = polygon({{12, 2}, {20, 10}, {12, 22}, {4, 10}});
    fillShape(c, gem, linear(0, 2, 0, 22, {{0, {210, 240, 255, 255}}, {1, tone}}));
    strokeShape(c, gem, 1, kOutline);
    fillShape(c, polygon({{12, 2}, {15, 10}, {9, 10}}), {255, 255, 255, 180});
  } else {
    const Shape cap = roundRect(3, 5, 18, 14, 7);
    fillShape(c, cap, linear(0, 5, 0, 19, {{0, shade(tone, 0.4)}, {1, shade(tone, -0.35)}}));
    strokeShape(c, cap, 1, kOutline);
    TextStyle s;
    s.px = 12;
    s.bold = true;
    s.edge = {90, 30, 0, 255};
    c.writeInBox(3, 5, 18, 14, "P", s);
  }
  return c;
}

// ---- enemy planes ---------------------------------------------------------

struct PlaneLook {
  Rgba body, wing, trim;
  int wingKind;  // 0 swept, 1 delta, 2 straight, 3 forward-swept, 4 flying wing
  int engines;   // 1 or 2
  bool bigTail;
};

// The enemy planes by their number in "plane<N>": a family per stage, each
// with its own outline.
PlaneLook planeLook(int n) {
  static const Rgba kFamilies[4][3] = {
      {{110, 130, 80, 255}, {90, 110, 64, 255}, {230, 200, 80, 255}},   // olive trainers
      {{120, 128, 150, 255}, {90, 98, 122, 255}, {230, 80, 70, 255}},   // grey scouts
      {{150, 80, 70, 255}, {110, 56, 52, 255}, {250, 200, 90, 255}},    // the fleet's red
      {{70, 64, 90, 255}, {50, 46, 70, 255}, {200, 90, 240, 255}},      // the fortress's guard
  };
  const int family = n <= 6 ? 0 : n <= 12 ? 1 : n <= 16 ? 2 : 3;
  const Rgba* f = kFamilies[family];
  return {f[0], f[1], f[2], n % 5, 1 + (n / 2) % 2, n % 3 == 0};
}

void enemyPlane(Canvas& c, const PlaneLook& look) {
  const double w = c.width(), h = c.height(), cx = w / 2;
  const double u = w / 32.0;  // the design unit
  // Wings.
  Shape wing;
  switch (look.wingKind) {
    case 0: wing = polygon({{cx, h * 0.32}, {w * 0.02, h * 0.66}, {w * 0.04, h * 0.74}, {cx, h * 0.6}, {w * 0.96, h * 0.74}, {w * 0.98, h * 0.66}}); break;
    case 1: wing = polygon({{cx, h * 0.15}, {w * 0.04, h * 0.78}, {w * 0.96, h * 0.78}}); break;
    case 2: wing = roundRect(w * 0.03, h * 0.38, w * 0.94, h * 0.16, 2 * u); break;
    case 3: wing = polygon({{cx, h * 0.55}, {w * 0.05, h * 0.3}, {w * 0.02, h * 0.38}, {cx, h * 0.7}, {w * 0.98, h * 0.38}, {w * 0.95, h * 0.3}}); break;
    default: wing = polygon({{cx, h * 0.2}, {w * 0.02, h * 0.6}, {w * 0.2, h * 0.72}, {cx, h * 0.6}, {w * 0.8, h * 0.72}, {w * 0.98, h * 0.6}});
  }
  sideLit(c, wing, look.wing, 0, w, std::max(1.0, u * 0.8));
  // Wing markings.
  fillShape(c, circle(w * 0.22, h * 0.58, 2 * u), look.trim);
  fillShape(c, circle(w * 0.78, h * 0.58, 2 * u), look.trim);
  // Tail.
  const double tail = look.bigTail ? 0.3 : 0.22;
  sideLit(c, polygon({{cx, h * 0.72}, {cx - w * tail, h * 0.94}, {cx + w * tail, h * 0.94}}), look.wing, cx - w * tail,
          cx + w * tail, std::max(1.0, u * 0.7));
  // Engines.
  for (int e = 0; e < look.engines; ++e) {
    const double ex = look.engines == 1 ? cx : cx + (e == 0 ? -1 : 1) * w * 0.2;
    glowShape(c, ellipse(ex, h * 0.97, 1.5 * u, u), 2 * u, {255, 170, 80, 200});
    if (look.engines == 2) sideLit(c, roundRect(ex - 2 * u, h * 0.42, 4 * u, h * 0.4, 2 * u), look.body, ex - 2 * u, ex + 2 * u, u * 0.7);
  }
  // The fuselage, nose up, with its canopy.
  const Shape body = unite(ellipse(cx, h * 0.5, 3.2 * u, h * 0.42), polygon({{cx, h * 0.02}, {cx + 2.5 * u, h * 0.2}, {cx - 2.5 * u, h * 0.2}}));
  sideLit(c, body, look.body, cx - 3.2 * u, cx + 3.2 * u, std::max(1.0, u * 0.8));
  fillShape(c, ellipse(cx, h * 0.3, 1.6 * u, 3.5 * u), linear(0, h * 0.22, 0, h * 0.38, {{0, {255, 200, 180, 255}}, {1, {170, 40, 40, 255}}}));
  fillShape(c, rect(cx - 0.5 * u, h * 0.45, u, h * 0.35), withAlpha(look.trim, 180));
}

// ---- ground and sea --------------------------------------------------------

// A tank seen from above, its gun up: tracks, hull, turret.
void tank(Canvas& c, Rgba hull, Rgba trim, bool broken) {
  const double w = c.width(), h = c.height();
  for (double tx : {w * 0.12, w * 0.72}) {
    solid(c, roundRect(tx, h * 0.1, w * 0.16, h * 0.8, 3), {70, 70, 70, 255}, {35, 35, 35, 255}, 0, h);
    for (double y = h * 0.14; y < h * 0.86; y += 4) fillShape(c, rect(tx + 1, y, w * 0.16 - 2, 1.2), {20, 20, 20, 200});
  }
  sideLit(c, roundRect(w * 0.22, h * 0.16, w * 0.56, h * 0.68, 5), hull, w * 0.22, w * 0.78);
  if (broken) {
    // Scorched, cracked, the gun gone.
    fillShape(c, circle(w * 0.5, h * 0.5, w * 0.3), radial(w * 0.5, h * 0.5, w * 0.3, {{0, {20, 15, 10, 230}}, {1, {40, 30, 20, 0}}}));
    fillShape(c, capsule(w * 0.3, h * 0.3, w * 0.62, h * 0.66, 1), {10, 10, 10, 255});
    fillShape(c, capsule(w * 0.6, h * 0.28, w * 0.42, h * 0.6, 0.8), {10, 10, 10, 255});
    fillShape(c, circle(w * 0.56, h * 0.44, 2.5), {255, 140, 40, 220});
    return;
  }
  solid(c, roundRect(w * 0.46, h * 0.02, w * 0.08, h * 0.46, 2), {120, 120, 110, 255}, {70, 70, 60, 255}, 0, h * 0.5);
  sideLit(c, circle(w * 0.5, h * 0.52, w * 0.19), shade(hull, 0.1), w * 0.3, w * 0.7);
  fillShape(c, circle(w * 0.5, h * 0.52, w * 0.07), trim);
}

// A turret alone (the top of a dual enemy): gun up, pivot at the middle.
void turretTop(Canvas& c, Rgba metal, int barrels) {
  const double w = c.width(), h = c.height();
  for (int b = 0; b < barrels; ++b) {
    const double bx = w / 2 + (barrels == 1 ? 0 : (b - (barrels - 1) / 2.0) * w * 0.28);
    solid(c, roundRect(bx - w * 0.1, h * 0.02, w * 0.2, h * 0.55, 2), {150, 150, 150, 255}, {70, 70, 75, 255}, 0, h * 0.6);
  }
  sideLit(c, roundRect(w * 0.1, h * 0.42, w * 0.8, h * 0.36, 5), metal, w * 0.1, w * 0.9);
  fillShape(c, circle(w / 2, h * 0.6, w * 0.12), shade(metal, -0.4));
}

// A concrete emplacement: the base under a turret.
void emplacement(Canvas& c, Rgba tone) {
  const double w = c.width(), h = c.height();
  shadowShape(c, polygon({{w * 0.3, 2}, {w * 0.7, 2}, {w - 2, h * 0.3}, {w - 2, h * 0.7}, {w * 0.7, h - 2}, {w * 0.3, h - 2}, {2, h * 0.7}, {2, h * 0.3}}),
              2, 3, 3, {0, 0, 0, 120});
  const Shape base = polygon({{w * 0.3, 2}, {w * 0.7, 2}, {w - 2, h * 0.3}, {w - 2, h * 0.7}, {w * 0.7, h - 2}, {w * 0.3, h - 2}, {2, h * 0.7}, {2, h * 0.3}});
  solid(c, base, shade(tone, 0.25), shade(tone, -0.3), 0, h);
  strokeShape(c, circle(w / 2, h / 2, w * 0.32), 2, shade(tone, -0.5));
  for (int k = 0; k < 8; ++k) {
    const double a = k * kPi / 4;
    fillShape(c, circle(w / 2 + w * 0.4 * std::cos(a), h / 2 + h * 0.4 * std::sin(a), 1.5), shade(tone, -0.6));
  }
}

// A ship from above, bow up: hull, deck, bridge, turrets along the deck.
void ship(Canvas& c, Rgba hull, Rgba deck, int turrets, bool carrier) {
  const double w = c.width(), h = c.height();
  const Shape outer = polygon({{w / 2, 2}, {w * 0.84, h * 0.2}, {w * 0.92, h * 0.45}, {w * 0.86, h * 0.92}, {w * 0.7, h - 2},
                               {w * 0.3, h - 2}, {w * 0.14, h * 0.92}, {w * 0.08, h * 0.45}, {w * 0.16, h * 0.2}});
  // The wake behind the stern.
  fillShape(c, polygon({{w * 0.35, h - 4}, {w * 0.65, h - 4}, {w * 0.9, h}, {w * 0.1, h}}), {230, 240, 255, 120});
  sideLit(c, outer, hull, 0, w, 1.5);
  const Shape deckShape = polygon({{w / 2, 10}, {w * 0.76, h * 0.22}, {w * 0.82, h * 0.45}, {w * 0.77, h * 0.9}, {w * 0.65, h - 8},
                                   {w * 0.35, h - 8}, {w * 0.23, h * 0.9}, {w * 0.18, h * 0.45}, {w * 0.24, h * 0.22}});
  fillShape(c, deckShape, linear(0, 0, w, 0, {{0, shade(deck, 0.2)}, {1, shade(deck, -0.2)}}));
  for (double y = 16; y < h - 10; y += 6) fillShape(c, overlap(rect(0, y, w, 1), deckShape), withAlpha(shade(deck, -0.35), 140));
  if (carrier) {
    fillShape(c, overlap(rect(w * 0.48, 14, w * 0.04, h - 28), deckShape), {240, 240, 230, 200});
    sideLit(c, roundRect(w * 0.74, h * 0.4, w * 0.12, h * 0.16, 3), shade(hull, 0.2), w * 0.74, w * 0.86);
    return;
  }
  // Bridge and funnel.
  sideLit(c, roundRect(w * 0.36, h * 0.42, w * 0.28, h * 0.14, 4), shade(hull, 0.3), w * 0.36, w * 0.64);
  fillShape(c, rect(w * 0.4, h * 0.45, w * 0.2, h * 0.02), {120, 200, 255, 255});
  sideLit(c, ellipse(w / 2, h * 0.62, w * 0.1, h * 0.04), {60, 60, 66, 255}, w * 0.4, w * 0.6);
  for (int k = 0; k < turrets; ++k) {
    const double ty = k < 2 ? h * (0.2 + 0.1 * k) : h * (0.72 + 0.1 * (k - 2));
    sideLit(c, circle(w / 2, ty, w * 0.1), {140, 140, 150, 255}, w * 0.4, w * 0.6);
    fillShape(c, rect(w / 2 - 2.5, ty - w * 0.2 * (k < 2 ? 1 : -0.2), 2, w * 0.14), {60, 60, 66, 255});
    fillShape(c, rect(w / 2 + 0.5, ty - w * 0.2 * (k < 2 ? 1 : -0.2), 2, w * 0.14), {60, 60, 66, 255});
  }
}

// The boss: a great flying wing of the fleet, with its engines and guns.
Canvas boss() {
  Canvas c(128, 128);
  const Rgba hull{90, 70, 110, 255}, dark{50, 38, 66, 255}, glow{255, 90, 200, 255};
  glowShape(c, ellipse(64, 64, 50, 40), 10, {255, 80, 160, 60});
  const Shape wing = polygon({{64, 8}, {122, 70}, {118, 96}, {92, 86}, {64, 104}, {36, 86}, {10, 96}, {6, 70}});
  sideLit(c, wing, hull, 0, 128, 2);
  fillShape(c, polygon({{64, 20}, {108, 72}, {64, 88}, {20, 72}}), linear(0, 20, 0, 90, {{0, shade(dark, 0.2)}, {1, dark}}));
  for (int e = 0; e < 4; ++e) {
    const double ex = 24 + e * 26.7;
    glowShape(c, ellipse(ex, 98 + (e == 1 || e == 2 ? 6 : 0), 4, 3), 6, {255, 150, 90, 220});
    sideLit(c, roundRect(ex - 5, 70 + (e == 1 || e == 2 ? 6 : 0), 10, 26, 4), {120, 110, 130, 255}, ex - 5, ex + 5);
  }
  sideLit(c, unite(ellipse(64, 56, 13, 38), polygon({{64, 4}, {72, 26}, {56, 26}})), {150, 130, 170, 255}, 50, 78, 1.5);
  glowShape(c, circle(64, 52, 7), 8, withAlpha(glow, 200));
  fillShape(c, circle(64, 52, 7), radial(62, 50, 8, {{0, {255, 240, 250, 255}}, {1, glow}}));
  for (double gx : {40.0, 88.0}) {
    sideLit(c, circle(gx, 60, 7), {140, 120, 150, 255}, gx - 7, gx + 7);
    fillShape(c, rect(gx - 1.5, 44, 3, 14), {50, 44, 60, 255});
  }
  fillShape(c, star(64, 90, 6, 2.5, 5), {255, 210, 110, 255});
  return c;
}

// A drone: a round body with rotor rings.
Canvas drone(Rgba body, Rgba light) {
  Canvas c(32, 32);
  for (int k = 0; k < 4; ++k) {
    const double a = kPi / 4 + k * kPi / 2;
    const double rx = 16 + 10 * std::cos(a), ry = 16 + 10 * std::sin(a);
    fillShape(c, capsule(16, 16, rx, ry, 1.5), {60, 60, 70, 255});
    fillShape(c, circle(rx, ry, 5), {200, 210, 230, 90});
    strokeShape(c, circle(rx, ry, 5), 1, {40, 40, 50, 220});
  }
  sideLit(c, circle(16, 16, 7), body, 9, 23);
  glowShape(c, circle(16, 15, 2.5), 3, light);
  fillShape(c, circle(16, 15, 2.5), {255, 255, 230, 255});
  return c;
}

}  // namespace

void makeBattlePictures(const Sources&, Outputs& out) {
  auto png = [&](int id, const Canvas& c) { out.add(imagePathOf(id), c.png(true)); };
  for (const SheetRow& sheet : registrySheets()) {
    if (std::string(sheet.name) == "planeSheet") out.add(sheet.path, playerCraftSheet().png(true));
  }
  // The players' shots: bolts; the enemies' small bullets: orbs.
  png(41, bolt('y'));
  png(42, bolt('b'));
  png(43, orb(8, 'r'));
  png(59, orb(8, 'p'));
  const char* const kColours[] = {"b", "g", "lb", "p", "r", "y"};
  for (int id = 115; id <= 150; ++id) {
    const PictureSize s = registryPictureSize(id);
    png(id, orb(s.w, kColours[(id - 115) % 6][0]));
  }
  png(55, orb(32, 'b'));
  {
    // A purple orb on black, the colour this picture's transparency takes.
    Canvas purple(64, 64, {0, 0, 0, 255});
    fillShape(purple, circle(32, 32, 26), radial(28, 28, 28, {{0, {255, 235, 255, 255}}, {0.4, {200, 110, 255, 255}}, {0.85, {90, 20, 150, 255}}, {1, {0, 0, 0, 255}}}));
    out.add(imagePathOf(51), purple.jpeg(95));
  }
  png(44, whirlwind());
  png(45, mine(16, {255, 80, 60, 230}));
  png(215, missile({240, 70, 60, 255}, {240, 70, 60, 255}));
  png(216, missile({255, 170, 40, 255}, {255, 120, 30, 255}));
  png(217, missile({70, 200, 120, 255}, {60, 160, 240, 255}));
  png(40, item(false));
  png(78, item(true));
  // Enemy planes: plane0 is id 46, plane1..19 are ids 88..106.
  for (int n = 0; n <= 19; ++n) {
    const int id = n == 0 ? 46 : 87 + n;
    Canvas c = canvasFor(id);
    enemyPlane(c, planeLook(n));
    png(id, c);
  }
  {
    Canvas c = canvasFor(47);
    tank(c, {110, 120, 70, 255}, {230, 200, 80, 255}, false);
    png(47, c);
  }
  {
    Canvas a = canvasFor(195), b = canvasFor(196), t2 = canvasFor(299), t3 = canvasFor(300);
    tank(a, {140, 110, 70, 255}, {250, 90, 60, 255}, false);
    tank(b, {140, 110, 70, 255}, {250, 90, 60, 255}, true);
    tank(t2, {90, 110, 120, 255}, {250, 220, 90, 255}, false);
    tank(t3, {120, 90, 90, 255}, {120, 220, 255, 255}, false);
    png(195, a);
    png(196, b);
    png(299, t2);
    png(300, t3);
  }
  const Rgba kTurretMetal[] = {{120, 130, 110, 255}, {110, 120, 140, 255}, {140, 110, 100, 255},
                               {100, 110, 90, 255}, {130, 120, 140, 255}};
  for (int k = 0; k < 5; ++k) {
    Canvas c = canvasFor(301 + k);
    turretTop(c, kTurretMetal[k], 1 + k % 2);
    png(301 + k, c);
  }
  for (int k = 0; k < 3; ++k) {
    Canvas top = canvasFor(283 + 2 * k), base = canvasFor(284 + 2 * k);
    turretTop(top, kTurretMetal[k + 1], k + 1);
    emplacement(base, {static_cast<uint8_t>(150 - 10 * k), static_cast<uint8_t>(150 - 5 * k), 140, 255});
    png(283 + 2 * k, top);
    png(284 + 2 * k, base);
  }
  {
    Canvas c = canvasFor(48);
    ship(c, {90, 100, 120, 255}, {150, 140, 120, 255}, 4, false);
    png(48, c);
  }
  const Rgba kHulls[] = {{100, 110, 130, 255}, {120, 100, 100, 255}, {90, 110, 110, 255}, {110, 110, 90, 255}};
  for (int k = 0; k < 4; ++k) {
    Canvas c = canvasFor(289 + k);
    ship(c, kHulls[k], {static_cast<uint8_t>(160 - 10 * k), 150, 130, 255}, k + 1, k == 3);
    png(289 + k, c);
  }
  // The ship parts: 293 and 295 sail on their own (patrol boats), 294 and
  // 296 are turrets that ride on the ships.
  for (int k = 0; k < 4; ++k) {
    Canvas c = canvasFor(293 + k);
    if (k % 2 == 0) {
      ship(c, kHulls[k], {190, 180, 150, 255}, k == 0 ? 1 : 0, false);
    } else {
      turretTop(c, kHulls[k], k == 1 ? 2 : 3);
    }
    png(293 + k, c);
  }
  png(297, drone({110, 120, 150, 255}, {120, 220, 255, 220}));
  png(298, mine(32, {255, 60, 60, 230}));
  png(13, boss());
}

}  // namespace demodata
