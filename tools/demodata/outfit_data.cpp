// The shop's and the equipment screen's own files: their registry pictures
// (backgrounds, the shop's list window with its tabs and buttons, the slot
// box and the slot labels), a picture for every catalogue entry, the
// shopkeeper's standing picture, and the shop's music. (The hangar's music
// is the battle set-up's.)
#include <string>

#include "tools/demodata/canvas.h"
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

// An 80 x 80 card: a rounded plate in the kind's colour, the entry's sign
// (shots for main weapons, a missile for sub weapons, a capsule for items)
// and its name along the foot.
Canvas entryPicture(const Entry& e) {
  const Rgba plate[] = {{40, 80, 170, 235}, {170, 90, 30, 235}, {40, 140, 70, 235}};
  Canvas c(80, 80);
  c.fillRect(2, 2, 76, 76, plate[e.kind]);
  c.frame(2, {235, 240, 250, 255});
  Random r(hashText(e.picture));
  const Rgba light{255, 245, 200, 255};
  switch (e.kind) {
    case MAIN: {
      // One dot a shot: the weapon's id sets how many and how far apart.
      const int shots = 1 + e.id % 3;
      for (int k = 0; k < shots; ++k) {
        const double x = 40 + (k - (shots - 1) / 2.0) * 14;
        for (int s = 0; s < 3; ++s) c.fillEllipse(x, 16 + 13 * s, 4, 6, light);
      }
      break;
    }
    case SUB:
      c.fillRect(36, 14, 8, 34, light);
      c.fillEllipse(40, 14, 4, 6, light);
      c.fillRect(30, 42, 20, 6, {250, 120, 60, 255});
      for (int k = 0; k < e.id; ++k) c.fillEllipse(20 + 8 * k, 56, 2, 2, light);
      break;
    case ITEM:
      c.fillEllipse(40, 32, 18, 18, {static_cast<uint8_t>(150 + r.next() % 100), 230, 120, 255});
      c.fillEllipse(34, 26, 6, 6, {255, 255, 255, 200});
      break;
  }
  const std::string name = e.name;
  int px = 14;
  while (px > 8 && c.textWidth(name, px) > 74) --px;
  c.text((80 - c.textWidth(name, px)) / 2, 62, name, px, {255, 255, 255, 255}, {10, 10, 20, 255});
  return c;
}

// The shopkeeper, 300 x 460: an apron over a dress, her hair and face, and
// her trade's sign on the apron.
Canvas shopkeeper() {
  Canvas c(300, 460);
  const Rgba hair{150, 90, 50, 255}, skin{250, 220, 195, 255}, dress{90, 60, 130, 255}, apron{245, 240, 225, 255};
  c.fillEllipse(150, 300, 95, 170, dress);
  c.fillRect(95, 220, 110, 230, apron);
  c.fillEllipse(150, 95, 70, 80, hair);
  c.fillEllipse(150, 110, 52, 60, skin);
  c.fillRect(98, 50, 104, 30, hair);
  c.fillEllipse(130, 112, 6, 8, {60, 40, 30, 255});
  c.fillEllipse(170, 112, 6, 8, {60, 40, 30, 255});
  c.fillEllipse(150, 140, 10, 4, {220, 120, 120, 255});
  c.fillRect(120, 175, 60, 40, skin);
  c.text(110, 300, "アイテム屋", 16, {90, 60, 130, 255});
  return c;
}

const Rgba kWhite{255, 255, 255, 255};
const Rgba kInk{20, 20, 30, 255};
const Rgba kPanel{25, 35, 80, 215};
const Rgba kEdge{200, 215, 245, 255};

void centredText(Canvas& c, int x, int y, int w, int h, const std::string& text, int px, Rgba colour) {
  c.text(x + (w - c.textWidth(text, px)) / 2, y + (h - px) / 2, text, px, colour, kInk);
}

