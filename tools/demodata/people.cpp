// The characters drawn from flat cel shapes: one head rig for every face,
// stand, bust and cut-in, set by the character's look, hair style and
// colours, and by the expression.
#include "tools/demodata/people.h"

#include <cmath>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "tools/demodata/shapes.h"

namespace demodata {

namespace {

constexpr Rgba kSkin{252, 228, 212, 255};
constexpr Rgba kSkinShade{238, 196, 182, 255};
constexpr Rgba kLine{70, 40, 50, 255};
constexpr Rgba kMouth{150, 58, 70, 255};

// RRGGBB; nothing for anything else.
std::optional<Rgba> hexColour(const std::string& hex) {
  if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
  const unsigned long v = std::stoul(hex, nullptr, 16);
  return Rgba{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), 255};
}

// A rig maps the head's own 120 x 120 frame (head centre near (60, 62))
// onto the canvas.
struct Rig {
  Canvas& c;
  double ox, oy, s;
  double X(double x) const { return ox + s * x; }
  double Y(double y) const { return oy + s * y; }
  Shape E(double x, double y, double rx, double ry) const { return ellipse(X(x), Y(y), s * rx, s * ry); }
  Shape Ci(double x, double y, double r) const { return circle(X(x), Y(y), s * r); }
  Shape R(double x, double y, double w, double h, double r = 0) const { return roundRect(X(x), Y(y), s * w, s * h, s * r); }
  Shape L(double x0, double y0, double x1, double y1, double r) const {
    return capsule(X(x0), Y(y0), X(x1), Y(y1), s * r);
  }
  Shape P(std::vector<Point> v) const {
    for (Point& p : v) p = {X(p.x), Y(p.y)};
    return polygon(std::move(v));
  }
  Shape Ring(double x, double y, double r, double w) const { return ring(X(x), Y(y), s * r, s * w); }
  void fill(const Shape& sh, Rgba col) const { fillShape(c, sh, col); }
  void paint(const Shape& sh, Rgba top, Rgba bottom, double y0, double y1) const {
    fillShape(c, sh, linear(0, Y(y0), 0, Y(y1), {{0, top}, {1, bottom}}));
  }
  void edge(const Shape& sh, Rgba col, double w = 1.2) const { strokeShape(c, sh, std::max(1.0, w * s), col); }
};

bool male(const Character& ch) { return ch.look == "boy" || ch.look == "man" || ch.look == "elder"; }

void hairFill(const Rig& r, const Character& ch, const Shape& sh, double y0, double y1) {
  r.paint(sh, shade(ch.hairColour, 0.18), shade(ch.hairColour, -0.22), y0, y1);
  r.edge(sh, shade(ch.hairColour, -0.6), 1.0);
}

// Hair behind the head; `length` is how far down long hair falls.
void backHair(const Rig& r, const Character& ch, double length) {
  const std::string& h = ch.hair;
  Shape back = r.E(60, 55, 39, 38);
  if (h == "long") back = unite(back, r.R(22, 50, 76, length - 50, 26));
  if (h == "wavy") {
    back = unite(back, r.R(19, 50, 82, length - 54, 30));
    for (int k = 0; k < 6; ++k) {
      const double y = 70 + (length - 80) * k / 5.0;
      back = unite(back, r.Ci(20 + (k % 2) * 3, y, 9));
      back = unite(back, r.Ci(100 - (k % 2) * 3, y, 9));
    }
  }
  if (h == "bob") back = unite(back, r.R(19, 44, 82, 52, 16));
  if (h == "twintails") {
    back = unite(back, r.E(13, 96, 12, 36));
    back = unite(back, r.E(107, 96, 12, 36));
  }
  if (h == "ponytail") back = unite(back, r.L(90, 44, 108, 104, 10));
  if (h == "side") back = unite(back, r.L(22, 56, 12, 122, 10));
  if (h == "bun") back = unite(back, r.Ci(60, 20, 15));
  if (h == "bandana") back = unite(back, r.L(84, 80, 94, 104, 7));
  if (h == "slick") back = unite(back, r.R(24, 46, 72, 58, 22));
  if (h == "hood") {
    r.paint(r.E(60, 62, 46, 50), shade(ch.outfit, 0.2), shade(ch.outfit, -0.3), 12, 112);
    r.edge(r.E(60, 62, 46, 50), {0, 0, 0, 255}, 1.2);
    return;
  }
  if (h == "cropped") back = r.E(60, 52, 35, 32);
  hairFill(r, ch, back, 15, length);
  if (h == "twintails") {
    r.fill(r.Ci(20, 64, 4.5), ch.accent);
    r.fill(r.Ci(100, 64, 4.5), ch.accent);
  }
}

Shape faceShape(const Rig& r, const Character& ch) {
  if (ch.look == "man" || ch.look == "elder")
    return unite(r.E(60, 58, 31, 31), r.P({{30, 58}, {90, 58}, {83, 90}, {60, 102}, {37, 90}}));
  if (ch.look == "boy") return unite(r.E(60, 58, 30, 30), r.P({{31, 60}, {89, 60}, {78, 90}, {60, 99}, {42, 90}}));
  return unite(r.E(60, 58, 30, 30), r.P({{31, 60}, {89, 60}, {76, 88}, {60, 98}, {44, 88}}));
}

struct EyeSet {
  double rx, ry, y;
};

EyeSet eyeSet(const Character& ch) {
  if (ch.look == "man" || ch.look == "elder") return {8, 5.5, 68};
  if (ch.look == "boy") return {8, 7.5, 68};
  if (ch.look == "child") return {9, 11, 68};
  return {8.5, 10, 68};
}

// One open eye; lid > 0 lowers the upper lid by that share of the eye,
// slanting towards the nose when slant > 0 (anger) or away (sorrow).
void openEye(const Rig& r, const Character& ch, double x, const EyeSet& e, double wide, double lid, double slant,
             bool left) {
  const double rx = e.rx * wide, ry = e.ry * wide;
  const Shape white = r.E(x, e.y, rx, ry);
  r.fill(white, {255, 255, 255, 255});
  const double irisR = wide > 1.05 ? 0.62 : 0.8;
  const Shape iris = overlap(r.E(x, e.y + 0.8, rx * irisR, ry * irisR * 0.98), white);
  fillShape(r.c, iris, linear(0, r.Y(e.y - ry), 0, r.Y(e.y + ry), {{0, shade(ch.eyes, -0.55)}, {0.55, ch.eyes}, {1, shade(ch.eyes, 0.45)}}));
  r.fill(overlap(r.E(x, e.y + 1.2, rx * irisR * 0.45, ry * irisR * 0.5), white), shade(ch.eyes, -0.75));
  r.fill(r.Ci(x - rx * 0.3, e.y - ry * 0.35, std::max(1.2, rx * 0.24)), {255, 255, 255, 245});
  r.fill(r.Ci(x + rx * 0.3, e.y + ry * 0.35, std::max(0.7, rx * 0.11)), {255, 255, 255, 220});
  if (lid > 0) {
    const double top = e.y - ry - 2, edgeY = e.y - ry + 2 * ry * lid;
    const double inner = left ? x + rx + 2 : x - rx - 2, outer = left ? x - rx - 2 : x + rx + 2;
    const double innerY = edgeY + slant * ry * 0.5, outerY = edgeY - slant * ry * 0.5;
    r.fill(r.P({{outer, top}, {inner, top}, {inner, innerY}, {outer, outerY}}), kSkin);
    r.fill(r.L(outer + (left ? 1 : -1), outerY, inner - (left ? 2 : -2), innerY, 1.3), shade(ch.hairColour, -0.7));
  } else {
    // The upper lash line: a crescent over the eye.
    const Shape lash = overlap(cut(r.E(x, e.y - 0.6, rx + 1.4, ry + 1.0), r.E(x, e.y + 1.2, rx + 0.2, ry)),
                               r.R(x - rx - 4, e.y - ry - 4, 2 * rx + 8, ry * 0.9 + 2));
    r.fill(lash, shade(ch.hairColour, -0.72));
    if (!male(ch)) r.fill(r.L(left ? x - rx - 0.5 : x + rx + 0.5, e.y - ry * 0.35, left ? x - rx - 3 : x + rx + 3,
                              e.y - ry * 0.55, 0.8),
                          shade(ch.hairColour, -0.72));
  }
}

// A shut eye: an arc, bowed up (happy) or down (calm or sad).
void shutEye(const Rig& r, const Character& ch, double x, const EyeSet& e, bool happy) {
  const Rgba ink = shade(ch.hairColour, -0.72);
  if (happy) r.fill(cut(r.Ring(x, e.y + 4, e.rx * 0.85, 1.2), r.R(x - 20, e.y + 3, 40, 20)), ink);
  else r.fill(cut(r.Ring(x, e.y - 4, e.rx * 0.85, 1.2), r.R(x - 20, e.y - 25, 40, 21)), ink);
}

void brow(const Rig& r, const Character& ch, double x, bool left, double raise, double tilt) {
  // tilt > 0: the inner end down (anger); < 0: the inner end up (sorrow).
  const double inner = left ? x + 7 : x - 7, outer = left ? x - 8 : x + 8;
  const double y = 54 - raise;
  const double thick = male(ch) ? 1.8 : 1.1;
  r.fill(r.L(outer, y - 1 + tilt * -1.5, inner, y + tilt * 3, thick), shade(ch.hairColour, -0.55));
}

void mouth(const Rig& r, int expression) {
  switch (expression) {
    case 2:
    case 8: {
      const double w = expression == 8 ? 8 : 6.5;
      const Shape open = overlap(r.E(60, 85.5, w, 6), r.R(45, 85.5, 30, 10));
      r.fill(open, kMouth);
      r.fill(overlap(r.E(60, 90.5, w * 0.55, 2.4), open), {240, 140, 150, 255});
      r.fill(r.L(60 - w, 85.5, 60 + w, 85.5, 0.8), kLine);
      break;
    }
    case 3:
      r.fill(r.P({{54, 89}, {66, 89}, {64, 93}, {56, 93}}), kMouth);
      r.fill(cut(r.Ring(60, 92, 6, 0.9), r.R(50, 89, 20, 10)), kLine);
      break;
    case 4:
      r.fill(r.E(60, 89, 3.4, 4.4), kMouth);
      break;
    case 5:
      r.fill(cut(r.Ring(60, 94, 5.5, 0.9), r.R(50, 92, 20, 10)), kLine);
      break;
    case 6:
      r.fill(cut(r.Ring(60, 83, 5.5, 1.0), r.R(50, 72, 20, 12)), kLine);
      r.fill(r.E(62, 88.6, 2.2, 1.6), {240, 130, 140, 255});
      break;
    case 7:
      r.fill(r.L(55, 88.5, 65, 88, 0.9), kLine);
      break;
    default:
      r.fill(cut(r.Ring(60, 83, 5, 0.9), r.R(50, 72, 20, 12)), kLine);
  }
}

// Hair over the forehead, and the character's trims.
void frontHair(const Rig& r, const Character& ch) {
  const std::string& h = ch.hair;
  Shape cap = overlap(r.E(60, 50, 39, 32), r.R(0, 0, 120, 56));
  auto strand = [&](double x0, double x1, double tipX, double tipY) { cap = unite(cap, r.P({{x0, 42}, {x1, 42}, {tipX, tipY}})); };
  if (h == "bob") {
    cap = overlap(r.E(60, 52, 40, 34), r.R(0, 0, 120, 58));
  } else if (h == "spiky") {
    cap = overlap(r.E(60, 48, 38, 30), r.R(0, 0, 120, 50));
    for (int k = 0; k < 6; ++k) {
      const double x = 26 + 13.6 * k;
      cap = unite(cap, r.P({{x - 8, 30}, {x + 8, 30}, {x + 2 + (k - 2.5) * 2, 8.0 + (k % 2) * 5}}));
      cap = unite(cap, r.P({{x - 6, 44}, {x + 7, 44}, {x + 3, 58.0 + (k % 2) * 3}}));
    }
  } else if (h == "cropped") {
    cap = overlap(r.E(60, 49, 36, 27), r.R(0, 0, 120, 47));
  } else if (h == "slick") {
    // Swept back from a widow's peak, one lock fallen forward.
    cap = r.P({{22, 56}, {26, 32}, {44, 18}, {60, 15}, {76, 18}, {94, 32}, {98, 56}, {86, 40}, {60, 50}, {34, 40}});
    cap = unite(cap, r.P({{66, 42}, {74, 40}, {71, 64}}));
  } else if (h == "hood") {
    cap = overlap(r.E(60, 50, 32, 24), r.R(0, 0, 120, 54));
    strand(42, 54, 47, 60);
    strand(56, 70, 64, 61);
  } else if (h == "side") {
    cap = unite(cap, r.P({{30, 42}, {70, 40}, {36, 66}}));
    strand(62, 80, 76, 60);
    strand(76, 92, 88, 64);
  } else if (h == "bun") {
    cap = overlap(r.E(60, 48, 39, 30), r.R(0, 0, 120, 50));
    cap = unite(cap, r.P({{58, 36}, {32, 44}, {28, 62}}));
    cap = unite(cap, r.P({{62, 36}, {88, 44}, {92, 62}}));
  } else {
    strand(26, 40, 32, 66);
    strand(36, 54, 45, 64);
    strand(50, 68, 60, 62);
    strand(64, 82, 73, 64);
    strand(78, 94, 88, 66);
  }
  if (h == "long" || h == "wavy" || h == "twintails") {
    cap = unite(cap, r.L(30, 52, 26, 98, 5));
    cap = unite(cap, r.L(90, 52, 94, 98, 5));
  }
  hairFill(r, ch, cap, 14, 66);
  // Two glints on the crown.
  if (h != "hood") {
    const Rgba glint = withAlpha(shade(ch.hairColour, 0.6), 150);
    r.fill(r.L(40, 34, 50, 27, 1.6), glint);
    r.fill(r.L(58, 24, 70, 25, 1.6), glint);
  }
  if (h == "hood") {
    const Shape hood = cut(r.E(60, 60, 45, 49), r.E(60, 68, 31, 34));
    r.paint(overlap(hood, r.R(0, 0, 120, 84)), shade(ch.outfit, 0.25), shade(ch.outfit, -0.2), 10, 80);
    r.edge(overlap(hood, r.R(0, 0, 120, 84)), {0, 0, 0, 255}, 1);
  }
}

void trims(const Rig& r, const Character& ch) {
  const std::string& id = ch.id;
  if (id == "oruna") {  // a ribbon on the right of the crown
    r.fill(r.P({{82, 22}, {98, 12}, {98, 32}}), ch.accent);
    r.fill(r.P({{82, 22}, {68, 10}, {70, 32}}), ch.accent);
    r.edge(r.P({{82, 22}, {98, 12}, {98, 32}}), {180, 60, 110, 255}, 0.8);
    r.edge(r.P({{82, 22}, {68, 10}, {70, 32}}), {180, 60, 110, 255}, 0.8);
    r.fill(r.Ci(82, 22, 3.5), {230, 90, 140, 255});
  } else if (id == "velk") {  // flying goggles pushed up
    r.fill(r.R(22, 30, 76, 7, 3), {80, 60, 40, 255});
    for (double gx : {46.0, 74.0}) {
      r.fill(r.Ci(gx, 32, 9), {120, 100, 70, 255});
      fillShape(r.c, r.Ci(gx, 32, 6.5), radial(r.X(gx - 2), r.Y(30), r.s * 8, {{0, {200, 240, 255, 255}}, {1, {60, 120, 170, 255}}}));
    }
  } else if (id == "hobe") {  // a small tiara
    r.fill(r.P({{44, 26}, {76, 26}, {72, 20}, {66, 24}, {60, 14}, {54, 24}, {48, 20}}), ch.accent);
    r.fill(r.Ci(60, 21, 2.2), {120, 200, 255, 255});
  } else if (id == "pesa") {  // a flower pin
    for (int k = 0; k < 5; ++k) {
      const double a = k * 2 * 3.14159265 / 5;
      r.fill(r.Ci(30 + 5 * std::cos(a), 40 + 5 * std::sin(a), 3.5), ch.accent);
    }
    r.fill(r.Ci(30, 40, 2.5), {255, 190, 80, 255});
  } else if (id == "dolu" || id == "saffo") {  // a hair clip
    r.fill(r.L(82, 38, 92, 44, 1.8), ch.accent);
  } else if (id == "temu") {  // a bandana with its knot
    const Shape band = overlap(r.E(60, 46, 40, 30), r.R(0, 0, 120, 40));
    r.paint(band, shade(ch.accent, 0.1), shade(ch.accent, -0.25), 16, 40);
    r.edge(band, shade(ch.accent, -0.6), 0.8);
    r.fill(r.P({{90, 34}, {104, 30}, {100, 42}}), shade(ch.accent, -0.1));
  } else if (id == "taisyo") {  // a peaked cap
    const Shape crown = overlap(r.E(60, 40, 38, 24), r.R(0, 0, 120, 44));
    r.paint(crown, shade(ch.outfit, 0.2), shade(ch.outfit, -0.3), 16, 44);
    r.fill(r.R(22, 40, 76, 6, 3), shade(ch.outfit, -0.5));
    r.fill(r.E(60, 47, 30, 4), {30, 30, 30, 255});
    r.fill(star(r.X(60), r.Y(31), r.s * 5, r.s * 2, 5), ch.accent);
  }
  if (id == "ryotyo") {  // glasses
    for (double gx : {46.0, 74.0}) r.fill(r.Ring(gx, 68, 10.5, 0.8), {60, 50, 70, 255});
    r.fill(r.L(56, 67, 64, 67, 0.7), {60, 50, 70, 255});
  }
  if (id == "zemm") {  // a monocle and a scar
    r.fill(r.Ring(74, 68, 10, 1.0), ch.accent);
    r.fill(r.L(84, 70, 92, 90, 0.5), ch.accent);
    r.fill(r.L(38, 58, 50, 82, 0.9), {180, 90, 90, 255});
  }
  if (ch.look == "elder") {  // a moustache
    r.fill(unite(r.E(53, 86, 8, 3), r.E(67, 86, 8, 3)), shade(ch.hairColour, -0.1));
    r.fill(r.L(40, 76, 44, 79, 0.5), kSkinShade);
    r.fill(r.L(80, 76, 76, 79, 0.5), kSkinShade);
  }
}

// The head with its expression; hair behind it too when hairLength > 0
// (a stand draws that before the body).
void head(const Rig& r, const Character& ch, int expression, double hairLength) {
  if (hairLength > 0) backHair(r, ch, hairLength);
  // The neck and a collar of the outfit.
  r.paint(r.R(51, 86, 18, 30, 4), kSkinShade, kSkin, 86, 116);
  r.fill(r.E(29.5, 68, 4.5, 7), kSkin);
  r.fill(r.E(90.5, 68, 4.5, 7), kSkin);
  const Shape face = faceShape(r, ch);
  r.paint(face, kSkin, shade(kSkin, -0.03), 30, 100);
  r.edge(face, {190, 130, 120, 255}, 0.7);
  // Shade under the fringe.
  r.fill(overlap(face, r.E(60, 48, 34, 18)), {220, 170, 160, 90});
  const EyeSet e = eyeSet(ch);
  const bool blush = expression == 2 || expression == 6 || expression == 8 || (!male(ch) && expression == 1);
  if (blush) {
    r.fill(r.E(42, 81, 7, 3.2), {250, 130, 150, 70});
    r.fill(r.E(78, 81, 7, 3.2), {250, 130, 150, 70});
  }
  double raise = 0, tilt = 0, wide = 1, lid = 0, slant = 0;
  switch (expression) {
    case 3: tilt = 1; lid = 0.32; slant = 0.8; break;
    case 4: raise = 4; wide = 1.15; break;
    case 5: tilt = -1; lid = 0.25; slant = -0.7; break;
    case 7: tilt = 0.5; lid = 0.22; slant = 0.4; break;
    default: break;
  }
  for (int side = 0; side < 2; ++side) {
    const bool left = side == 0;
    const double x = left ? 46 : 74;
    if (expression == 8 || (expression == 6 && left)) shutEye(r, ch, x, e, true);
    else openEye(r, ch, x, e, wide, lid, slant, left);
    brow(r, ch, x, left, raise, tilt);
  }
  if (expression == 5) r.fill(r.E(36, 80, 1.6, 3), {150, 210, 255, 200});
  r.fill(r.L(60, 77.5, 59, 80, 0.6), {210, 150, 140, 255});
  mouth(r, expression);
  frontHair(r, ch);
  trims(r, ch);
}

// The figure under the head of a stand: a flying jacket with a scarf,
// sleeves with cuffs, a pleated skirt or trousers, knee boots.
void body(const Rig& r, const Character& ch) {
  const Rgba suit = ch.outfit, trim = ch.accent;
  const Rgba edge = shade(suit, -0.65);
  const bool skirt = !male(ch) && ch.look != "child";
  // Legs, then boots to the knee.
  for (double lx : {49.0, 71.0}) {
    r.paint(r.L(lx, 200, lx + (lx < 60 ? -1 : 1), 280, 6.2), kSkin, kSkinShade, 200, 280);
    const Shape boot = unite(r.R(lx - 7.5, 252, 15, 40, 4), r.E(lx + (lx < 60 ? -2 : 2), 291, 9, 5));
    r.paint(boot, {110, 84, 70, 255}, {44, 32, 30, 255}, 252, 296);
    r.edge(boot, {24, 16, 16, 255}, 0.8);
    r.fill(r.R(lx - 7.5, 254, 15, 4, 1.5), shade(trim, -0.2));
  }
  if (!skirt) {
    for (double lx : {49.0, 71.0}) {
      const Shape leg = r.L(lx, 186, lx + (lx < 60 ? -1 : 1), 258, 8);
      r.paint(leg, shade(suit, -0.05), shade(suit, -0.4), 186, 258);
      r.edge(leg, edge, 0.8);
    }
  }
  // The arms, a little out from the body, bent at the elbow.
  for (int side = 0; side < 2; ++side) {
    const double d = side == 0 ? -1 : 1;
    const double sx = 60 + d * 24, ex = 60 + d * 31, wx = 60 + d * 30;
    const Shape upper = r.L(sx, 114, ex, 150, 7.2), lower = r.L(ex, 150, wx, 184, 6.4);
    r.paint(unite(upper, lower), shade(suit, 0.15), shade(suit, -0.3), 108, 188);
    r.edge(unite(upper, lower), edge, 0.8);
    r.fill(r.R(wx - 6.5, 178, 13, 6, 2), trim);  // the cuff
    r.fill(r.E(wx, 190, 5.8, 6.5), kSkin);
    r.edge(r.E(wx, 190, 5.8, 6.5), {190, 130, 120, 255}, 0.5);
  }
  // The jacket: round shoulders, a waist, a hem over the hips.
  const Shape torso = unite(r.P({{38, 108}, {82, 108}, {86, 124}, {79, 170}, {82, 196}, {38, 196}, {41, 170}, {34, 124}}),
                            unite(r.Ci(39, 116, 8), r.Ci(81, 116, 8)));
  r.paint(torso, shade(suit, 0.25), shade(suit, -0.3), 104, 196);
  r.edge(torso, edge, 1);
  // The scarf round the neck, its tail over a shoulder.
  r.paint(r.E(60, 110, 15, 6.5), shade(trim, 0.2), shade(trim, -0.2), 104, 117);
  r.paint(r.P({{66, 112}, {74, 112}, {78, 138}, {70, 136}}), shade(trim, 0.1), shade(trim, -0.3), 112, 138);
  r.edge(r.E(60, 110, 15, 6.5), shade(trim, -0.6), 0.6);
  // The front's seam, buttons and the belt.
  r.fill(r.L(60, 117, 60, 194, 0.7), edge);
  for (int b = 0; b < 3; ++b) r.fill(r.Ci(63.5, 128 + 14 * b, 1.4), {230, 200, 90, 255});
  r.fill(r.R(40, 168, 40, 6, 2), shade(trim, -0.35));
  r.fill(r.R(57, 167, 6, 8, 1), {230, 200, 90, 255});
  // A wing badge on the chest.
  r.fill(r.P({{48, 134}, {44, 130}, {53, 132}}), {240, 210, 120, 255});
  r.fill(r.P({{48, 134}, {52, 130}, {43, 132}}), {240, 210, 120, 255});
  if (skirt) {
    const Shape sk = r.P({{41, 186}, {79, 186}, {90, 230}, {30, 230}});
    r.paint(sk, shade(suit, 0.05), shade(suit, -0.35), 186, 230);
    for (int k = 1; k < 5; ++k) r.fill(r.L(41 + 7.6 * k, 188, 30 + 12 * k, 229, 0.5), withAlpha(edge, 160));
    r.edge(sk, edge, 1);
    r.fill(r.R(31, 226, 58, 3.5, 1), trim);
  }
}

}  // namespace

