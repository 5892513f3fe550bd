// The voices' speech path: the engine's WAVE read back, the line of every
// system voice found, and a missing engine leaving the babble to speak.
#include "tools/demodata/speech.h"

#include <gtest/gtest.h>

#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"

namespace demodata {
namespace {

// A WAVE of 16-bit samples; dataSize overrides the data chunk's size field.
std::vector<uint8_t> wave(int channels, int rate, const std::vector<int16_t>& samples, int format = 1,
                          uint32_t dataSize = 0) {
  std::vector<uint8_t> b;
  auto put = [&](uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
  };
  auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
  tag("RIFF");
  put(0, 4);
  tag("WAVE");
  tag("fmt ");
  put(16, 4);
  put(static_cast<uint32_t>(format), 2);
  put(static_cast<uint32_t>(channels), 2);
  put(static_cast<uint32_t>(rate), 4);
  put(static_cast<uint32_t>(rate * channels * 2), 4);
  put(static_cast<uint32_t>(channels * 2), 2);
  put(16, 2);
  tag("data");
  put(dataSize != 0 ? dataSize : static_cast<uint32_t>(samples.size() * 2), 4);
  for (int16_t s : samples) put(static_cast<uint16_t>(s), 2);
  return b;
}

TEST(DemoSpeech, TheEnginesWaveComesBackAtTheToolsRate) {
  const auto mono = readWave(wave(1, 22050, {0, 16384, 16384, 0}));
  ASSERT_TRUE(mono);
  EXPECT_EQ(mono->channels, 1);
  ASSERT_EQ(mono->frames(), 8u);  // 22.05 kHz doubled
  EXPECT_FLOAT_EQ(mono->samples[1], 0.25f);
  EXPECT_FLOAT_EQ(mono->samples[2], 0.5f);
  // Stereo is mixed down; a streamed data size runs to the end of the bytes.
  const auto stereo = readWave(wave(2, 44100, {16384, 0, 16384, 0}, 1, 0xFFFFFFFFu));
  ASSERT_TRUE(stereo);
  ASSERT_EQ(stereo->frames(), 2u);
  EXPECT_FLOAT_EQ(stereo->samples[0], 0.25f);
  EXPECT_FALSE(readWave(wave(1, 22050, {1, 2}, 3)));  // not PCM
  EXPECT_FALSE(readWave(wave(1, 100, {1, 2})));
  EXPECT_FALSE(readWave({'R', 'I', 'F', 'F'}));
  EXPECT_FALSE(speak("/nonexistent/espeak-ng", "あ", 50));  // the babble speaks instead
}

TEST(DemoSpeech, EverySystemVoiceHasALine) {
  struct Case {
    const char* path;
    const char* number;
  };
  const Case cases[] = {{"voice/sys/oruna_system1.ogg", "1"},
                        {"voice/sys/dolu_system100_1.ogg", "100_1"},
                        {"voice/sys/temu_system13.ogg", "13"},
                        {"audio/Shot.ogg", ""}};
  for (const Case& c : cases) EXPECT_EQ(voiceNumber(c.path), c.number) << c.path;
  const Sources sources(DEMODATA_SOURCE_FOLDER);
  const auto lines = parseVoiceLines(sources.read("tables/voice_lines.tsv"));
  int voices = 0;
  for (const auto& [id, path] : registrySounds()) {
    if (path.rfind("voice/sys/", 0) != 0) continue;
    ++voices;
    EXPECT_TRUE(lines.count(voiceNumber(path))) << path;
  }
  EXPECT_EQ(voices, 80);
}

}  // namespace
}  // namespace demodata
