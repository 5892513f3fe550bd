// Compressed WAVE through the sound readers: files written at test time by
// sox (a codec of its own, not the one that decodes them here) in each
// format, decoded and compared with sox's own decoding of the same file to
// 16-bit PCM; MPEG audio inside a WAVE; and the RIFF walk's checks, which
// refuse a file before the codec sees it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/readers/sound_decoder.h"
#include "library/sound_movie/readers/sound_fixtures_test_support.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A WAVE file of a 440 Hz tone written by sox with the given encoding, and
// sox's decoding of that file to 16-bit PCM WAVE.
struct SoxWave {
  std::vector<uint8_t> coded;
  std::vector<uint8_t> reference;
};
SoxWave MakeSoxWave(const std::string& encoding, int channels, int rate) {
  test::TestFolder folder;
  const std::string coded = folder / "coded.wav", pcm = folder / "pcm.wav";
  const std::string make = "sox -q -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -e " +
                           encoding + " '" + coded + "' synth 0.3 sine 440 vol 0.5";
  const std::string decode = "sox -q '" + coded + "' -e signed-integer -b 16 '" + pcm + "'";
  if (std::system(make.c_str()) != 0 || std::system(decode.c_str()) != 0) return {};
  return {ReadFileBytes(coded), ReadFileBytes(pcm)};
}

// Every byte of PCM a source hands out, from its start.
struct Decoded {
  int result = -1;
  SoundWaveFormat format{};
  uint32_t kind = 0;
  std::vector<uint8_t> pcm;
  std::vector<uint8_t> afterSeek;  // 64 bytes from the seek target
};
Decoded DecodeBytes(std::vector<uint8_t> bytes, int seekTo = 0) {
  Decoded d;
  MemoryStreamState* stream = OpenMemoryStream(bytes.data(), static_cast<int>(bytes.size()));
  SoundDecoderRecord record{};
  d.result = OpenSoundSource(GetMemoryStreamTable(), reinterpret_cast<StreamValue>(stream), &record);
  if (d.result == 0) {
    d.kind = record.kind;
    void* pcm = nullptr;
    int size = 0;
    if (DecodeSoundSourceToPcm(&record, &d.format, &pcm, &size) == 0) {
      d.pcm.assign(static_cast<uint8_t*>(pcm), static_cast<uint8_t*>(pcm) + size);
      FreeLibMemory(pcm);
    }
    if (seekTo > 0) {
      SeekSoundSource(&record, seekTo);
      d.afterSeek.resize(64);
      d.afterSeek.resize(static_cast<size_t>(std::max(ReadSoundSourcePcm(&record, d.afterSeek.data(), 64), 0)));
    }
    CloseSoundSource(&record);
  }
  CloseMemoryStream(stream);
  return d;
}

int Sample(const std::vector<uint8_t>& pcm, size_t i) {
  return static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8);
}

TEST(CompressedWaveTest, EachCodecDecodesAsSoxDecodesIt) {
  const struct {
    const char* encoding;
    int channels, rate;
    int tolerance;  // two decoders of one codec may round differently
  } cases[] = {
      {"ima-adpcm", 1, 8000, 0},      {"ima-adpcm", 2, 22050, 0}, {"ms-adpcm", 1, 11025, 0},
      {"ms-adpcm", 2, 8000, 0},       {"gsm-full-rate", 1, 8000, 0}, {"u-law", 2, 8000, 0},
      {"a-law", 1, 16000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.encoding << ", " << c.channels << " channels, " << c.rate << " Hz");
    const SoxWave wave = MakeSoxWave(c.encoding, c.channels, c.rate);
    ASSERT_FALSE(wave.coded.empty()) << "sox could not write the file";
    const Decoded reference = DecodeBytes(wave.reference);
    ASSERT_EQ(reference.result, 0);
    ASSERT_EQ(reference.kind, kSoundDecoderPcmWave);
    const int seekTo = c.rate / 10 + 7;
    const Decoded decoded = DecodeBytes(wave.coded, seekTo);
    ASSERT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.kind, kSoundDecoderConverted);
    EXPECT_EQ(decoded.format.formatTag, kWaveFormatPcm);
    EXPECT_EQ(decoded.format.channels, c.channels);
    EXPECT_EQ(decoded.format.samplesPerSec, static_cast<uint32_t>(c.rate));
    EXPECT_EQ(decoded.format.bitsPerSample, 16);
    // The same samples, though a codec's last block may be padded.
    ASSERT_GE(decoded.pcm.size(), reference.pcm.size() * 9 / 10);
    const size_t samples = std::min(decoded.pcm.size(), reference.pcm.size()) / 2;
    int worst = 0;
    for (size_t i = 0; i < samples; ++i) worst = std::max(worst, std::abs(Sample(decoded.pcm, i) - Sample(reference.pcm, i)));
    EXPECT_LE(worst, c.tolerance);
    // A seek lands on the sample whole decoding gives there.
    const size_t at = static_cast<size_t>(seekTo) * 2 * c.channels;
    ASSERT_EQ(decoded.afterSeek.size(), 64u);
    EXPECT_EQ(decoded.afterSeek, std::vector<uint8_t>(decoded.pcm.begin() + at, decoded.pcm.begin() + at + 64));
  }
}