std::vector<Character> parseCharacters(const std::string& tsv) {
  std::vector<Character> out;
  std::istringstream lines(tsv);
  std::string line;
  int lineNo = 0;
  while (std::getline(lines, line)) {
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream f(line);
    Character c;
    std::string hair, eyes, outfit, accent;
    if (!std::getline(f, c.id, '\t') || !std::getline(f, c.look, '\t') || !std::getline(f, c.hair, '\t') ||
        !std::getline(f, hair, '\t') || !std::getline(f, eyes, '\t') || !std::getline(f, outfit, '\t') ||
        !std::getline(f, accent, '\t') || !(f >> c.pitch) || !(f >> c.voice))
      throw std::runtime_error("characters.tsv line " + std::to_string(lineNo) + ": seven fields, a pitch and a voice wanted");
    const auto h = hexColour(hair), e = hexColour(eyes), o = hexColour(outfit), a = hexColour(accent);
    if (!h || !e || !o || !a) throw std::runtime_error("characters.tsv line " + std::to_string(lineNo) + ": a colour is not RRGGBB");
    c.hairColour = *h;
    c.eyes = *e;
    c.outfit = *o;
    c.accent = *a;
    out.push_back(c);
  }
  return out;
}

const Character& characterOf(const std::vector<Character>& all, const std::string& id) {
  for (const Character& c : all)
    if (c.id == id) return c;
  throw std::runtime_error("characters.tsv has no character " + id);
}

