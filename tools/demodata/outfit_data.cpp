// The shop's and the equipment screen's own files: a picture for every
// catalogue entry, the shopkeeper's standing picture, and the shop's music.
// (The hangar's music is the battle set-up's.)
#include <string>

#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
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
#include "game/shell/catalogue_table.inc"
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

}  // namespace

void makeOutfitData(const Sources& sources, Outputs& out) {
  for (const Entry& e : kEntries) out.add(std::string("image/weapons/") + e.picture + ".png", entryPicture(e).png(true));
  out.add("image/stands/temu.png", shopkeeper().png(true));
  out.add("audio/y-maf.mid", writeMidiFile(parseScore(sources.read("music/y-maf.mml"))));
}

}  // namespace demodata
