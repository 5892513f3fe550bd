// The shop's and the equipment screen's own files: their registry pictures
// (backgrounds, the shop's list window with its tabs and buttons, the slot
// box and the slot labels), a picture for every catalogue entry, and the
// shop's music. (The hangar's music is the battle set-up's; the
// shopkeeper's standing picture is the people's.)
#include <cmath>
#include <string>

#include "tools/demodata/ui_kit.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/sound.h"

namespace demodata {

namespace {

enum Kind { MAIN, SUB, ITEM };

struct Entry {
  Kind kind;
  int id;
  const char* name;
  const char* picture;
};

constexpr Entry kEntries[] = {
#define VEZIV_EQUIP(catalogue, id, name, picture, statText, reloadTime, price, ammo, description) \
  {catalogue, id, name, picture},
#include "game/core/catalogue_table.inc"
};

using namespace ui;

constexpr double kPi = 3.14159265358979323846;

// A shot of the card: a bolt from (x, y) along the heading (degrees, 90 up).
void cardBolt(Canvas& c, double x, double y, double heading, Rgba tone, double length = 10, double width = 1.8) {
  const double a = heading * kPi / 180;
  const double x1 = x + std::cos(a) * length, y1 = y - std::sin(a) * length;
  glowShape(c, capsule(x, y, x1, y1, width), 3, withAlpha(tone, 150));
  fillShape(c, capsule(x, y, x1, y1, width * 0.8), {255, 255, 245, 255});
}

// The craft's nose at the foot of a card, pointing up.
void cardCraft(Canvas& c) {
  fillShape(c, polygon({{40, 40}, {46, 52}, {58, 60}, {46, 60}, {40, 58}, {34, 60}, {22, 60}, {34, 52}}),
            linear(0, 40, 0, 60, {{0, {240, 246, 255, 255}}, {1, {120, 160, 220, 255}}}));
  strokeShape(c, polygon({{40, 40}, {46, 52}, {58, 60}, {46, 60}, {40, 58}, {34, 60}, {22, 60}, {34, 52}}), 1,
              {20, 24, 44, 255});
  fillShape(c, ellipse(40, 50, 2, 4), {120, 220, 255, 255});
}

// What an entry's card shows: a main weapon's shots leaving the craft, a sub
// weapon's missile or mine, an item's thing.
void entrySign(Canvas& c, const Entry& e) {
  const Rgba blue{90, 160, 255, 255}, gold{255, 220, 110, 255};
  switch (e.kind) {
    case MAIN: {
      cardCraft(c);
      const bool laser = e.id == 1 || e.id == 3;
      const Rgba tone = laser ? gold : blue;
      const double len = laser ? 26 : 8, width = e.id == 4 ? 2.8 : 1.8;
      auto stream = [&](double x, double heading) {
        for (int k = 0; k < (laser ? 1 : 3); ++k) cardBolt(c, x + (heading - 90) * -0.1 * k, 36 - 11 * k, heading, tone, len, width);
      };
      if (e.id == 0 || e.id == 2 || e.id == 3 || e.id == 4 || e.id == 6) {
        stream(35, 90);
        stream(45, 90);
      }
      if (e.id == 1) stream(40, 90);
      if (e.id == 5 || e.id == 6) {
        if (e.id == 5) stream(40, 90);
        stream(30, 110);
        stream(50, 70);
      }
      if (e.id == 2 || e.id == 6) {  // the faster ones: speed lines
        for (int k = 0; k < 3; ++k) fillShape(c, rect(14 + 4 * k, 20 + 8 * k, 1.2, 12), {255, 255, 255, 120});
      }
      break;
    }
    case SUB: {
      if (e.id == 0) {
        fillShape(c, star(40, 32, 16, 9, 8), {70, 76, 92, 255});
        fillShape(c, circle(40, 32, 10), radial(36, 28, 12, {{0, {170, 180, 200, 255}}, {1, {50, 54, 70, 255}}}));
        glowShape(c, circle(40, 32, 3), 4, {255, 90, 60, 220});
        break;
      }
      if (e.id == 5) {  // the gatling: a spray of tracer
        for (int k = 0; k < 9; ++k) cardBolt(c, 28 + 3 * k, 52 - (k % 3) * 12, 80 + k * 2.5, gold, 6, 1.2);
        fillShape(c, roundRect(30, 50, 20, 10, 3), {90, 96, 110, 255});
        break;
      }
      const Rgba band = e.id == 1 ? Rgba{70, 200, 120, 255} : e.id == 2 ? Rgba{80, 150, 255, 255}
                        : e.id == 3 ? Rgba{255, 170, 40, 255} : Rgba{240, 70, 60, 255};
      auto missile = [&](double x, double y, double turn) {
        const double a = turn * kPi / 180;
        auto at = [&](double dx, double dy) {
          return Point{x + dx * std::cos(a) - dy * std::sin(a), y + dx * std::sin(a) + dy * std::cos(a)};
        };
        glowShape(c, circle(at(0, 22).x, at(0, 22).y, 3), 4, {255, 200, 90, 220});
        fillShape(c, polygon({at(0, -18), at(4, -10), at(4, 18), at(-4, 18), at(-4, -10)}), {230, 234, 244, 255});
        strokeShape(c, polygon({at(0, -18), at(4, -10), at(4, 18), at(-4, 18), at(-4, -10)}), 1, {20, 24, 44, 255});
        fillShape(c, polygon({at(-4, -2), at(4, -2), at(4, 3), at(-4, 3)}), band);
        fillShape(c, polygon({at(-4, 10), at(-10, 20), at(-4, 18)}), band);
        fillShape(c, polygon({at(4, 10), at(10, 20), at(4, 18)}), band);
      };
      if (e.id == 4) {
        missile(28, 34, -25);
        missile(52, 34, 25);
      } else {
        missile(40, 32, 0);
      }
      if (e.id == 1) for (int k = 0; k < 5; ++k) fillShape(c, circle(40 + 14 * std::cos(k * 0.6 + 0.4), 10 + 6 * std::sin(k * 0.6), 2), band);
      if (e.id == 2) strokeShape(c, cut(ring(40, 32, 20, 1), rect(0, 30, 80, 50)), 1, band);
      if (e.id == 3) glowShape(c, star(40, 12, 8, 3, 6), 3, {255, 200, 80, 200});
      break;
    }
    case ITEM: {
      switch (e.id) {
        case 0:  // shells with a flame mark
          for (int k = 0; k < 3; ++k) {
            const double x = 26 + 14 * k;
            fillShape(c, roundRect(x - 4, 20, 8, 30, 3), linear(x - 4, 0, x + 4, 0, {{0, {255, 210, 120, 255}}, {1, {190, 120, 40, 255}}}));
            fillShape(c, ellipse(x, 20, 4, 6), {220, 80, 50, 255});
          }
          break;
        case 1:  // a shield plate
          fillShape(c, polygon({{40, 12}, {60, 18}, {58, 38}, {40, 54}, {22, 38}, {20, 18}}),
                    linear(0, 12, 0, 54, {{0, {210, 220, 240, 255}}, {1, {90, 110, 150, 255}}}));
          strokeShape(c, polygon({{40, 12}, {60, 18}, {58, 38}, {40, 54}, {22, 38}, {20, 18}}), 1.5, {20, 24, 44, 255});
          fillShape(c, star(40, 32, 8, 3.5, 5), gold);
          break;
        case 2:  // a mana tank
          fillShape(c, roundRect(28, 14, 24, 38, 9), linear(0, 14, 0, 52, {{0, {170, 220, 255, 255}}, {1, {40, 90, 220, 255}}}));
          strokeShape(c, roundRect(28, 14, 24, 38, 9), 1.5, {20, 24, 44, 255});
          glowShape(c, star(40, 33, 7, 3, 4), 4, {255, 255, 255, 200});
          break;
        case 3:  // an old oil can
          fillShape(c, roundRect(22, 28, 30, 24, 5), linear(0, 28, 0, 52, {{0, {230, 200, 110, 255}}, {1, {150, 110, 40, 255}}}));
          fillShape(c, capsule(50, 34, 66, 16, 2), {200, 170, 90, 255});
          fillShape(c, cut(ring(30, 30, 9, 1.6), rect(0, 30, 80, 40)), {120, 90, 40, 255});
          fillShape(c, ellipse(67, 21, 1.8, 3), {60, 40, 20, 255});
          break;
        case 4:  // a booster
          glowShape(c, ellipse(40, 52, 8, 6), 6, {255, 170, 60, 230});
          fillShape(c, roundRect(30, 12, 20, 36, 8), linear(30, 0, 50, 0, {{0, {240, 240, 250, 255}}, {1, {130, 140, 160, 255}}}));
          strokeShape(c, roundRect(30, 12, 20, 36, 8), 1.5, {20, 24, 44, 255});
          fillShape(c, rect(30, 26, 20, 5), {230, 80, 60, 255});
          break;
        default:  // an ammunition box
          fillShape(c, roundRect(18, 24, 44, 28, 3), linear(0, 24, 0, 52, {{0, {130, 150, 90, 255}}, {1, {70, 84, 50, 255}}}));
          strokeShape(c, roundRect(18, 24, 44, 28, 3), 1.5, {20, 24, 44, 255});
          for (int k = 0; k < 4; ++k) fillShape(c, roundRect(23 + 9 * k, 12, 6, 14, 2.5), {255, 210, 120, 255});
      }
      break;
    }
  }
}

// An 80 x 80 card: a plate in the kind's colour, the entry's sign, and its
// name along the foot.
Canvas entryPicture(const Entry& e) {
  const Rgba plate[] = {{40, 80, 170, 255}, {170, 90, 40, 255}, {40, 140, 80, 255}};
  Canvas c(80, 80);
  const Shape card = roundRect(1, 1, 78, 78, 8);
  fillShape(c, card, linear(0, 0, 0, 80, {{0, shade(plate[e.kind], 0.15)}, {1, shade(plate[e.kind], -0.55)}}));
  for (int k = 0; k < 6; ++k) fillShape(c, overlap(rect(0, 8 + 10 * k, 80, 1), card), {255, 255, 255, 18});
  entrySign(c, e);
  fillShape(c, rect(2, 62, 76, 16), {0, 0, 20, 120});
  strokeShape(c, card, 2, kRim);
  c.writeInBox(3, 62, 74, 16, e.name, label(12));
  return c;
}

// The shop: warm wooden shelves with jars and crates, lamps, a counter at
// the foot; the right part stays quiet for the shopkeeper.
Canvas shopBackground() {
  Canvas c(800, 600);
  c.verticalGradient({128, 86, 54, 255}, {64, 40, 26, 255});
  for (int x = 0; x < 800; x += 40) fillShape(c, rect(x, 0, 1.5, 520), {90, 56, 32, 150});
  Random r(27);
  for (int shelf = 0; shelf < 4; ++shelf) {
    const int y = 110 + 120 * shelf;
    for (int x = 16; x < 780; x += 44 + static_cast<int>(r.next() % 26)) {
      const int h = 30 + static_cast<int>(r.next() % 50);
      const uint8_t g = static_cast<uint8_t>(80 + r.next() % 150);
      if (r.next() % 2 == 0) {
        const Shape crate = rect(x, y - h, 30, h);
        fillShape(c, crate, linear(x, 0, x + 30, 0, {{0, {190, 140, 80, 255}}, {1, {120, 80, 40, 255}}}));
        strokeShape(c, crate, 1.5, {70, 40, 20, 255});
        fillShape(c, capsule(x + 2, y - h + 2, x + 28, y - 2, 0.8), {80, 50, 24, 200});
      } else {
        const Rgba glass{90, g, static_cast<uint8_t>(255 - g / 2), 230};
        const Shape jar = unite(roundRect(x + 2, y - h, 26, h, 8), rect(x + 8, y - h - 6, 14, 8));
        fillShape(c, jar, linear(x, 0, x + 30, 0, {{0, shade(glass, 0.4)}, {0.4, glass}, {1, shade(glass, -0.4)}}));
        strokeShape(c, jar, 1, {40, 30, 30, 200});
        fillShape(c, roundRect(x + 6, y - h + 6, 3, h - 14, 1.5), {255, 255, 255, 90});
      }
    }
    fillShape(c, rect(0, y, 800, 12), linear(0, y, 0, y + 12, {{0, {190, 130, 80, 255}}, {1, {110, 70, 40, 255}}}));
  }
  for (int k = 0; k < 3; ++k) glowShape(c, circle(160 + 240 * k, 30, 10), 70, {255, 220, 150, 70});
  fillShape(c, rect(0, 520, 800, 80), linear(0, 520, 0, 600, {{0, {140, 90, 50, 255}}, {1, {80, 50, 30, 255}}}));
  fillShape(c, rect(0, 516, 800, 6), {200, 150, 100, 255});
  c.avoidPureBlack();
  return c;
}

// The hangar where the craft is fitted, seen from its nose: girders, a lit
// bay, the craft on its stand.
Canvas hangarBackground() {
  Canvas c(800, 600);
  c.verticalGradient({56, 66, 84, 255}, {104, 110, 122, 255});
  for (int x = 20; x < 800; x += 120) {
    fillShape(c, rect(x, 0, 16, 450), linear(x, 0, x + 16, 0, {{0, {100, 110, 126, 255}}, {1, {60, 68, 82, 255}}}));
    for (int y = 40; y < 440; y += 60) fillShape(c, capsule(x + 16, y, x + 120, y + 60, 2), {70, 78, 92, 200});
  }
  fillShape(c, rect(0, 60, 800, 10), {76, 86, 100, 255});
  fillShape(c, rect(0, 440, 800, 160), linear(0, 440, 0, 600, {{0, {96, 100, 108, 255}}, {1, {62, 66, 74, 255}}}));
  for (int x = 0; x < 800; x += 80) fillShape(c, rect(x, 440, 2, 160), {70, 74, 82, 255});
  for (int k = 0; k < 2; ++k) fillShape(c, rect(0, 480 + 50 * k, 800, 6), {230, 190, 60, 160});
  glowShape(c, ellipse(300, 340, 220, 60), 40, {255, 250, 220, 50});
  // The craft from the front: nose, wings, canopy, on its stand.
  fillShape(c, rect(288, 330, 24, 120), {80, 84, 92, 255});
  const Shape wings = polygon({{110, 300}, {490, 300}, {470, 320}, {130, 320}});
  fillShape(c, wings, linear(0, 300, 0, 320, {{0, {230, 236, 246, 255}}, {1, {150, 160, 180, 255}}}));
  strokeShape(c, wings, 2, {40, 46, 60, 255});
  fillShape(c, circle(300, 300, 44), radial(290, 288, 50, {{0, {245, 248, 255, 255}}, {1, {140, 150, 170, 255}}}));
  strokeShape(c, circle(300, 300, 44), 2, {40, 46, 60, 255});
  fillShape(c, circle(300, 300, 16), {40, 44, 56, 255});
  fillShape(c, ellipse(300, 262, 26, 14), linear(0, 248, 0, 276, {{0, {180, 230, 255, 255}}, {1, {40, 100, 170, 255}}}));
  for (double x : {160.0, 440.0}) fillShape(c, rect(x - 2, 320, 4, 14), {255, 200, 80, 255});
  c.avoidPureBlack();
  return c;
}

// The list window, cut by the shop at fixed places: the three tabs along
// the top, the body below them, its right edge at x 235, the body's top
// border at (200, 340), and the dimming strips of the tabs not shown at
// y 344.
Canvas listWindow() {
  Canvas c(245, 354);
  const char* labels[] = {"メイン", "サブ", "アイテム"};
  for (int k = 0; k < 3; ++k) {
    const int x = 5 + 81 * k;
    const int w = k == 2 ? 240 - x : 78;
    const Shape tab = roundRect(x, 5, w, 40, 6);
    fillShape(c, tab, linear(0, 5, 0, 40, {{0, {70, 100, 190, 240}}, {1, {30, 46, 110, 240}}}));
    strokeShape(c, tab, 1.5, kRim);
    c.writeInBox(x, 7, w, 30, labels[k], label(16));
  }
  fillShape(c, rect(0, 37, 240, 303), linear(0, 37, 0, 340, {{0, {28, 40, 92, 225}}, {1, {14, 20, 54, 225}}}));
  fillShape(c, rect(0, 37, 3, 303), kRim);
  fillShape(c, rect(0, 337, 240, 3), kRim);
  fillShape(c, rect(235, 37, 3, 303), {14, 20, 54, 225});
  fillShape(c, rect(238, 37, 2, 303), kRim);
  fillShape(c, rect(200, 340, 5, 3), kRim);
  fillShape(c, rect(200, 343, 5, 1), {14, 20, 54, 225});
  for (int k = 0; k < 3; ++k) fillShape(c, rect(81 * k + (k == 0 ? 0 : 1), 344, 80, 10), {10, 10, 20, 170});
  return c;
}

Canvas pictureWindow() {
  Canvas c(92, 92);
  const Shape frame = cut(roundRect(0, 0, 92, 92, 8), rect(4, 4, 84, 84));
  fillShape(c, frame, linear(0, 0, 0, 92, {{0, kRim}, {1, {120, 140, 190, 255}}}));
  strokeShape(c, rect(3, 3, 86, 86), 1, {20, 24, 44, 255});
  return c;
}

Canvas buyButton(bool pressed) {
  Canvas c(64, 32);
  button(c, 1, 1, 62, 30, "購入", pressed, {210, 140, 50, 255});
  return c;
}

Canvas slotBox() {
  Canvas c(80, 80);
  const Shape box = roundRect(1, 1, 78, 78, 8);
  fillShape(c, box, {20, 30, 66, 190});
  strokeShape(c, box, 2.5, kRim);
  strokeShape(c, roundRect(5, 5, 70, 70, 5), 1, {200, 215, 255, 90});
  return c;
}

Canvas slotLabel(const std::string& text) {
  Canvas c(96, 24);
  const Shape plate = roundRect(1, 1, 94, 22, 6);
  fillShape(c, plate, linear(0, 1, 0, 23, {{0, {60, 90, 170, 235}}, {1, {24, 36, 86, 235}}}));
  strokeShape(c, plate, 1.2, kRim);
  c.writeInBox(2, 1, 92, 22, text, label(14));
  return c;
}

}  // namespace

bool drawnByOutfitScreens(int imageId) {
  return imageId == 7 || imageId == 27 || (imageId >= 110 && imageId <= 113) || (imageId >= 369 && imageId <= 373);
}

void makeOutfitData(const Sources& sources, Outputs& out) {
  for (const Entry& e : kEntries) out.add(std::string("image/weapons/") + e.picture + ".png", entryPicture(e).png(true));
  out.add(imagePathOf(27), shopBackground().jpeg(85));
  out.add(imagePathOf(7), hangarBackground().jpeg(85));
  out.add(imagePathOf(110), pictureWindow().png(true));
  out.add(imagePathOf(111), buyButton(false).png(true));
  out.add(imagePathOf(112), buyButton(true).png(true));
  out.add(imagePathOf(113), listWindow().png(true));
  out.add(imagePathOf(369), slotBox().png(true));
  const char* labels[] = {"メイン武器", "サブ武器", "アイテム1", "アイテム2"};
  for (int k = 0; k < 4; ++k) out.add(imagePathOf(370 + k), slotLabel(labels[k]).png(true));
  out.add("audio/y-maf.mid", writeMidiFile(parseScore(sources.read("music/y-maf.mml"))));
}

}  // namespace demodata
