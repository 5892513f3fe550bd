// The characters' table: every speaker of the story is drawn and voiced
// from a row of it, and a bad row is refused with its line.
#include "tools/demodata/people.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/demodata/generator.h"

namespace demodata {
namespace {

TEST(DemoPeople, EverySpeakerHasItsRowAndABadRowIsRefused) {
  const std::vector<Character> all = parseCharacters(Sources(DEMODATA_SOURCE_FOLDER).read("tables/characters.tsv"));
#define VEZIV_SPEAKER(name, character, red, green, blue, plate, impression) \
  if (std::string(character) != "narration") {                               \
    const Character& c = characterOf(all, character);                        \
    EXPECT_FALSE(c.voice.empty()) << character;                              \
    EXPECT_GT(c.pitch, 60) << character;                                     \
  }
#include "game/story/speaker_table.inc"
  EXPECT_EQ(speakerForPlate(6).name, "その他");
  EXPECT_EQ(speakerForPlate(2).name, "ペサロット");
  EXPECT_THROW(characterOf(all, "nobody"), std::runtime_error);

  const std::string good = "a\tgirl\tlong\t112233\t445566\t778899\taabbcc\t200\tf2\n";
  EXPECT_EQ(parseCharacters("# note\n" + good).size(), 1u);
  for (const std::string bad : {"a\tgirl\tlong\t112233\t445566\t778899\taabbcc\t200\n",
                                "a\tgirl\tlong\t1122\t445566\t778899\taabbcc\t200\tf2\n",
                                "a\tgirl\tlong\t112233\t445566\t778899\taabbcc\thigh\tf2\n"}) {
    try {
      parseCharacters(good + bad);
      ADD_FAILURE() << bad;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace demodata
