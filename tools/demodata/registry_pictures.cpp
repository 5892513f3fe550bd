// The registry pictures no screen of the game opens, and the shadow: the
// stage editor's palette icons (shot patterns, movements, hit actions, the
// two enemy classes and the save button), kept so that every path of the
// game's table exists, drawn as small pictograms; and the soft shadow under
// every flying thing.
#include <cctype>
#include <cmath>
#include <string>

#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/shapes.h"

namespace demodata {

namespace {

constexpr double kPi = 3.14159265358979323846;

Canvas iconGround(Rgba tone) {
  Canvas c(64, 64);
  c.verticalGradient(shade(tone, -0.35), shade(tone, -0.65));
  strokeShape(c, roundRect(1, 1, 62, 62, 8), 2, shade(tone, 0.4));
  return c;
}

// A shot pattern: streams of dots fanning out from a gun at the top.
Canvas shotIcon(int n) {
  Canvas c = iconGround({70, 110, 200, 255});
  Random r(0x5407 + n);
  const int streams = 1 + n % 6;
  const double spread = n >= 100 ? 2 * kPi : 0.3 + (n % 4) * 0.35;
  fillShape(c, circle(32, 12, 5), {230, 230, 240, 255});
  for (int s = 0; s < streams; ++s) {
    const double a = kPi / 2 + (streams == 1 ? 0 : (s / double(streams - 1) - 0.5) * spread);
    for (int k = 1; k <= 4; ++k)
      fillShape(c, circle(32 + std::cos(a) * 11 * k, 12 + std::sin(a) * 11 * k, 2.6 - k * 0.3), {255, 210, 110, 255});
  }
  c.avoidPureBlack();
  return c;
}

// A movement: a path with an arrow head.
Canvas moveIcon(int n) {
  Canvas c = iconGround({60, 150, 110, 255});
  Random r(0x40E + n);
  double x = 14 + r.unit() * 36, y = 10, heading = kPi / 2 + (r.unit() - 0.5) * 1.4;
  const double turn = (r.unit() - 0.5) * 0.5;
  Point last{x, y};
  for (int k = 0; k < 12; ++k) {
    heading += turn;
    x = std::clamp(x + std::cos(heading) * 4, 8.0, 56.0);
    y = std::clamp(y + std::sin(heading) * 4, 8.0, 56.0);
    fillShape(c, capsule(last.x, last.y, x, y, 1.8), {230, 255, 235, 255});
    last = {x, y};
  }
  fillShape(c, polygon({{x + std::cos(heading) * 7, y + std::sin(heading) * 7},
                        {x + std::cos(heading + 2.4) * 6, y + std::sin(heading + 2.4) * 6},
                        {x + std::cos(heading - 2.4) * 6, y + std::sin(heading - 2.4) * 6}}),
            {230, 255, 235, 255});
  c.avoidPureBlack();
  return c;
}

// A hit action: a burst of n points.
Canvas hitIcon(int n) {
  Canvas c = iconGround({200, 90, 70, 255});
  glowShape(c, star(32, 32, 20, 8, 3 + n), 4, {255, 200, 120, 160});
  fillShape(c, star(32, 32, 20, 8, 3 + n), linear(0, 12, 0, 52, {{0, {255, 250, 200, 255}}, {1, {255, 140, 60, 255}}}));
  c.avoidPureBlack();
  return c;
}

Canvas classIcon(bool dual) {
  Canvas c = iconGround({120, 110, 160, 255});
  if (dual) {
    fillShape(c, circle(32, 36, 18), {170, 170, 180, 255});
    fillShape(c, circle(32, 36, 9), {90, 90, 100, 255});
    fillShape(c, roundRect(29, 8, 6, 26, 2), {210, 210, 220, 255});
  } else {
    fillShape(c, polygon({{32, 8}, {56, 42}, {36, 38}, {32, 56}, {28, 38}, {8, 42}}), {210, 210, 225, 255});
  }
  c.avoidPureBlack();
  return c;
}

Canvas saveIcon() {
  Canvas c = iconGround({90, 120, 150, 255});
  fillShape(c, roundRect(14, 14, 36, 36, 3), {220, 225, 235, 255});
  fillShape(c, rect(20, 14, 22, 12), {70, 80, 100, 255});
  fillShape(c, rect(20, 34, 24, 16), {250, 250, 250, 255});
  c.avoidPureBlack();
  return c;
}

// The shadow: a soft dark disc, scaled to each thing's size.
Canvas shadow() {
  Canvas c(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const double d = std::hypot(x + 0.5 - 8, y + 0.5 - 8) / 8;
      c.set(x, y, {0, 0, 10, static_cast<uint8_t>(d < 1 ? std::lround(150 * (1 - d * d)) : 0)});
    }
  return c;
}

int trailingNumber(const std::string& path) {
  const size_t dot = path.rfind('.');
  size_t start = dot;
  while (start > 0 && std::isdigit(static_cast<unsigned char>(path[start - 1]))) --start;
  return start == dot ? 0 : std::stoi(path.substr(start, dot - start));
}

}  // namespace

void makeRegistryPictures(const Sources&, Outputs& out) {
  for (const auto& [id, path] : registryImages()) {
    if (path.rfind("image/stageMaker/", 0) != 0) continue;
    const std::string name = path.substr(17);
    Canvas icon = name.rfind("shot", 0) == 0     ? shotIcon(trailingNumber(path))
                  : name.rfind("move", 0) == 0   ? moveIcon(trailingNumber(path))
                  : name.rfind("aftHit", 0) == 0 ? hitIcon(trailingNumber(path))
                  : name.rfind("enemyclass", 0) == 0 ? classIcon(name.find("dual") != std::string::npos)
                                                      : saveIcon();
    out.add(path, icon.jpeg(90));
  }
  out.add(imagePathOf(31), shadow().png(true));
}

}  // namespace demodata
