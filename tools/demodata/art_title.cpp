// The title and the start-up's pictures: the title sky and its cloud banks,
// the plane's trail, the logo, the row bar behind the title's rows, the
// caution screen's ground, the Back button, the mute marks, the highlight
// bar and the help balloon's pieces.
#include <cmath>

#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/ui_kit.h"

namespace demodata {

namespace {

using namespace ui;

// The sky: deep blue at the top, pale towards the horizon, thin high
// clouds.
Canvas titleSky() {
  Canvas c(800, 600);
  c.verticalGradient({52, 110, 214, 255}, {176, 218, 250, 255});
  Canvas haze(800, 600);
  haze.clouds(0x71, 180, 0.42, {255, 255, 255, 150});
  haze.fadeAlpha([](int, int y) { return 0.35 + 0.4 * y / 600.0; });
  c.draw(haze, 0, 0);
  // A pale sun high on the right.
  glowShape(c, circle(650, 90, 26), 110, {255, 250, 230, 110});
  fillShape(c, circle(650, 90, 26), {255, 253, 240, 230});
  return c;
}

Canvas bank(int w, int h, uint32_t seed, int puffs, int towards) {
  Canvas c(w, h);
  cloudBank(c, seed, puffs, towards);
  return c;
}

Canvas logo() {
  Canvas c(540, 160);
  TextStyle title;
  title.px = 100;
  title.mincho = true;
  title.bold = true;
  title.edge = {30, 50, 120, 255};
  title.edgeWidth = 5;
  title.shadow = {10, 20, 60, 140};
  title.shadowDx = 4;
  title.shadowDy = 5;
  const int w = c.measure("ペルヴァロ", title);
  writeGradient(c, (540 - w) / 2.0, 4, "ペルヴァロ", title,
                linear(0, 14, 0, 110, {{0, {255, 255, 255, 255}}, {0.55, {255, 244, 200, 255}}, {1, {255, 196, 110, 255}}}));
  TextStyle sub = label(30);
  sub.mincho = true;
  sub.edge = {30, 50, 120, 255};
  sub.edgeWidth = 3;
  const std::string subtitle = "～ほしの渡り鳥たち～";
  c.write((540 - c.measure(subtitle, sub)) / 2.0, 118, subtitle, sub);
  for (int k = 0; k < 3; ++k) {
    const double x = 60 + 420 * (k % 2) + (k == 2 ? 210 : 0), y = k == 2 ? 118 : 24;
    glowShape(c, star(x, y, 9, 3.5, 4), 6, {255, 250, 200, 150});
    fillShape(c, star(x, y, 9, 3.5, 4), {255, 252, 230, 255});
  }
  return c;
}

// The trail the title's plane leaves: it fades towards its tail.
Canvas trail() {
  Canvas c(230, 8);
  for (int x = 0; x < 230; ++x)
    for (int y = 0; y < 8; ++y) {
      const double a = std::pow(x / 229.0, 1.5) * std::sin(3.14159 * (y + 0.5) / 8);
      c.set(x, y, {255, 255, 255, static_cast<uint8_t>(std::lround(230 * a))});
    }
  return c;
}

Canvas rowBar() {
  Canvas c(211, 56);
  const Shape pill = roundRect(2, 4, 207, 48, 24);
  fillShape(c, pill, linear(0, 4, 0, 52, {{0, {70, 120, 220, 210}}, {1, {22, 44, 120, 210}}}));
  fillShape(c, overlap(roundRect(5, 7, 201, 42, 21), rect(0, 0, 211, 26)), {255, 255, 255, 50});
  strokeShape(c, pill, 2, {230, 240, 255, 230});
  return c;
}

Canvas cautionGround() {
  Canvas c = titleSky();
  Canvas dusk(800, 600);
  dusk.verticalGradient({40, 52, 110, 255}, {235, 150, 110, 255});
  c.draw(dusk, 0, 0, 0.7);
  c.avoidPureBlack();
  return c;
}

Canvas backButton(bool pushed) {
  Canvas c(90, 45);
  button(c, 2, 4, 86, 38, "戻る", pushed);
  return c;
}

Canvas muteIcon(bool music) {
  Canvas c(24, 24);
  fillShape(c, circle(12, 12, 11), {30, 36, 70, 220});
  strokeShape(c, circle(12, 12, 11), 1.2, kRim);
  if (music) {
    fillShape(c, ellipse(9, 16, 3.5, 2.6), kWhite);
    fillShape(c, rect(11.5, 5, 1.8, 11), kWhite);
    fillShape(c, polygon({{11.5, 5}, {18, 7}, {18, 10}, {11.5, 8}}), kWhite);
  } else {
    fillShape(c, polygon({{5, 9}, {9, 9}, {14, 5}, {14, 19}, {9, 15}, {5, 15}}), kWhite);
  }
  fillShape(c, capsule(5, 5, 19, 19, 1.6), {240, 60, 60, 255});
  return c;
}

// The highlight bar: a left cap in 0..10, a middle in 11..21 that is
// repeated, a right cap in 21..31.
Canvas highlightBar() {
  Canvas c(32, 26);
  const Rgba top{90, 150, 240, 235}, bottom{30, 70, 170, 235};
  for (int y = 0; y < 26; ++y)
    for (int x = 11; x <= 21; ++x) c.set(x, y, mixColour(top, bottom, y / 25.0));
  fillShape(c, overlap(circle(11.5, 13, 12.5), rect(0, 0, 11, 26)), linear(0, 0, 0, 26, {{0, top}, {1, bottom}}));
  fillShape(c, overlap(circle(20.5, 13, 12.5), rect(22, 0, 10, 26)), linear(0, 0, 0, 26, {{0, top}, {1, bottom}}));
  for (int x = 0; x < 32; ++x) {
    c.blend(x, 1, {220, 235, 255, 255}, 0.7);
    c.blend(x, 24, {10, 20, 60, 255}, 0.5);
  }
  return c;
}

// The balloon's body: the middle tile, and its rounded left end (mirrored
// for the right).
Canvas balloonMiddle() {
  Canvas c(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const Rgba body = mixColour({40, 56, 120, 225}, {16, 24, 64, 225}, y / 15.0);
      c.set(x, y, y == 0 || y == 15 ? Rgba{220, 230, 255, 235} : body);
    }
  return c;
}

Canvas balloonEnd() {
  Canvas c(16, 16);
  const Shape end = unite(circle(8.5, 8, 8), rect(8.5, 0, 8, 16));
  fillShape(c, end, linear(0, 0, 0, 16, {{0, {40, 56, 120, 225}}, {1, {16, 24, 64, 225}}}));
  strokeShape(c, end, 1, {220, 230, 255, 235});
  // The stroke closes the tile's right side too: the body continues there.
  for (int y = 1; y < 15; ++y) c.set(15, y, mixColour({40, 56, 120, 225}, {16, 24, 64, 225}, y / 15.0));
  return c;
}

}  // namespace

void makeStartupPictures(const Sources&, Outputs& out) {
  auto png = [&](int id, const Canvas& c) { out.add(imagePathOf(id), c.png(true)); };
  out.add(imagePathOf(4), titleSky().jpeg(88));
  out.add(imagePathOf(52), cautionGround().jpeg(88));
  png(65, logo());
  png(66, bank(760, 362, 66, 16, -1));
  png(67, bank(726, 450, 67, 16, 1));
  png(69, bank(700, 250, 69, 14, 0));
  png(68, trail());
  png(56, rowBar());
  png(38, backButton(false));
  png(39, backButton(true));
  png(32, muteIcon(true));
  png(33, muteIcon(false));
  png(218, highlightBar());
  png(219, balloonMiddle());
  png(220, balloonEnd());
}

}  // namespace demodata