TEST(CompressedWaveTest, MpegAudioInsideAWaveDecodes) {
  test::Mp3Recipe frames;
  frames.frames = 12;
  test::WaveRecipe spec;
  spec.tag = 0x55;
  spec.channels = 2;
  spec.rate = 44100;
  spec.bits = 0;
  spec.block_align = 1;
  spec.avg_bytes = 16000;
  spec.fmt_bytes = 30;
  spec.pcm = test::MakeMp3(frames);
  const Decoded decoded = DecodeBytes(test::MakeWave(spec));
  ASSERT_EQ(decoded.result, 0);
  EXPECT_EQ(decoded.format.channels, 2);
  EXPECT_EQ(decoded.format.samplesPerSec, 44100u);
  // Silent frames of 1152 samples each; the decoder may hold back its delay.
  EXPECT_GT(decoded.pcm.size(), 8u * 1152 * 4);
  EXPECT_LE(decoded.pcm.size(), 12u * 1152 * 4);
  for (size_t i = 0; i < decoded.pcm.size() / 2; ++i) ASSERT_EQ(Sample(decoded.pcm, i), 0) << i;
}

// A file whose layout the RIFF walk refuses never reaches the codec, even
// where the codec would read it; a data chunk that claims more than the file
// holds counts by what is there.
TEST(CompressedWaveTest, TheWalksChecksComeFirst) {
  const SoxWave wave = MakeSoxWave("ima-adpcm", 1, 8000);
  ASSERT_FALSE(wave.coded.empty());
  const Decoded whole = DecodeBytes(wave.coded);
  ASSERT_EQ(whole.result, 0);

  std::vector<uint8_t> junkFirst(wave.coded.begin(), wave.coded.begin() + 12);
  const uint8_t junk[] = {'J', 'U', 'N', 'K', 4, 0, 0, 0, 1, 2, 3, 4};
  junkFirst.insert(junkFirst.end(), std::begin(junk), std::end(junk));
  junkFirst.insert(junkFirst.end(), wave.coded.begin() + 12, wave.coded.end());
  EXPECT_EQ(DecodeBytes(junkFirst).result, -1);

  const SoxWave three = MakeSoxWave("ima-adpcm", 3, 8000);
  ASSERT_FALSE(three.coded.empty());
  EXPECT_EQ(DecodeBytes(three.coded).result, -1);

  std::vector<uint8_t> cut = wave.coded;
  cut.resize(cut.size() / 2);
  const Decoded half = DecodeBytes(cut);
  ASSERT_EQ(half.result, 0);
  EXPECT_LT(half.pcm.size(), whole.pcm.size() * 7 / 10);
  EXPECT_GT(half.pcm.size(), whole.pcm.size() * 4 / 10);
  EXPECT_EQ(std::vector<uint8_t>(whole.pcm.begin(), whole.pcm.begin() + 1000),
            std::vector<uint8_t>(half.pcm.begin(), half.pcm.begin() + 1000));
}

}  // namespace
}  // namespace veziv