// The shop: warm wooden shelves with jars and crates, a counter at the foot.
Canvas shopBackground() {
  Canvas c(800, 600);
  c.verticalGradient({120, 80, 50, 255}, {70, 45, 30, 255});
  Random r(27);
  for (int shelf = 0; shelf < 4; ++shelf) {
    const int y = 110 + 120 * shelf;
    c.fillRect(0, y, 800, 12, {150, 100, 60, 255});
    for (int x = 20; x < 780; x += 40 + static_cast<int>(r.next() % 30)) {
      const int h = 30 + static_cast<int>(r.next() % 50);
      const uint8_t g = static_cast<uint8_t>(80 + r.next() % 150);
      if (r.next() % 2 == 0) {
        c.fillRect(x, y - h, 28, h, {static_cast<uint8_t>(200 - g / 2), g, 90, 255});
      } else {
        c.fillEllipse(x + 14, y - h / 2, 14, h / 2, {90, g, static_cast<uint8_t>(255 - g / 2), 230});
      }
    }
  }
  c.fillRect(0, 520, 800, 80, {100, 60, 35, 255});
  c.fillRect(0, 516, 800, 6, {170, 120, 80, 255});
  c.avoidPureBlack();
  return c;
}

// The hangar: a grey floor, girders and a lit bay.
Canvas hangarBackground() {
  Canvas c(800, 600);
  c.verticalGradient({60, 70, 85, 255}, {110, 115, 125, 255});
  for (int x = 40; x < 800; x += 120) c.fillRect(x, 0, 14, 440, {80, 90, 105, 255});
  c.fillRect(0, 60, 800, 10, {80, 90, 105, 255});
  c.fillRect(0, 440, 800, 160, {90, 95, 100, 255});
  for (int x = 0; x < 800; x += 80) c.fillRect(x, 440, 3, 160, {70, 75, 80, 255});
  c.fillEllipse(400, 330, 220, 60, {230, 230, 200, 70});
  c.fillEllipse(400, 300, 60, 120, {150, 160, 175, 255});  // the craft, nose up
  c.fillRect(300, 320, 200, 24, {150, 160, 175, 255});
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
    c.fillRect(x, 5, w, 35, {40, 60, 130, 235});
    c.fillRect(x, 5, w, 2, kEdge);
    c.fillRect(x, 5, 2, 35, kEdge);
    c.fillRect(x + w - 2, 5, 2, 35, kEdge);
    centredText(c, x, 7, w, 30, labels[k], 16, kWhite);
  }
  c.fillRect(0, 37, 240, 303, kPanel);
  c.fillRect(0, 37, 3, 303, kEdge);
  c.fillRect(0, 337, 240, 3, kEdge);
  c.fillRect(235, 37, 5, 303, kPanel);
  c.fillRect(238, 37, 2, 303, kEdge);
  c.fillRect(200, 340, 5, 3, kEdge);
  c.fillRect(200, 343, 5, 1, kPanel);
  for (int k = 0; k < 3; ++k) c.fillRect(81 * k + (k == 0 ? 0 : 1), 344, 80, 10, {10, 10, 20, 170});
  return c;
}

Canvas pictureWindow() {
  Canvas c(92, 92);
  c.fillRect(0, 0, 92, 92, kEdge);
  c.fillRect(3, 3, 86, 86, {40, 50, 90, 255});
  c.fillRect(4, 4, 84, 84, {0, 0, 0, 0});
  return c;
}

Canvas buyButton(bool pressed) {
  Canvas c(64, 32);
  c.fillRect(0, 0, 64, 32, pressed ? Rgba{200, 120, 40, 255} : Rgba{230, 160, 60, 255});
  c.frame(2, {255, 240, 200, 255});
  centredText(c, 0, pressed ? 2 : 0, 64, 32, "購入", 18, kWhite);
  return c;
}

Canvas slotBox() {
  Canvas c(80, 80);
  c.fillRect(0, 0, 80, 80, {30, 40, 70, 200});
  c.frame(3, kEdge);
  return c;
}

Canvas slotLabel(const std::string& text) {
  Canvas c(96, 24);
  c.fillRect(0, 0, 96, 24, {30, 40, 70, 220});
  c.frame(1, kEdge);
  centredText(c, 0, 0, 96, 24, text, 14, kWhite);
  return c;
}

}  // namespace

bool drawnByOutfitScreens(int imageId) {
  return imageId == 7 || imageId == 27 || (imageId >= 110 && imageId <= 113) || (imageId >= 369 && imageId <= 373);
}

void makeOutfitData(const Sources& sources, Outputs& out) {
  for (const Entry& e : kEntries) out.add(std::string("image/weapons/") + e.picture + ".png", entryPicture(e).png(true));
  out.add("image/stands/temu.png", shopkeeper().png(true));
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
