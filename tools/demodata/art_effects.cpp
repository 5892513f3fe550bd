// The battle's effects: the explosion, smoke and sparkle strips, the bolts
// of lightning, the shield rings, the beams, the afterburner, the special
// attacks' name plates and magic circles, the charge sparks and ring
// pieces, the slow-mode ring and hit point, the spawn marker, the cut-in
// streak, and the stage's and the mission's closing plates.
#include <cmath>
#include <string>

#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/shapes.h"
#include "tools/demodata/ui_kit.h"

namespace demodata {

namespace {

constexpr double kPi = 3.14159265358979323846;

// One frame of the blast, t 0..1: a white-hot core that swells, turns to
// fire, then to dark smoke, torn by noise.
void blastFrame(Canvas& c, double ox, double oy, double size, double t, uint32_t seed) {
  const double cx = ox + size / 2, cy = oy + size / 2;
  const double radius = size * (0.16 + 0.34 * std::sqrt(t));
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double dx = x + 0.5 - size / 2, dy = y + 0.5 - size / 2;
      const double d = std::hypot(dx, dy) / radius;
      const double n = fractalNoise(seed, (dx / size + 1) * 5, (dy / size + 1) * 5, 4);
      const double edge = 1 - d + (n - 0.5) * 0.9;
      if (edge <= 0) continue;
      const double heat = std::clamp(edge * 1.6 - t * 1.1 + (n - 0.5) * 0.4, 0.0, 1.0);
      Rgba col;
      if (heat > 0.75) col = mixColour({255, 220, 120, 255}, {255, 255, 240, 255}, (heat - 0.75) / 0.25);
      else if (heat > 0.4) col = mixColour({240, 110, 30, 255}, {255, 220, 120, 255}, (heat - 0.4) / 0.35);
      else if (heat > 0.15) col = mixColour({90, 50, 40, 255}, {240, 110, 30, 255}, (heat - 0.15) / 0.25);
      else col = mixColour({50, 46, 50, 255}, {90, 50, 40, 255}, heat / 0.15);
      const double alpha = std::clamp(edge * 3, 0.0, 1.0) * (1 - std::pow(t, 3)) ;
      c.blend(static_cast<int>(ox) + x, static_cast<int>(oy) + y, col, alpha);
    }
  // Sparks flying out early on.
  if (t < 0.6) {
    Random r(seed);
    for (int k = 0; k < 10; ++k) {
      const double a = r.unit() * 2 * kPi, dist = radius * (0.8 + t * 1.2 + r.unit() * 0.3);
      glowShape(c, circle(cx + dist * std::cos(a), cy + dist * std::sin(a), 1.2), 2.5,
                {255, 220, 140, static_cast<uint8_t>(220 * (1 - t / 0.6))});
    }
  }
}

Canvas explosionSheet() {
  Canvas c(768, 192);
  for (int f = 0; f < 16; ++f) blastFrame(c, 96 * (f % 8), 96 * (f / 8), 96, f / 15.0, 0xE5 + 0);
  return c;
}

// Smoke: a cluster of grey puffs that spreads, lightens and thins.
Canvas smokeSheet() {
  Canvas c(300, 50);
  for (int f = 0; f < 6; ++f) {
    const double t = f / 5.0;
    Random r(0x5A0);
    Shape puff = circle(25, 25, 9 + 8 * t);
    for (int k = 0; k < 5; ++k) {
      const double a = r.unit() * 6.283, d = (5 + 6 * t) * (0.6 + r.unit() * 0.4);
      puff = unite(puff, circle(25 + d * std::cos(a), 25 + d * std::sin(a), 6 + 7 * t));
    }
    const uint8_t g = static_cast<uint8_t>(110 + 70 * t);
    const uint8_t a = static_cast<uint8_t>(230 * (1 - 0.75 * t));
    Canvas one(50, 50);
    glowShape(one, puff, 4, {g, g, static_cast<uint8_t>(g + 6), static_cast<uint8_t>(a / 3)});
    fillShape(one, puff, linear(0, 5, 0, 45, {{0, {static_cast<uint8_t>(g + 40), static_cast<uint8_t>(g + 40), static_cast<uint8_t>(g + 46), a}},
                                               {1, {g, g, static_cast<uint8_t>(g + 6), a}}}));
    c.draw(one, 50 * f, 0);
  }
  return c;
}

// The rising sparkle: 33 frames of stars that climb and fade.
Canvas sparkleSheet() {
  Canvas c(352, 96);
  for (int f = 0; f < 33; ++f) {
    const double t = f / 32.0;
    const double ox = 32 * (f % 11), oy = 32 * (f / 11);
    Random r(0x5E);
    for (int k = 0; k < 5; ++k) {
      const double x = ox + 6 + r.unit() * 20, y0 = oy + 26 - r.unit() * 6;
      const double y = y0 - t * 18 - k * 2;
      const double size = 4 + 3 * std::sin((t + k * 0.2) * kPi);
      const uint8_t a = static_cast<uint8_t>(255 * std::max(0.0, 1 - t) * (0.6 + 0.4 * std::sin((t * 4 + k) * kPi)));
      if (y < oy + 1 || a == 0) continue;
      glowShape(c, star(x, y, size, size * 0.35, 4), 2, {255, 240, 160, static_cast<uint8_t>(a * 0.6)});
      fillShape(c, star(x, y, size, size * 0.35, 4), {255, 255, 230, a});
    }
  }
  return c;
}

Canvas thunderSheet() {
  Canvas c(256, 128);
  for (int f = 0; f < 8; ++f) {
    Random r(0x7D + f);
    double x = 16, y = 0;
    std::vector<Point> path{{x, y}};
    while (y < 126) {
      y = std::min(126.0, y + 8 + r.unit() * 10);
      x = std::clamp(16 + (r.unit() - 0.5) * 20, 4.0, 28.0);
      path.push_back({x, y});
    }
    for (size_t k = 1; k < path.size(); ++k) {
      const Shape seg = capsule(32 * f + path[k - 1].x, path[k - 1].y, 32 * f + path[k].x, path[k].y, 1.6);
      glowShape(c, seg, 5, {140, 180, 255, 110});
    }
    for (size_t k = 1; k < path.size(); ++k)
      fillShape(c, capsule(32 * f + path[k - 1].x, path[k - 1].y, 32 * f + path[k].x, path[k].y, 1.3), {240, 248, 255, 255});
  }
  return c;
}

// The shield: pieces 0 (the outer ring) and 3 (the inner ring) are drawn.
Canvas shieldRings() {
  Canvas c(512, 512);
  for (int piece = 0; piece < 4; ++piece) {
    const double cx = 256 * (piece % 2) + 128, cy = 256 * (piece / 2) + 128;
    const bool outer = piece == 0 || piece == 2;
    const double r = outer ? 120 : 96;
    glowShape(c, ring(cx, cy, r, 2), 8, {255, 150, 150, 120});
    fillShape(c, ring(cx, cy, r, 2.5), {255, 230, 230, 230});
    for (int k = 0; k < (outer ? 24 : 12); ++k) {
      const double a = k * 2 * kPi / (outer ? 24 : 12);
      fillShape(c, star(cx + (r - 12) * std::cos(a), cy + (r - 12) * std::sin(a), 5, 2, 4, a), {255, 210, 210, 220});
    }
    fillShape(c, ring(cx, cy, r - 24, 1), {255, 200, 200, 150});
  }
  return c;
}

// The beam, 32 x 210: its near end at the top.
Canvas laserBeam() {
  Canvas c(32, 210);
  const Shape beam = unite(rect(8, 0, 16, 196), ellipse(16, 196, 8, 12));
  glowShape(c, beam, 7, {120, 200, 255, 110});
  fillShape(c, beam, linear(8, 0, 24, 0, {{0, {90, 170, 255, 200}}, {0.5, {255, 255, 255, 255}}, {1, {90, 170, 255, 200}}}));
  return c;
}

Canvas laserPieces() {
  Canvas c(96, 10);
  fillShape(c, rect(32, 0, 32, 10), linear(0, 0, 0, 10, {{0, {255, 120, 110, 220}}, {0.5, {255, 255, 240, 255}}, {1, {255, 120, 110, 220}}}));
  fillShape(c, overlap(ellipse(32, 5, 14, 5), rect(0, 0, 32, 10)), linear(0, 0, 0, 10, {{0, {255, 120, 110, 220}}, {0.5, {255, 255, 240, 255}}, {1, {255, 120, 110, 220}}}));
  fillShape(c, overlap(ellipse(64, 5, 14, 5), rect(64, 0, 32, 10)), linear(0, 0, 0, 10, {{0, {255, 120, 110, 220}}, {0.5, {255, 255, 240, 255}}, {1, {255, 120, 110, 220}}}));
  return c;
}

Canvas afterBurn() {
  Canvas c(32, 64);
  const Shape flame = unite(ellipse(16, 22, 9, 20), polygon({{8, 26}, {24, 26}, {16, 62}}));
  glowShape(c, flame, 5, {255, 140, 40, 120});
  fillShape(c, flame, linear(0, 4, 0, 62, {{0, {255, 255, 230, 255}}, {0.35, {255, 200, 80, 240}}, {0.7, {240, 90, 30, 200}}, {1, {120, 40, 30, 0}}}));
  return c;
}

// A special attack's name plate, 300 x 40, at the top of the field.
Canvas specialPlate(const std::string& name, const std::string& reading, Rgba tone) {
  Canvas c(300, 40);
  fillShape(c, polygon({{0, 4}, {286, 4}, {300, 20}, {286, 36}, {0, 36}}),
            linear(0, 0, 300, 0, {{0, withAlpha(shade(tone, -0.5), 235)}, {0.7, withAlpha(tone, 200)}, {1, withAlpha(tone, 0)}}));
  fillShape(c, rect(0, 4, 300, 1.5), {255, 255, 255, 200});
  fillShape(c, rect(0, 34.5, 300, 1.5), {255, 255, 255, 200});
  TextStyle s = ui::heading(24);
  s.edge = shade(tone, -0.7);
  const int w = c.write(12, 6, name, s);
  c.write(24 + w, 16, reading, ui::label(12, {255, 255, 255, 230}));
  return c;
}

// A magic circle: rings, a polygon of `sides` and runes of dots; `rx`,
// `ry` make it an ellipse.
void magicCircle(Canvas& c, double cx, double cy, double rx, double ry, int sides, Rgba tone) {
  auto at = [&](double a, double k) { return Point{cx + rx * k * std::cos(a), cy + ry * k * std::sin(a)}; };
  const Rgba bright = mixColour(tone, {255, 255, 255, 255}, 0.5);
  strokeShape(c, ellipse(cx, cy, rx - 1, ry - 1), 2.5, bright);
  strokeShape(c, ellipse(cx, cy, rx * 0.86, ry * 0.86), 1.5, tone);
  strokeShape(c, ellipse(cx, cy, rx * 0.6, ry * 0.6), 1.5, bright);
  for (int k = 0; k < 36; ++k) {
    const Point p = at(k * 2 * kPi / 36, 0.93);
    fillShape(c, circle(p.x, p.y, k % 3 == 0 ? 2.2 : 1.2), bright);
  }
  for (int k = 0; k < sides; ++k) {
    const Point a = at(-kPi / 2 + k * 2 * kPi / sides, 0.86), b = at(-kPi / 2 + (k + 2) * 2 * kPi / sides, 0.86);
    fillShape(c, capsule(a.x, a.y, b.x, b.y, 1), withAlpha(tone, 220));
  }
  glowShape(c, ellipse(cx, cy, rx * 0.12, ry * 0.12), std::min(rx, ry) * 0.3, withAlpha(bright, 150));
}

Canvas triangleCircle() {
  Canvas c(254, 243);
  const Rgba tone{255, 230, 90, 255};
  const Shape tri = polygon({{2, 2}, {252, 2}, {127, 241}});
  strokeShape(c, tri, 3, tone);
  strokeShape(c, polygon({{22, 14}, {232, 14}, {127, 215}}), 1.5, {255, 250, 200, 230});
  magicCircle(c, 127, 81, 70, 70, 3, {255, 200, 80, 255});
  return c;
}

Canvas ellipseCircle() {
  Canvas c(360, 200);
  magicCircle(c, 180, 100, 178, 98, 6, {120, 200, 255, 255});
  return c;
}

Canvas roundCircle() {
  Canvas c(128, 128);
  magicCircle(c, 64, 64, 62, 62, 5, {255, 120, 90, 255});
  return c;
}

// The stream's mark: a swirl, with a second pivot near its corner.
Canvas swirlMark() {
  Canvas c(64, 64);
  for (int k = 0; k < 40; ++k) {
    const double t = k / 39.0, a = t * 4 * kPi, r = 4 + t * 26;
    fillShape(c, circle(32 + r * std::cos(a), 32 + r * std::sin(a), 1 + 2 * t), {150, 220, 255, static_cast<uint8_t>(120 + 130 * t)});
  }
  fillShape(c, star(5, 5, 5, 2, 4), {255, 255, 255, 230});
  return c;
}

// The phoenix dance's feather, pivot at its lower-right corner.
Canvas featherMark() {
  Canvas c(48, 48);
  const Shape vane = polygon({{46, 46}, {30, 26}, {10, 4}, {16, 20}, {36, 40}});
  glowShape(c, vane, 3, {255, 150, 220, 150});
  fillShape(c, vane, linear(46, 46, 10, 4, {{0, {255, 210, 240, 255}}, {1, {200, 80, 180, 255}}}));
  fillShape(c, capsule(46, 46, 12, 6, 0.8), {255, 255, 255, 230});
  return c;
}

// A charge spark: a flame tongue standing on its pivot at the bottom centre.
Canvas chargeSpark(Rgba tone) {
  Canvas c(24, 32);
  const Shape tongue = unite(ellipse(12, 22, 7, 9), polygon({{6, 20}, {18, 20}, {12, 1}}));
  glowShape(c, tongue, 3, withAlpha(tone, 120));
  fillShape(c, tongue, linear(0, 1, 0, 31, {{0, {255, 255, 255, 255}}, {0.5, tone}, {1, withAlpha(tone, 60)}}));
  return c;
}

// A piece of the charge ring: its segment in rows 0-8, the pivot at (6, 32).
Canvas ringPiece(bool lit) {
  Canvas c(12, 32);
  const Shape seg = roundRect(2, 0.5, 8, 8, 2.5);
  if (lit) glowShape(c, seg, 2, {255, 120, 120, 180});
  fillShape(c, seg, lit ? Rgba{255, 90, 90, 255} : Rgba{60, 60, 80, 160});
  strokeShape(c, seg, 1, lit ? Rgba{255, 230, 220, 255} : Rgba{140, 150, 180, 180});
  return c;
}

Canvas slowRing() {
  Canvas c(64, 64);
  for (int k = 0; k < 12; ++k) {
    const double a = k * 2 * kPi / 12;
    const Shape dash = capsule(32 + 26 * std::cos(a), 32 + 26 * std::sin(a), 32 + 26 * std::cos(a + 0.3),
                               32 + 26 * std::sin(a + 0.3), 1.8);
    fillShape(c, dash, {160, 230, 255, 220});
  }
  strokeShape(c, circle(32, 32, 20), 1, {160, 230, 255, 110});
  return c;
}

Canvas hitDot() {
  Canvas c(10, 10);
  fillShape(c, circle(5, 5, 4.6), {255, 60, 80, 255});
  fillShape(c, circle(5, 5, 2.6), {255, 255, 255, 255});
  strokeShape(c, circle(5, 5, 4.6), 1, {60, 0, 20, 255});
  return c;
}

// The spawn marker at the top edge: a warning chevron.
Canvas spawnMarker() {
  Canvas c(32, 32);
  const Shape tri = polygon({{16, 4}, {30, 28}, {2, 28}});
  glowShape(c, tri, 3, {255, 80, 60, 140});
  fillShape(c, tri, linear(0, 4, 0, 28, {{0, {255, 230, 90, 255}}, {1, {255, 120, 40, 255}}}));
  strokeShape(c, tri, 1.5, {90, 30, 10, 255});
  fillShape(c, roundRect(14.5, 11, 3, 10, 1.5), {60, 20, 0, 255});
  fillShape(c, circle(16, 24.5, 1.8), {60, 20, 0, 255});
  return c;
}

Canvas streak() {
  Canvas c(128, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 128; ++x) {
      const double a = std::sin(kPi * x / 127.0) * (y == 1 || y == 2 ? 1.0 : 0.45);
      c.set(x, y, {255, 255, 255, static_cast<uint8_t>(std::lround(235 * a))});
    }
  return c;
}

// A closing plate: the words large over a banner, the reading under them.
Canvas banner(int w, int h, const std::string& words, const std::string& reading, Rgba tone) {
  Canvas c(w, h);
  const Shape band = polygon({{20, h * 0.2}, {w - 4.0, h * 0.2}, {w - 20.0, h * 0.8}, {4, h * 0.8}});
  shadowShape(c, band, 3, 4, 6, {0, 0, 10, 150});
  fillShape(c, band, linear(0, 0, w, 0, {{0, withAlpha(shade(tone, -0.6), 220)}, {0.5, withAlpha(shade(tone, -0.3), 235)}, {1, withAlpha(shade(tone, -0.6), 220)}}));
  strokeShape(c, band, 2, withAlpha(tone, 255));
  TextStyle big = ui::heading(static_cast<int>(h * 0.36));
  big.mincho = false;
  big.colour = mixColour(tone, {255, 255, 255, 255}, 0.55);
  big.edge = shade(tone, -0.75);
  c.writeInBox(10, h * 0.16, w - 20, h * 0.5, words, big);
  c.writeInBox(10, h * 0.55, w - 20, h * 0.24, reading, ui::label(static_cast<int>(h * 0.16), {255, 255, 255, 230}));
  return c;
}

}  // namespace

