// The shop's and the equipment screen's files: one picture for every
// catalogue entry at the size the screens draw it, and the shop's tune as
// the music player reads it.
#include <gtest/gtest.h>

#include <string>

#include "platform/midi/midi_data.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/sound.h"

namespace demodata {
namespace {

uint32_t bigEndian(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// An RGBA PNG of the size given.
void expectRgbaPng(const std::vector<uint8_t>& png, uint32_t w, uint32_t h, const std::string& path) {
  ASSERT_GT(png.size(), 26u) << path;
  EXPECT_EQ(bigEndian(png, 16), w) << path;
  EXPECT_EQ(bigEndian(png, 20), h) << path;
  EXPECT_EQ(png[25], 6) << path;  // colour type 6: RGBA
}

TEST(DemoOutfit, EveryCatalogueEntryHasItsPictureAndTheTuneLoopsWhole) {
  const Sources sources(DEMODATA_SOURCE_FOLDER);
  Outputs out;
  makeOutfitData(sources, out);
  int pictures = 0;
#define VEZIV_EQUIP(catalogue, id, name, picture, statText, reloadTime, price, ammo, description)  \
  {                                                                                                 \
    const std::string path = std::string("image/weapons/") + picture + ".png";                      \
    ASSERT_EQ(out.files().count(path), 1u) << path;                                                 \
    expectRgbaPng(out.files().at(path), 80, 80, path);                                              \
    ++pictures;                                                                                     \
  }
#include "game/core/catalogue_table.inc"
  EXPECT_EQ(pictures, 19);
  EXPECT_EQ(out.files().count("image/weapons/双発回転.png"), 1u);

  for (const char* name : {"y-maf"}) {
    const Tune tune = parseScore(sources.read(std::string("music/") + name + ".mml"));
    // Every track ends with the last bar, so that the loop keeps its step.
    for (const Track& t : tune.tracks) EXPECT_DOUBLE_EQ(t.length, tune.beats()) << name << " program " << t.program;
    EXPECT_EQ(static_cast<int>(tune.beats()) % 4, 0) << name;
    const std::vector<uint8_t>& file = out.files().at(std::string("audio/") + name + ".mid");
    platform::midi::MidiData found;
    EXPECT_TRUE(platform::midi::FindMidiData(file.data(), file.size(), &found)) << name;
  }
}

}  // namespace
}  // namespace demodata
