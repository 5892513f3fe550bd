// The people's pictures: every face of the face table with its expression,
// the partners' and the shopkeeper's standing pictures, and the special
// attacks' cut-in strips.
#include <cctype>
#include <string>

#include "tools/demodata/generator.h"
#include "tools/demodata/people.h"
#include "tools/demodata/registry.h"

namespace demodata {

void makePeoplePictures(const Sources& sources, Outputs& out) {
  const std::vector<Character> characters = parseCharacters(sources.read("tables/characters.tsv"));
#define VEZIV_FACE(face, id)                                                                    \
  {                                                                                             \
    const std::string name = face;                                                              \
    if (name == "NONE") {                                                                       \
      out.add(imagePathOf(id), drawNoFace().jpeg(90));                                          \
    } else {                                                                                    \
      std::string character = name.substr(0, name.rfind('_'));                                  \
      for (char& ch : character) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); \
      const int expression = std::stoi(name.substr(name.rfind('_') + 1));                      \
      out.add(imagePathOf(id), drawFace(characterOf(characters, character), expression).jpeg(90)); \
    }                                                                                           \
  }
#include "game/story/face_table.inc"
  // The partners in the registry's order: oruna, tirun, dolu, pesa, saffo, hobe.
  const char* const kPartners[] = {"oruna", "tirun", "dolu", "pesa", "saffo", "hobe"};
  for (int k = 0; k < 6; ++k) {
    const Character& c = characterOf(characters, kPartners[k]);
    out.add(imagePathOf(240 + k), drawStand(c).png(true));
    out.add(imagePathOf(230 + k), drawCutIn(c).png(true));
  }
  out.add("image/stands/temu.png", drawStand(characterOf(characters, "temu")).png(true));
}

}  // namespace demodata