void makeEffectPictures(const Sources&, Outputs& out) {
  auto png = [&](int id, const Canvas& c) { out.add(imagePathOf(id), c.png(true)); };
  for (const SheetRow& sheet : registrySheets()) {
    const std::string name = sheet.name;
    if (name == "explosionSheet") out.add(sheet.path, explosionSheet().png(true));
    if (name == "smokeSheet") out.add(sheet.path, smokeSheet().png(true));
    if (name == "upAnimeSheet") out.add(sheet.path, sparkleSheet().png(true));
    if (name == "thunderSheet") out.add(sheet.path, thunderSheet().png(true));
    if (name == "circleSheet") out.add(sheet.path, shieldRings().png(true));
    if (name == "laserSheet") out.add(sheet.path, laserPieces().png(true));
  }
  png(16, laserBeam());
  png(14, afterBurn());
  png(57, specialPlate("閃凰舞", "せんおうぶ", {230, 90, 200, 255}));
  png(60, specialPlate("魔力放射", "まりょくほうしゃ", {240, 90, 80, 255}));
  png(74, specialPlate("旋流陣", "せんりゅうじん", {70, 170, 240, 255}));
  png(75, specialPlate("散雷牙", "さんらいが", {240, 200, 60, 255}));
  png(76, specialPlate("轟嵐", "ごうらん", {240, 120, 60, 255}));
  png(306, specialPlate("煌星", "きらすた", {180, 120, 255, 255}));
  png(58, featherMark());
  png(73, triangleCircle());
  png(77, ellipseCircle());
  png(79, swirlMark());
  png(107, roundCircle());
  png(53, chargeSpark({255, 150, 60, 255}));
  png(54, chargeSpark({150, 220, 255, 255}));
  png(190, ringPiece(false));
  png(191, ringPiece(true));
  png(367, slowRing());
  png(368, hitDot());
  png(61, spawnMarker());
  png(280, streak());
  png(194, banner(400, 100, "STAGE CLEAR", "ステージクリア", {255, 210, 110, 255}));
  png(50, banner(300, 100, "MISSION FAILED", "作戦失敗", {255, 110, 100, 255}));
  png(192, banner(300, 100, "MISSION COMPLETE", "作戦成功", {120, 220, 255, 255}));
}

}  // namespace demodata