const Speaker& speakerForPlate(int k) {
  static const std::vector<Speaker> plates = [] {
    std::vector<Speaker> v(12);
    v[6] = {"その他", "", {110, 120, 150, 255}};
#define VEZIV_SPEAKER(name, character, red, green, blue, plate, impression)                         \
  if ((plate) >= 0 && (plate) < 12 && std::string(name) != "ナ")                                     \
    v[plate] = {name, character,                                                                     \
                shade(Rgba{static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue), 255}, \
                      -0.42)};
#include "game/story/speaker_table.inc"
    return v;
  }();
  return plates.at(static_cast<size_t>(k));
}

Canvas drawFace(const Character& ch, int expression) {
  Canvas c(120, 120);
  // The ground behind the face: the character's colour, soft.
  c.verticalGradient(shade(ch.outfit, 0.72), shade(ch.outfit, 0.35));
  for (int k = 0; k < 3; ++k)
    fillShape(c, circle(18 + 40 * k, 20 + 25 * (k % 2), 14), withAlpha(shade(ch.outfit, 0.85), 90));
  const Rig r{c, 0, 4, 1};
  head(r, ch, expression, 140);
  // The shoulders of the outfit at the foot.
  const Shape shoulders = r.E(60, 128, 48, 22);
  r.paint(shoulders, shade(ch.outfit, 0.25), shade(ch.outfit, -0.2), 106, 130);
  r.fill(r.P({{50, 106}, {70, 106}, {60, 120}}), ch.accent);
  c.avoidPureBlack();
  return c;
}

