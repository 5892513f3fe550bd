#include "tools/demodata/ui_kit.h"

#include <algorithm>
#include <cmath>

namespace demodata::ui {

TextStyle label(int px, Rgba colour) {
  TextStyle s;
  s.px = px;
  s.colour = colour;
  s.edge = kInk;
  s.edgeWidth = px >= 20 ? 2 : 1.2;
  return s;
}

TextStyle heading(int px) {
  TextStyle s = label(px);
  s.mincho = true;
  s.bold = true;
  s.edgeWidth = 2.5;
  s.shadow = {0, 0, 20, 150};
  s.shadowDx = 2;
  s.shadowDy = 3;
  return s;
}

void panel(Canvas& c, double x, double y, double w, double h, double radius, uint8_t alpha) {
  const Shape body = roundRect(x, y, w, h, radius);
  shadowShape(c, body, 3, 4, 6, {0, 0, 10, 110});
  fillShape(c, body,
            linear(0, y, 0, y + h, {{0, withAlpha(shade(kNavy, 0.12), alpha)}, {1, withAlpha(shade(kNavy, -0.35), alpha)}}));
  // A sheen along the top third.
  fillShape(c, overlap(roundRect(x + 2, y + 2, w - 4, h - 4, radius - 1), rect(x, y, w, std::min(h / 3, 24.0))),
            linear(0, y, 0, y + std::min(h / 3, 24.0), {{0, {255, 255, 255, 46}}, {1, {255, 255, 255, 0}}}));
  strokeShape(c, body, 2, withAlpha(kRim, 235));
  strokeShape(c, roundRect(x + 2, y + 2, w - 4, h - 4, std::max(0.0, radius - 2)), 1, {10, 14, 40, 160});
}

void buttonBody(Canvas& c, double x, double y, double w, double h, bool pressed, Rgba body) {
  const double r = std::min(h / 2 - 1, 9.0);
  const Shape outer = roundRect(x + 0.5, y + 0.5, w - 1, h - 1, r);
  const Rgba top = pressed ? shade(kGold, 0.1) : shade(body, 0.35);
  const Rgba bottom = pressed ? shade(kGold, -0.45) : shade(body, -0.3);
  if (!pressed) shadowShape(c, outer, 1, 2, 3, {0, 0, 10, 120});
  fillShape(c, outer, linear(0, y, 0, y + h, {{0, top}, {0.5, mixColour(top, bottom, 0.45)}, {1, bottom}}));
  // The gloss on the upper half.
  fillShape(c, overlap(roundRect(x + 2, y + 2, w - 4, h - 4, r - 1), rect(x, y, w, h * 0.45)),
            flat({255, 255, 255, static_cast<uint8_t>(pressed ? 70 : 50)}));
  strokeShape(c, outer, 1.5, pressed ? Rgba{255, 245, 210, 255} : kRim);
}

void button(Canvas& c, double x, double y, double w, double h, const std::string& text, bool pressed, Rgba body) {
  buttonBody(c, x, y, w, h, pressed, body);
  TextStyle s = label(static_cast<int>(std::min(h * 0.55, 22.0)), pressed ? Rgba{255, 255, 240, 255} : kWhite);
  s.edge = pressed ? Rgba{90, 50, 10, 255} : kInk;
  c.writeInBox(x + 4 + (pressed ? 1 : 0), y + (pressed ? 1 : 0), w - 8, h, text, s);
}

void sliderGroove(Canvas& c, double x, double y, double w, int ticks) {
  fillShape(c, roundRect(x, y, w, 6, 3), linear(0, y, 0, y + 6, {{0, {8, 12, 30, 230}}, {1, {60, 76, 130, 230}}}));
  strokeShape(c, roundRect(x, y, w, 6, 3), 1, withAlpha(kRim, 150));
  for (int k = 0; k <= ticks; ++k) {
    const double tx = x + 3 + (w - 6) * k / ticks;
    fillShape(c, rect(tx - 0.5, y + 9, 1, k % (ticks / 2 > 0 ? ticks / 2 : 1) == 0 ? 6 : 3), withAlpha(kRim, 170));
  }
}

void checkBox(Canvas& c, double x, double y, double size) {
  const Shape box = roundRect(x, y, size, size, 3);
  fillShape(c, box, {8, 12, 32, 220});
  strokeShape(c, box, 1.5, kRim);
}

void writeGradient(Canvas& c, double x, double y, const std::string& text, const TextStyle& style, const Paint& fill) {
  TextStyle back = style;
  back.colour = style.edge.a != 0 ? style.edge : style.colour;
  c.write(x, y, text, back);
  Canvas face(c.width(), c.height());
  TextStyle plain = style;
  plain.edge = {0, 0, 0, 0};
  plain.shadow = {0, 0, 0, 0};
  plain.colour = kWhite;
  face.write(x, y, text, plain);
  for (int j = 0; j < c.height(); ++j)
    for (int i = 0; i < c.width(); ++i) {
      const Rgba p = face.at(i, j);
      if (p.a) c.blend(i, j, fill(i + 0.5, j + 0.5), p.a / 255.0);
    }
}

void cloudBank(Canvas& c, uint32_t seed, int puffs, int towards, double alpha) {
  Random r(seed);
  const double w = c.width(), h = c.height();
  Shape bank = roundRect(w * 0.04, h * 0.72, w * 0.92, h * 0.26, h * 0.13);
  for (int k = 0; k < puffs; ++k) {
    double x = r.unit();
    if (towards != 0) x = towards < 0 ? x * x : 1 - x * x;
    const double rr = h * (0.12 + r.unit() * 0.16);
    const double cx = rr + x * (w - 2 * rr);
    const double cy = h - rr * (1.0 + r.unit() * 0.9);
    bank = unite(bank, circle(cx, std::max(rr, cy), rr));
  }
  const uint8_t a = static_cast<uint8_t>(255 * alpha);
  // A soft rim, then the body lit from above, then a shadow along the base.
  glowShape(c, bank, 6, {255, 255, 255, static_cast<uint8_t>(90 * alpha)});
  fillShape(c, bank, linear(0, 0, 0, h, {{0, {255, 255, 255, a}}, {0.55, {244, 248, 255, a}}, {1, {196, 210, 238, a}}}));
  fillShape(c, moved(bank, 0, h * 0.06), {170, 188, 225, static_cast<uint8_t>(70 * alpha)});
  fillShape(c, overlap(bank, moved(bank, -w * 0.01, -h * 0.05)), {255, 255, 255, static_cast<uint8_t>(120 * alpha)});
}

void headingText(Canvas& c, double x, double y, const std::string& text, int px) {
  const int w = c.write(x, y, text, heading(px));
  fillShape(c, rect(x, y + px * 1.15, w + px, 2), linear(x, 0, x + w + px, 0, {{0, kGold}, {1, withAlpha(kGold, 0)}}));
}

void nightGround(Canvas& c, uint32_t seed) {
  c.verticalGradient({18, 26, 62, 255}, {40, 58, 118, 255});
  Random r(seed);
  for (int k = 0; k < c.width() * c.height() / 2500; ++k) {
    const double x = r.unit() * c.width(), y = r.unit() * c.height() * 0.8;
    const double size = 0.5 + r.unit() * r.unit() * 1.6;
    glowShape(c, circle(x, y, size * 0.5), size * 2, {220, 230, 255, static_cast<uint8_t>(90 + r.next() % 120)});
  }
  Canvas mist(c.width(), c.height());
  mist.clouds(seed + 7, 150, 0.35, {150, 170, 230, 60});
  const double half = c.height() / 2.0;
  mist.fadeAlpha([half](int, int y) { return (y - half) / half; });
  c.draw(mist, 0, 0);
}

void legendStrip(Canvas& c) {
  fillShape(c, rect(0, c.height() - 36, c.width(), 36),
            linear(0, c.height() - 36, 0, c.height(), {{0, {0, 0, 20, 0}}, {0.4, {0, 0, 20, 130}}, {1, {0, 0, 20, 170}}}));
}

}  // namespace demodata::ui
