// The sound readers over memory streams: the RIFF walk and its checks,
// PCM block reads and seeks, Ogg Vorbis made with the encoder, MP3 headers,
// tags and frames, whole decoding and WAVE images.
#include "library/sound_movie/readers/sound_decoder.h"

#include <gtest/gtest.h>

#include <ogg/ogg.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

#include "library/foundation/memory_log/log_test_support.h"
#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/readers/reader_kinds.h"
#include "library/sound_movie/readers/sound_fixtures_test_support.h"

namespace veziv {
namespace {

using test::MakeMp3;
using test::MakeOggVorbis;
using test::MakeWave;
using test::Mp3Recipe;
using test::Pcm16;
using test::WaveRecipe;

// A decoder opened over a copy of bytes, closed at the end of the scope.
class Source {
 public:
  explicit Source(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    stream_ = OpenMemoryStream(bytes_.data(), static_cast<int>(bytes_.size()));
    result_ = OpenSoundSource(GetMemoryStreamTable(), reinterpret_cast<StreamValue>(stream_), &record_);
  }
  ~Source() {
    if (result_ == 0) CloseSoundSource(&record_);
    CloseMemoryStream(stream_);
  }
  int result() const { return result_; }
  SoundDecoderRecord* record() { return &record_; }
  std::vector<uint8_t> Read(int bytes) {
    std::vector<uint8_t> out(static_cast<size_t>(bytes));
    const int got = ReadSoundSourcePcm(&record_, out.data(), bytes);
    out.resize(static_cast<size_t>(std::max(got, 0)));
    return out;
  }
  std::vector<uint8_t> DecodeAll(SoundWaveFormat* format = nullptr) {
    SoundWaveFormat ignored;
    void* pcm = nullptr;
    int size = -1;
    EXPECT_EQ(DecodeSoundSourceToPcm(&record_, format ? format : &ignored, &pcm, &size), 0);
    std::vector<uint8_t> out(static_cast<uint8_t*>(pcm), static_cast<uint8_t*>(pcm) + size);
    FreeLibMemory(pcm);
    return out;
  }

 private:
  std::vector<uint8_t> bytes_;
  MemoryStreamState* stream_ = nullptr;
  SoundDecoderRecord record_{};
  int result_ = -1;
};

std::vector<uint8_t> Ramp(int bytes) {
  std::vector<uint8_t> out(static_cast<size_t>(bytes));
  for (int i = 0; i < bytes; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + 3);
  return out;
}

TEST(WaveReaderTest, HandsOutThePcmOfEachAcceptedLayout) {
  struct Case {
    const char* name;
    WaveRecipe spec;
    uint16_t channels, bits, block_align;
    int data_bytes;  // what decodes
  };
  WaveRecipe stereo16;
  stereo16.pcm = Ramp(400);
  WaveRecipe mono8;
  mono8.channels = 1;
  mono8.bits = 8;
  mono8.rate = 11025;
  mono8.pcm = Ramp(101);
  WaveRecipe fmt18 = stereo16;
  fmt18.fmt_bytes = 18;
  WaveRecipe fmt40 = stereo16;
  fmt40.fmt_bytes = 40;
  WaveRecipe wrong_bits = stereo16;  // a 16-byte fmt takes its bits from block align and channels
  wrong_bits.bits = 12;
  wrong_bits.block_align = 4;
  WaveRecipe odd_chunk = stereo16;   // skipped with its pad byte
  odd_chunk.odd_chunk_bytes = 5;
  WaveRecipe cut = stereo16;         // claims more than is there: what is there counts
  cut.claimed_data = 100000;
  WaveRecipe streaming = stereo16;   // written while recording, size never filled in
  streaming.claimed_data = 0xFFFFFFFF;
  WaveRecipe ragged = stereo16;      // a partial last block is dropped
  ragged.pcm = Ramp(403);
  WaveRecipe lying_rate = stereo16;  // the average rate is taken from the block size
  lying_rate.avg_bytes = 0xFFFFFFF0;
  const Case cases[] = {
      {"16-bit stereo", stereo16, 2, 16, 4, 400}, {"8-bit mono", mono8, 1, 8, 1, 101},
      {"18-byte fmt", fmt18, 2, 16, 4, 400},      {"40-byte fmt", fmt40, 2, 16, 4, 400},
      {"bits from block", wrong_bits, 2, 16, 4, 400}, {"odd chunk", odd_chunk, 2, 16, 4, 400},
      {"cut short", cut, 2, 16, 4, 400},          {"unknown size", streaming, 2, 16, 4, 400},
      {"partial block", ragged, 2, 16, 4, 400},   {"lying average", lying_rate, 2, 16, 4, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Source source(MakeWave(c.spec));
    ASSERT_EQ(source.result(), 0);
    EXPECT_EQ(source.record()->kind, kSoundDecoderPcmWave);
    SoundWaveFormat format;
    const std::vector<uint8_t> pcm = source.DecodeAll(&format);
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, c.channels);
    EXPECT_EQ(format.bitsPerSample, c.bits);
    EXPECT_EQ(format.blockAlign, c.block_align);
    EXPECT_EQ(format.samplesPerSec, c.spec.rate);
    EXPECT_EQ(format.avgBytesPerSec, c.spec.rate * c.block_align);
    EXPECT_EQ(GetSoundSourcePcmSize(source.record()), c.data_bytes);
    ASSERT_EQ(pcm.size(), static_cast<size_t>(c.data_bytes));
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), c.spec.pcm.begin()));
  }
}