Canvas drawStand(const Character& ch) {
  Canvas c(300, 460);
  const double s = 1.45;
  // The figure keeps near x 90 and left of x 180: the battle set-up screen
  // writes its labels from x 230 beside a portrait drawn at x 50.
  const Rig r{c, 90 - 60 * s, 8, s};
  // Long hair falls behind the back, so it goes first.
  backHair(r, ch, ch.hair == "long" || ch.hair == "wavy" ? 175 : 120);
  body(r, ch);
  head(r, ch, 1, 0);
  return c;
}

Canvas drawBust(const Character& ch, int w, int h) {
  Canvas c(w, h);
  const double s = w / 130.0;
  const Rig r{c, (w - 120 * s) / 2, 0, s};
  backHair(r, ch, ch.hair == "long" || ch.hair == "wavy" ? 175 : 120);
  body(r, ch);
  head(r, ch, 2, 0);
  return c;
}

Canvas drawCutIn(const Character& ch) {
  Canvas strip(256, 80);
  // A band in the character's colour, with the eyes close up over it.
  strip.verticalGradient(shade(ch.outfit, 0.1), shade(ch.outfit, -0.5));
  for (int k = 0; k < 9; ++k)
    fillShape(strip, rect(20 + 30 * k, 0, 3, 80), withAlpha(shade(ch.outfit, 0.5), 60));
  const double s = 2.6;
  const Rig r{strip, 128 - 60 * s, 40 - 66 * s, s};
  head(r, ch, 7, 140);
  strokeShape(strip, rect(0, 0, 256, 80), 2, {255, 255, 255, 220});
  // Fade the ends so the strip sits in the battle's dark band.
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 256; ++x) {
      const double t = std::min({x / 40.0, (255 - x) / 40.0, 1.0});
      Rgba p = strip.at(x, y);
      p.a = static_cast<uint8_t>(p.a * t);
      strip.set(x, y, p);
    }
  return strip;
}

Canvas drawNoFace() {
  Canvas c(120, 120);
  c.verticalGradient({20, 28, 70, 255}, {50, 64, 130, 255});
  Random rnd(260);
  for (int k = 0; k < 40; ++k)
    fillShape(c, circle(rnd.unit() * 120, rnd.unit() * 120, 0.5 + rnd.unit()), {230, 235, 255, 200});
  glowShape(c, star(60, 58, 26, 10, 4), 16, {200, 220, 255, 110});
  fillShape(c, star(60, 58, 26, 10, 4), linear(0, 32, 0, 84, {{0, {255, 250, 220, 255}}, {1, {255, 200, 110, 255}}}));
  strokeShape(c, rect(0, 0, 120, 120), 2, {210, 220, 255, 255});
  c.avoidPureBlack();
  return c;
}

}  // namespace demodata
