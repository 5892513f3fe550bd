// The game's music and cues as a player hears them: every score plays a
// minute or more before it loops, with a tune, a bass and drums that all
// end on the loop's last bar; the enemies' shot is short and soft; the
// shell's sounds come out as Ogg files of their cues' length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/midi/midi_data.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/sound.h"

namespace demodata {
namespace {

namespace fs = std::filesystem;

// The samples a channel of an Ogg Vorbis file holds: the granule position
// of its last page.
uint64_t oggSamples(const std::vector<uint8_t>& ogg) {
  uint64_t last = 0;
  for (size_t at = 0; at + 27 <= ogg.size();) {
    if (!std::equal(ogg.begin() + static_cast<long>(at), ogg.begin() + static_cast<long>(at) + 4, "OggS")) return 0;
    uint64_t granule = 0;
    for (int k = 7; k >= 0; --k) granule = granule << 8 | ogg[at + 6 + k];
    if (granule != ~uint64_t{0}) last = granule;
    const size_t segments = ogg[at + 26];
    size_t body = 0;
    for (size_t k = 0; k < segments && at + 27 + k < ogg.size(); ++k) body += ogg[at + 27 + k];
    at += 27 + segments + body;
  }
  return last;
}

TEST(DemoMusic, EveryScoreLoopsAfterAMinuteWithATuneABassAndDrums) {
  int scores = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(DEMODATA_SOURCE_FOLDER) / "music")) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const Tune tune = parseScore(Sources(DEMODATA_SOURCE_FOLDER).read("music/" + name));
    ++scores;
    EXPECT_GE(tune.beats() * 60 / tune.tempo, 60.0);
    int drums = 0, bass = 0, pitched = 0;
    for (const Track& t : tune.tracks) {
      ASSERT_FALSE(t.notes.empty());
      if (t.channel == 9) ++drums;
      else if (t.program >= 32 && t.program <= 39) ++bass;
      else ++pitched;
      // Every track runs to the loop's end, so that the parts keep together.
      EXPECT_DOUBLE_EQ(t.length, tune.beats()) << "program " << t.program;
    }
    EXPECT_GE(drums, 1);
    EXPECT_GE(bass, 1);
    EXPECT_GE(pitched, 1);
    const std::vector<uint8_t> file = writeMidiFile(tune);
    platform::midi::MidiData found;
    EXPECT_TRUE(platform::midi::FindMidiData(file.data(), file.size(), &found));
  }
  EXPECT_EQ(scores, 13);
}

TEST(DemoSounds, TheEnemyShotIsShortAndSoftAndEveryCueComesOutWhole) {
  const Pcm shot = shellSound(14);
  EXPECT_LT(shot.frames(), static_cast<size_t>(0.08 * kSampleRate));
  float peak = 0;
  for (float v : shot.samples) peak = std::max(peak, std::abs(v));
  EXPECT_LE(peak, 0.2f);
  // It fades out: its last tenth is far quieter than its peak.
  float tail = 0;
  for (size_t k = shot.frames() * 9 / 10; k < shot.frames(); ++k) tail = std::max(tail, std::abs(shot.samples[k]));
  EXPECT_LT(tail, peak / 10);

  Outputs out;
  makeShellSounds(Sources(DEMODATA_SOURCE_FOLDER), out);
  for (const auto& [id, path] : registrySounds()) {
    if (id > 21) continue;
    SCOPED_TRACE(path);
    ASSERT_EQ(out.files().count(path), 1u);
    const uint64_t samples = oggSamples(out.files().at(path));
    if (id <= 20) EXPECT_EQ(samples, shellSound(id).frames());
    else EXPECT_GE(samples, static_cast<uint64_t>(60 * kSampleRate));
  }
  EXPECT_THROW(shellSound(4), std::out_of_range);
}

}  // namespace
}  // namespace demodata
