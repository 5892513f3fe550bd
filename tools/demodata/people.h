// The story's people: the characters' table (data/tables/characters.tsv),
// the speakers' names and plate colours (the game's speaker table), and the
// pictures of a character: faces with their expressions, standing
// pictures, busts and the special attack's cut-in strip.
#pragma once

#include <string>
#include <vector>

#include "tools/demodata/canvas.h"

namespace demodata {

struct Character {
  std::string id;
  std::string look;  // girl, woman, boy, man, elder, child
  std::string hair;  // the hair style
  Rgba hairColour, eyes, outfit, accent;
  double pitch = 200;   // the voice's pitch in Hz
  std::string voice;    // the speech engine's voice variant, "" for its own
};

// The rows of characters.tsv; throws std::runtime_error naming a bad line.
std::vector<Character> parseCharacters(const std::string& tsv);
// The character of an id; throws std::runtime_error for an unknown id.
const Character& characterOf(const std::vector<Character>& all, const std::string& id);

// A speaker of the story as its name plate shows it.
struct Speaker {
  std::string name;
  std::string character;
  Rgba plate;
};
// The speaker whose plate index is k (0..11); plate 6, which no speaker
// uses, is the "others" plate of the settings screen's voice switches.
const Speaker& speakerForPlate(int k);

// Expressions by face number: 1 calm, 2 smiling, 3 angry, 4 surprised,
// 5 sad, 6 winking, 7 resolute, 8 beaming.
Canvas drawFace(const Character& c, int expression);
// The whole figure, 300 x 460, standing in the left 250 pixels.
Canvas drawStand(const Character& c);
// Head and shoulders on a clear ground, w x h.
Canvas drawBust(const Character& c, int w, int h);
// The eyes-and-brow strip of a special attack's cut-in, 256 x 80.
Canvas drawCutIn(const Character& c);
// The face shown when no one speaks: a starry emblem, 120 x 120.
Canvas drawNoFace();

}  // namespace demodata
