// The story's places, 800 x 600: the dormitory room in the morning, the
// hangar, the briefing room, the dormitory's roof at dusk, the night sky
// over the sea and the dawn; each with room in the middle for the people
// standing in front of it.
#include <cmath>
#include <string>

#include "tools/demodata/generator.h"
#include "tools/demodata/ui_kit.h"

namespace demodata {

namespace {

using namespace ui;

constexpr double kPi = 3.14159265358979323846;

void stars(Canvas& c, uint32_t seed, int count, double maxY, double brightness) {
  Random r(seed);
  for (int k = 0; k < count; ++k) {
    const double x = r.unit() * 800, y = r.unit() * maxY, size = 0.5 + r.unit() * r.unit() * 1.8;
    glowShape(c, circle(x, y, size * 0.5), size * 2.5,
              {235, 240, 255, static_cast<uint8_t>((80 + r.next() % 170) * brightness)});
  }
}

// A flock of star birds in a V: small swept shapes with a glint.
void flock(Canvas& c, double x, double y, double size, int birds, Rgba tone) {
  for (int k = 0; k < birds; ++k) {
    const int row = (k + 1) / 2, side = k % 2 == 0 ? 1 : -1;
    const double bx = x - row * size * 2.4, by = y + side * row * size * 1.6;
    fillShape(c, polygon({{bx + size, by}, {bx - size * 0.4, by - size}, {bx - size * 0.1, by}, {bx - size * 0.4, by + size}}), tone);
    glowShape(c, circle(bx + size * 0.6, by, size * 0.2), size * 0.8, {255, 250, 210, 200});
  }
}

// A stretch of cloud across the picture, soft, at a height.
void cloudBand(Canvas& c, uint32_t seed, double y0, double y1, Rgba tone, double density) {
  Canvas haze(800, 600);
  haze.clouds(seed, 120, density, tone);
  haze.fadeAlpha([&](int, int y) { return y < y0 || y >= y1 ? 0.0 : std::sin(kPi * (y - y0) / (y1 - y0)); });
  c.draw(haze, 0, 0);
}

Canvas dormRoom() {
  Canvas c(800, 600);
  // Walls of warm plaster, a wooden floor.
  c.verticalGradient({236, 222, 196, 255}, {214, 196, 166, 255});
  fillShape(c, rect(0, 430, 800, 170), linear(0, 430, 0, 600, {{0, {170, 120, 80, 255}}, {1, {120, 80, 50, 255}}}));
  for (int y = 440; y < 600; y += 22) fillShape(c, rect(0, y, 800, 1.5), {100, 66, 40, 180});
  fillShape(c, rect(0, 420, 800, 12), {150, 110, 70, 255});
  // The window with the morning sky, its curtains open.
  const Shape pane = rect(250, 70, 300, 240);
  fillShape(c, pane, linear(0, 70, 0, 310, {{0, {110, 170, 240, 255}}, {1, {220, 236, 250, 255}}}));
  Canvas sky(300, 110);
  cloudBank(sky, 0xD0, 8, 0, 1);
  c.draw(sky, 250, 200, 0.8);
  fillShape(c, rect(396, 70, 8, 240), {250, 246, 236, 255});
  fillShape(c, rect(250, 186, 300, 8), {250, 246, 236, 255});
  strokeShape(c, rect(244, 64, 312, 252), 8, {250, 246, 236, 255});
  for (int side = 0; side < 2; ++side) {
    const double x = side == 0 ? 200 : 530;
    const Shape curtain = polygon({{x, 50}, {x + 70, 50}, {x + (side == 0 ? 56 : 14), 330}, {x + (side == 0 ? 10 : 60), 340}});
    fillShape(c, curtain, linear(x, 0, x + 70, 0, {{0, {220, 120, 130, 255}}, {0.5, {240, 160, 170, 255}}, {1, {200, 100, 115, 255}}}));
  }
  fillShape(c, rect(180, 44, 440, 8), {140, 100, 70, 255});
  // Sunlight on the floor.
  fillShape(c, polygon({{250, 430}, {550, 430}, {640, 600}, {180, 600}}), {255, 250, 220, 50});
  // A bed on the left, a desk and shelf on the right.
  fillShape(c, roundRect(-20, 360, 190, 110, 10), linear(0, 360, 0, 470, {{0, {250, 250, 255, 255}}, {1, {190, 200, 220, 255}}}));
  fillShape(c, roundRect(-20, 330, 40, 150, 6), {150, 100, 60, 255});
  fillShape(c, roundRect(40, 350, 80, 30, 12), {255, 255, 255, 255});
  fillShape(c, rect(640, 300, 150, 14), {150, 100, 60, 255});
  fillShape(c, rect(650, 314, 12, 120), {130, 86, 50, 255});
  fillShape(c, rect(768, 314, 12, 120), {130, 86, 50, 255});
  for (int k = 0; k < 6; ++k) {
    const Rgba spine[] = {{180, 60, 60, 255}, {60, 110, 170, 255}, {220, 180, 80, 255}, {80, 140, 90, 255}};
    fillShape(c, rect(660 + 18 * k, 150 - (k % 3) * 6, 14, 60 + (k % 3) * 6), spine[k % 4]);
  }
  fillShape(c, rect(650, 210, 140, 8), {150, 100, 60, 255});
  c.avoidPureBlack();
  return c;
}

Canvas storyHangar() {
  Canvas c(800, 600);
  c.verticalGradient({70, 80, 100, 255}, {120, 124, 132, 255});
  // The open doors at the back, on the sky.
  fillShape(c, rect(200, 60, 400, 300), linear(0, 60, 0, 360, {{0, {110, 170, 240, 255}}, {1, {220, 236, 250, 255}}}));
  Canvas sky(400, 130);
  cloudBank(sky, 0x4A, 10, 0, 1);
  c.draw(sky, 200, 230, 0.85);
  for (int k = 0; k < 9; ++k) fillShape(c, rect(200 + 50 * k, 60, 3, 300), {60, 66, 80, 160});
  fillShape(c, rect(0, 0, 800, 60), {58, 64, 80, 255});
  for (int x = 0; x < 800; x += 100) fillShape(c, capsule(x, 60, x + 100, 0, 3), {80, 88, 104, 255});
  fillShape(c, rect(0, 360, 800, 240), linear(0, 360, 0, 600, {{0, {130, 134, 140, 255}}, {1, {80, 84, 92, 255}}}));
  for (int k = 0; k < 3; ++k) fillShape(c, polygon({{380.0 - 2 * k, 360}, {420.0 + 2 * k, 360}, {520.0 + 60 * k, 600}, {480.0 + 60 * k, 600}}), {230, 190, 60, 120});
  // Two craft parked at the sides, nose up towards the doors.
  for (int side = 0; side < 2; ++side) {
    const double cx = side == 0 ? 110 : 690;
    const Shape wing = polygon({{cx, 380}, {cx + 90, 470}, {cx + 80, 480}, {cx, 450}, {cx - 80, 480}, {cx - 90, 470}});
    fillShape(c, wing, linear(cx - 90, 0, cx + 90, 0, {{0, {210, 220, 236, 255}}, {1, {140, 150, 170, 255}}}));
    strokeShape(c, wing, 2, {40, 46, 60, 255});
    const Shape body = unite(ellipse(cx, 440, 16, 70), polygon({{cx, 350}, {cx + 10, 390}, {cx - 10, 390}}));
    fillShape(c, body, linear(cx - 16, 0, cx + 16, 0, {{0, {245, 248, 255, 255}}, {1, {150, 160, 180, 255}}}));
    strokeShape(c, body, 2, {40, 46, 60, 255});
    fillShape(c, ellipse(cx, 410, 6, 14), {90, 170, 230, 255});
  }
  c.avoidPureBlack();
  return c;
}

Canvas briefingRoom() {
  Canvas c(800, 600);
  c.verticalGradient({30, 40, 66, 255}, {18, 22, 38, 255});
  // The big screen with the map of the air lanes.
  const Shape screen = roundRect(140, 60, 520, 280, 8);
  fillShape(c, screen, linear(0, 60, 0, 340, {{0, {30, 80, 110, 255}}, {1, {16, 44, 70, 255}}}));
  for (int x = 150; x < 660; x += 40) fillShape(c, rect(x, 64, 1, 272), {90, 200, 230, 60});
  for (int y = 70; y < 340; y += 40) fillShape(c, rect(144, y, 512, 1), {90, 200, 230, 60});
  // Coasts and the flock's course.
  fillShape(c, polygon({{140, 250}, {230, 220}, {300, 260}, {360, 240}, {380, 340}, {140, 340}}), {60, 140, 110, 160});
  for (int k = 0; k < 14; ++k) fillShape(c, circle(220 + 28 * k, 200 - 60 * std::sin(k * 0.25), 3), {255, 220, 120, 230});
  fillShape(c, polygon({{610, 120}, {640, 140}, {610, 160}}), {255, 90, 90, 230});
  strokeShape(c, screen, 4, {120, 140, 170, 255});
  glowShape(c, screen, 30, {80, 200, 255, 40});
  // The table and the chairs' backs in the foreground.
  fillShape(c, polygon({{60, 470}, {740, 470}, {800, 600}, {0, 600}}), linear(0, 470, 0, 600, {{0, {90, 70, 56, 255}}, {1, {50, 36, 28, 255}}}));
  fillShape(c, rect(60, 462, 680, 10), {120, 96, 76, 255});
  for (int k = 0; k < 5; ++k) glowShape(c, ellipse(120 + 140 * k, 30, 40, 6), 20, {200, 220, 255, 40});
  c.avoidPureBlack();
  return c;
}

Canvas duskRoof() {
  Canvas c(800, 600);
  c.verticalGradient({70, 50, 110, 255}, {250, 150, 90, 255});
  stars(c, 0xD5, 60, 180, 0.6);
  glowShape(c, circle(600, 400, 50), 160, {255, 190, 120, 110});
  fillShape(c, circle(600, 400, 50), {255, 220, 160, 255});
  cloudBand(c, 0xD6, 300, 440, {255, 170, 150, 200}, 0.45);
  flock(c, 520, 150, 10, 9, {40, 30, 60, 255});
  // The dormitory's roof and chimney in the foreground.
  fillShape(c, polygon({{0, 470}, {320, 400}, {800, 470}, {800, 600}, {0, 600}}), linear(0, 400, 0, 600, {{0, {90, 50, 60, 255}}, {1, {40, 24, 34, 255}}}));
  for (int k = 0; k < 12; ++k) fillShape(c, capsule(0, 480 + 12 * k, 800, 480 + 12 * k + (k % 2), 0.8), {30, 16, 24, 150});
  fillShape(c, rect(120, 360, 40, 90), {80, 46, 50, 255});
  fillShape(c, rect(112, 352, 56, 12), {60, 34, 40, 255});
  c.avoidPureBlack();
  return c;
}

Canvas nightSea() {
  Canvas c(800, 600);
  c.verticalGradient({6, 10, 34, 255}, {30, 44, 96, 255});
  stars(c, 0x4E, 260, 420, 1.0);
  // The band of the star river.
  cloudBand(c, 0x4F, 60, 300, {150, 160, 230, 90}, 0.5);
  glowShape(c, circle(150, 110, 24), 60, {220, 230, 255, 80});
  fillShape(c, cut(circle(150, 110, 24), circle(162, 102, 22)), {240, 240, 220, 255});
  // The sea, with the moon's path on it.
  fillShape(c, rect(0, 430, 800, 170), linear(0, 430, 0, 600, {{0, {20, 34, 80, 255}}, {1, {8, 14, 40, 255}}}));
  Random r(0x4E2);
  for (int k = 0; k < 90; ++k) {
    const double y = 436 + r.unit() * 160, x = 80 + r.unit() * 160 + (y - 430) * 0.3;
    fillShape(c, capsule(x, y, x + 10 + r.unit() * 20, y, 0.8), {200, 210, 255, static_cast<uint8_t>(80 + r.next() % 100)});
  }
  // The enemy fleet's lights on the horizon.
  for (int k = 0; k < 5; ++k) {
    const double x = 470 + 60 * k;
    fillShape(c, polygon({{x, 428}, {x + 40, 428}, {x + 34, 436}, {x + 6, 436}}), {10, 12, 24, 255});
    glowShape(c, circle(x + 20, 424, 1.5), 5, {255, 90, 90, 200});
  }
  c.avoidPureBlack();
  return c;
}

Canvas dawnSky() {
  Canvas c(800, 600);
  c.verticalGradient({96, 120, 190, 255}, {255, 206, 170, 255});
  stars(c, 0xDA, 30, 120, 0.4);
  glowShape(c, circle(400, 560, 70), 240, {255, 230, 170, 120});
  fillShape(c, circle(400, 560, 70), {255, 240, 200, 255});
  for (int layer = 0; layer < 2; ++layer) {
    Canvas banks(900, 160 + 60 * layer);
    cloudBank(banks, 0xDB + layer, 18, 0, 1);
    // Tinted by the dawn.
    Canvas tint(banks.width(), banks.height());
    for (int y = 0; y < banks.height(); ++y)
      for (int x = 0; x < banks.width(); ++x) {
        const Rgba p = banks.at(x, y);
        tint.set(x, y, withAlpha(mixColour({p.r, p.g, p.b, 255}, {255, 190, 180, 255}, 0.45 - 0.2 * layer), p.a));
      }
    c.draw(tint, -50 * layer, 600 - banks.height() + 40 * (1 - layer), 0.95);
  }
  flock(c, 300, 200, 12, 11, {255, 248, 230, 255});
  c.avoidPureBlack();
  return c;
}

}  // namespace

void makeStoryPlaces(const Sources&, Outputs& out) {
  out.add("image/story/bg_dorm.jpg", dormRoom().jpeg(88));
  out.add("image/story/bg_hangar.jpg", storyHangar().jpeg(88));
  out.add("image/story/bg_brief.jpg", briefingRoom().jpeg(88));
  out.add("image/story/bg_dusk.jpg", duskRoof().jpeg(88));
  out.add("image/story/bg_night.jpg", nightSea().jpeg(88));
  out.add("image/story/bg_dawn.jpg", dawnSky().jpeg(88));
}

}  // namespace demodata