TEST(WaveReaderTest, RefusesWhatItCannotReadOrPlay) {
  struct Case {
    const char* name;
    WaveRecipe spec;
  };
  WaveRecipe good;
  good.pcm = Ramp(64);
  auto with = [&good](auto change) {
    WaveRecipe spec = good;
    change(spec);
    return spec;
  };
  const Case cases[] = {
      {"fmt not first", with([](WaveRecipe& s) { s.chunk_before_fmt = "JUNK"; })},
      {"no data chunk", with([](WaveRecipe& s) { s.data_chunk = false; })},
      {"short fmt", with([](WaveRecipe& s) { s.fmt_bytes = 14; })},
      {"no channels", with([](WaveRecipe& s) { s.channels = 0; })},
      {"no block align", with([](WaveRecipe& s) { s.block_align = 0; })},
      {"no rate", with([](WaveRecipe& s) { s.rate = 0; })},
      {"MS ADPCM without its coefficients", with([](WaveRecipe& s) { s.tag = 2; })},
      {"24-bit", with([](WaveRecipe& s) {
         s.bits = 24;
         s.fmt_bytes = 18;
       })},
      {"three channels", with([](WaveRecipe& s) { s.channels = 3; })},
      {"rate too low", with([](WaveRecipe& s) { s.rate = 99; })},
      {"rate too high", with([](WaveRecipe& s) { s.rate = 200001; })},
      {"block align not the frame", with([](WaveRecipe& s) {
         s.block_align = 6;
         s.fmt_bytes = 18;
       })},
      {"empty data", with([](WaveRecipe& s) { s.pcm.clear(); })},
      {"less than a block", with([](WaveRecipe& s) { s.pcm.resize(3); })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Source source(MakeWave(c.spec));
    EXPECT_EQ(source.result(), -1);
  }
  // Not even the start of a RIFF file.
  Source nothing(std::vector<uint8_t>{});
  EXPECT_EQ(nothing.result(), -1);
  Source text(std::vector<uint8_t>{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '});
  EXPECT_EQ(text.result(), -1);
}

TEST(WaveReaderTest, ReadsInBlocksSeeksAndSetsTheEndFlag) {
  WaveRecipe spec;
  spec.pcm = Ramp(400);
  Source source(MakeWave(spec));
  ASSERT_EQ(source.result(), 0);
  std::vector<uint8_t> all;
  for (;;) {
    std::vector<uint8_t> piece = source.Read(37);
    all.insert(all.end(), piece.begin(), piece.end());
    if (piece.size() < 37) break;
  }
  EXPECT_EQ(all, spec.pcm);
  EXPECT_EQ(source.record()->endFlag, 1u);
  EXPECT_TRUE(source.Read(10).empty());

  // A seek clears the end flag and moves to the sample.
  ASSERT_EQ(SeekSoundSource(source.record(), 50), 0);
  EXPECT_EQ(source.record()->endFlag, 0u);
  EXPECT_EQ(source.Read(8), std::vector<uint8_t>(spec.pcm.begin() + 200, spec.pcm.begin() + 208));
  // Within 15 bytes of where it is, a seek leaves the position alone.
  ASSERT_EQ(SeekSoundSource(source.record(), 50), 0);
  EXPECT_EQ(source.Read(4), std::vector<uint8_t>(spec.pcm.begin() + 208, spec.pcm.begin() + 212));
  ASSERT_EQ(SeekSoundSource(source.record(), 49), 0);  // 16 bytes back: it moves
  EXPECT_EQ(source.Read(4), std::vector<uint8_t>(spec.pcm.begin() + 196, spec.pcm.begin() + 200));

  SoundDecoderRecord closed{};
  char byte;
  EXPECT_EQ(ReadSoundSourcePcm(&closed, &byte, 1), -1);
  EXPECT_EQ(CloseSoundSource(&closed), -1);
}

TEST(WaveImageTest, BuildsARiffFileTheReaderTakesBack) {
  SoundWaveFormat format{1, 1, 8000, 16000, 2, 16, 0};
  const std::vector<uint8_t> pcm = Pcm16({1, -2, 300});
  void* image = nullptr;
  int size = 0;
  ASSERT_EQ(BuildWaveImage(&image, &size, &format, 18, pcm.data(), static_cast<int>(pcm.size())), 0);
  ASSERT_EQ(size, 6 + 18 + 28);
  const std::vector<uint8_t> bytes(static_cast<uint8_t*>(image), static_cast<uint8_t*>(image) + size);
  FreeLibMemory(image);
  const std::vector<uint8_t> expected = {
      'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 18, 0, 0, 0,
      1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 0, 0,
      'd', 'a', 't', 'a', 6, 0, 0, 0, 1, 0, 0xFE, 0xFF, 0x2C, 0x01};
  EXPECT_EQ(bytes, expected);
  Source source(bytes);
  ASSERT_EQ(source.result(), 0);
  EXPECT_EQ(source.DecodeAll(), pcm);
}

TEST(VorbisReaderTest, DecodesEveryEncodedSampleAndSeeksToOne) {
  constexpr int kFrames = 10000;
  const std::vector<uint8_t> ogg = MakeOggVorbis(2, 22050, kFrames);
  ASSERT_FALSE(ogg.empty());
  Source source(ogg);
  ASSERT_EQ(source.result(), 0);
  EXPECT_EQ(source.record()->kind, kSoundDecoderOggVorbis);
  EXPECT_EQ(GetSoundSourcePcmSize(source.record()), 2 * 2 * (kFrames + 44100));
  SoundWaveFormat format;
  const std::vector<uint8_t> pcm = source.DecodeAll(&format);
  EXPECT_EQ(format.channels, 2);
  EXPECT_EQ(format.samplesPerSec, 22050u);
  EXPECT_EQ(format.bitsPerSample, 16);
  EXPECT_EQ(format.blockAlign, 4);
  ASSERT_EQ(pcm.size(), static_cast<size_t>(kFrames) * 4);
  // The tone comes back close to what went in (the codec is lossy).
  double error = 0;
  for (int i = 1000; i < 2000; ++i) {
    const int16_t left = static_cast<int16_t>(pcm[static_cast<size_t>(i) * 4] | pcm[static_cast<size_t>(i) * 4 + 1] << 8);
    error += std::abs(left / 32767.0 - 0.5 * std::sin(i * 0.05));
  }
  EXPECT_LT(error / 1000, 0.02);

  ASSERT_EQ(SeekSoundSource(source.record(), 7000), 0);
  EXPECT_EQ(source.Read(64), std::vector<uint8_t>(pcm.begin() + 28000, pcm.begin() + 28064));
}

// The last page's granule position, which gives the length, set to a value
// of the file's choosing (the page's checksum made again).
std::vector<uint8_t> WithLastGranule(std::vector<uint8_t> ogg, int64_t granule) {
  size_t last = std::string::npos;
  for (size_t i = 0; i + 27 <= ogg.size(); ++i) {
    if (std::memcmp(&ogg[i], "OggS", 4) == 0) last = i;
  }
  if (last == std::string::npos) return {};
  uint8_t* header = &ogg[last];
  for (int i = 0; i < 8; ++i) header[6 + i] = static_cast<uint8_t>(static_cast<uint64_t>(granule) >> (8 * i));
  const int segments = header[26];
  long body = 0;
  for (int i = 0; i < segments; ++i) body += header[27 + i];
  ogg_page page{header, 27 + segments, header + 27 + segments, body};
  ogg_page_checksum_set(&page);
  return ogg;
}

TEST(VorbisReaderTest, ALengthNearTheLimitSaturatesInsteadOfOverflowing) {
  // Long enough for several data pages: the first one's granule sets where the PCM starts.
  constexpr size_t kFrames = 60000;
  const std::vector<uint8_t> ogg = MakeOggVorbis(2, 22050, kFrames);
  for (const int64_t granule : {INT64_MAX - 15, int64_t{0x7FFFFFFF}, INT64_MAX / 4}) {
    SCOPED_TRACE(granule);
    Source source(WithLastGranule(ogg, granule));
    ASSERT_EQ(source.result(), 0);
    EXPECT_EQ(GetSoundSourcePcmSize(source.record()), 0x7FFFFFFF);
    // Whole decoding takes what the pages hold, not what the length claims.
    EXPECT_LE(source.DecodeAll().size(), (kFrames + 4096) * 4);
  }
}

TEST(VorbisReaderTest, RefusesMoreChannelsThanTheMixerTakes) {
  Source surround(MakeOggVorbis(3, 22050, 2000));
  EXPECT_EQ(surround.result(), -1);
  Source mono(MakeOggVorbis(1, 8000, 2000));
  ASSERT_EQ(mono.result(), 0);
  EXPECT_EQ(mono.DecodeAll().size(), 4000u);
}

TEST(Mp3ReaderTest, ParsesFrameHeaders) {
  struct Case {
    uint8_t b[4];
    bool ok;
    int version = 0, layer = 0, bit_rate = 0, rate = 0, padding = 0, channels = 0, frame_bytes = 0;
  };
  const Case cases[] = {
      {{0xFF, 0xFB, 0x90, 0x00}, true, 1, 3, 128, 44100, 0, 2, 417},
      {{0xFF, 0xFB, 0x92, 0xC0}, true, 1, 3, 128, 44100, 1, 1, 418},
      {{0xFF, 0xFB, 0xE4, 0x40}, true, 1, 3, 320, 48000, 0, 2, 960},
      {{0xFF, 0xF3, 0x88, 0xC0}, true, 2, 3, 64, 16000, 0, 1, 288},
      {{0xFF, 0xF5, 0x40, 0x00}, true, 2, 2, 32, 22050, 0, 2, 208},
      {{0xFF, 0xFD, 0x50, 0x00}, true, 1, 2, 80, 44100, 0, 2, 261},
      {{0xFF, 0xFF, 0x12, 0x00}, true, 1, 1, 32, 44100, 1, 2, 36},
      {{0xFF, 0xFB, 0x00, 0x00}, false},  // free format: no length to step by
      {{0xFF, 0xFB, 0xF0, 0x00}, false},  // bit-rate index 15
      {{0xFF, 0xFB, 0x9C, 0x00}, false},  // rate index 3
      {{0xFF, 0xF9, 0x90, 0x00}, false},  // reserved layer
      {{0xFF, 0xEB, 0x90, 0x00}, false},  // no sync
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::vector<int>(c.b, c.b + 4)));
    detail::Mp3FrameHeader h{};
    ASSERT_EQ(detail::ParseMp3FrameHeader(c.b, &h), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(h.mpegVersion, c.version);
    EXPECT_EQ(h.layer, c.layer);
    EXPECT_EQ(h.bitRate, c.bit_rate);
    EXPECT_EQ(h.sampleRate, c.rate);
    EXPECT_EQ(h.padding, c.padding);
    EXPECT_EQ(h.channels, c.channels);
    EXPECT_EQ(h.frameBytes, c.frame_bytes);
  }
}

TEST(Mp3ReaderTest, SkipsTagsAndDecodesEveryFrame) {
  struct Case {
    const char* name;
    Mp3Recipe spec;
    int data_position;
    int channels;
  };
  Mp3Recipe plain;
  plain.frames = 5;
  Mp3Recipe tagged = plain;
  tagged.id3v2_bytes = 300;
  tagged.id3v1 = true;
  Mp3Recipe footer = plain;  // ID3v2.4 with its footer: 20 bytes beyond the size
  footer.id3v2_bytes = 300;
  footer.id3v24_footer = true;
  Mp3Recipe junk = plain;
  junk.junk_before = {0x00, 0xFF, 0x00, 0x12};
  junk.mono = true;
  const Case cases[] = {{"plain", plain, 0, 2},
                        {"ID3v2.3 and ID3v1", tagged, 310, 2},
                        {"ID3v2.4 with footer", footer, 320, 2},
                        {"junk before the first frame", junk, 4, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Source source(MakeMp3(c.spec));
    ASSERT_EQ(source.result(), 0);
    EXPECT_EQ(source.record()->kind, kSoundDecoderConverted);
    EXPECT_EQ(source.record()->dataPosition, c.data_position);
    EXPECT_EQ(source.record()->dataSize, 417 * 5 + 1);
    const int frame_bytes = 1152 * 2 * c.channels;
    EXPECT_EQ(GetSoundSourcePcmSize(source.record()), 5 * frame_bytes);
    SoundWaveFormat format;
    const std::vector<uint8_t> pcm = source.DecodeAll(&format);
    EXPECT_EQ(format.channels, c.channels);
    EXPECT_EQ(format.samplesPerSec, 44100u);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(pcm.size(), static_cast<size_t>(5 * frame_bytes));
    EXPECT_EQ(std::count(pcm.begin(), pcm.end(), 0), static_cast<long>(pcm.size()));
    // Back to a sample: the converter starts over and decodes forward.
    ASSERT_EQ(SeekSoundSource(source.record(), 3000), 0);
    const std::vector<uint8_t> rest = source.Read(5 * frame_bytes);
    EXPECT_EQ(rest.size(), static_cast<size_t>(5 * frame_bytes - 3000 * 2 * c.channels));
  }
}

TEST(Mp3ReaderTest, RefusesFreeFormatAndFilesWithoutFrames) {
  std::vector<uint8_t> free_format = MakeMp3(Mp3Recipe{});
  free_format[2] = 0x00;  // bit-rate index 0 on the first frame
  Source refused(free_format);
  EXPECT_EQ(refused.result(), -1);
  Source silence(std::vector<uint8_t>(5000, 0));
  EXPECT_EQ(silence.result(), -1);
  // Exactly 128 bytes: no room for an ID3v1 tag after audio, so "TAG" is not looked for.
  std::vector<uint8_t> small(128, 0);
  small[0] = 'T', small[1] = 'A', small[2] = 'G';
  small[10] = 0xFF, small[11] = 0xFB, small[12] = 0x00;  // a free-format header inside
  Source tag_only(small);
  EXPECT_EQ(tag_only.result(), -1);
}

class SoundFilesTest : public test::LogFolderTest {};

TEST_F(SoundFilesTest, LoadsWholeFilesAndLogsTheMissingOne) {
  const std::string path = folder_ + "/sound.wav";
  WaveRecipe spec;
  spec.pcm = Ramp(40);
  const std::vector<uint8_t> bytes = MakeWave(spec);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  void* image = nullptr;
  int size = 0;
  ASSERT_EQ(LoadFileToMemory(path.c_str(), &image, &size), 0);
  EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(image), static_cast<uint8_t*>(image) + size), bytes);
  FreeLibMemory(image);

  const std::string missing = folder_ + "/none.wav";
  EXPECT_EQ(LoadFileToMemory(missing.c_str(), &image, &size), -1);
  EXPECT_NE(ReadLog().find("右記のファイルのオープンに失敗しました：" + missing), std::string::npos);
}

}  // namespace
}  // namespace veziv
