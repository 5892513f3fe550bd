// Stream sounds over the mixer without a device: the test moves the play
// cursor by rendering and refills as the pump would. The sources are mono
// 16-bit at the output's rate, so what comes out is the data sample for
// sample: 88200 bytes a second, a ring of 529200 bytes.
#include "library/sound_movie/sound/stream_sounds.h"

#include <gtest/gtest.h>

#include "library/sound_movie/sound/sound_buffers.h"
#include "library/sound_movie/sound/sound_test_support.h"

namespace veziv {
namespace {

using test::SoundTest;

constexpr int kRate = 44100;
constexpr int kBytesPerSecond = 88200;

// A ramp that steps by `step` and wraps: sources differ in their step, so
// any stretch of output tells which source it came from.
std::vector<int16_t> Ramp(int frames, int step, int start = 0) {
  std::vector<int16_t> samples(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>((start + i * step) % 30000 - 15000);
  return samples;
}

std::vector<int16_t> Slice(const std::vector<int16_t>& samples, int from, int to) {
  return std::vector<int16_t>(samples.begin() + from, samples.begin() + to);
}

std::vector<int16_t> Join(std::initializer_list<std::vector<int16_t>> parts) {
  std::vector<int16_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<uint8_t> MonoWave(const std::vector<int16_t>& samples) {
  test::WaveRecipe spec;
  spec.channels = 1;
  spec.pcm = test::Pcm16(samples);
  return test::MakeWave(spec);
}

class StreamSoundsTest : public SoundTest {
 protected:
  // A stream of the sources (with their play counts), filled as a load fills it.
  static int LoadStream(const std::vector<std::vector<int16_t>>& sources, const std::vector<int>& counts,
                        int owner = -1) {
    const int handle = AllocSoundHandle(-1);
    for (size_t i = 0; i < sources.size(); ++i) {
      const std::vector<uint8_t> wave = MonoWave(sources[i]);
      EXPECT_EQ(LoadStreamSoundFromFileImage(wave.data(), static_cast<int>(wave.size()), counts[i], handle, 2, owner), 0);
    }
    PrefillStreamSound(handle);
    return handle;
  }
  static SoundHandleData& Record(int handle) { return *detail::GetSoundRecord(handle); }
};

TEST_F(StreamSoundsTest, RefillTopsTheRingUpByItsRules) {
  const int handle = LoadStream({Ramp(20 * kRate, 7)}, {0});
  SoundHandleData& record = Record(handle);
  EXPECT_EQ(record.streamBufferSize, 6 * kBytesPerSecond);
  EXPECT_EQ(record.writeCursor, 4 * kBytesPerSecond);  // four seconds pre-filled
  EXPECT_EQ(record.guardCursor, 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_EQ(RefillStreamSound(handle), 0);  // not playing: nothing more
  EXPECT_EQ(record.writeCursor, 4 * kBytesPerSecond);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 0), 0);

  struct Step {
    int frames;  // rendered before the pass
    int result;
    int write_cursor;  // after the pass
  };
  const int eighth = 11024;
  const Step steps[] = {
      {4410, 0, 352800 + eighth},                // three seconds or more buffered: an eighth
      {0, -1, 352800 + eighth},                  // more than four seconds: the pass is skipped
      {2 * kRate, 0, 363824 + 86132},            // a stall leaves 2.03 s: back up to three seconds
      {kRate * 5 / 2, 0, 449956 + 220500 - 529200},  // 0.5 s left: across the ring's end
      {0, 0, 141256 + eighth},                   // three seconds exactly: an eighth
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.frames);
    if (step.frames > 0) Render(step.frames);
    EXPECT_EQ(RefillStreamSound(handle), step.result);
    EXPECT_EQ(record.writeCursor, step.write_cursor);
    EXPECT_EQ(record.guardCursor, (step.write_cursor - 4 * kBytesPerSecond + 6 * kBytesPerSecond) % (6 * kBytesPerSecond));
  }
  // What was written is the data in order, across the wrap.
  const std::vector<int16_t> source = Ramp(20 * kRate, 7);
  const int at = 4410 + 2 * kRate + kRate * 5 / 2;
  EXPECT_EQ(Left(Render(2 * kRate)), Slice(source, at, at + 2 * kRate));
}

TEST_F(StreamSoundsTest, SourcesPlayInTurnWithTheirRepeatsThenSilenceAndStop) {
  const std::vector<int16_t> a = Ramp(3 * kRate, 7), b = Ramp(3 * kRate, 11), c = Ramp(3 * kRate, 13);
  const int handle = LoadStream({a, b, c}, {1, 0, 0});  // a plays twice
  EXPECT_EQ(GetSoundHandleTotalSamples(handle), 9 * kRate);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  EXPECT_EQ(Left(Pump(12 * kRate)), Join({a, a, b, c}));
  EXPECT_EQ(IsSoundHandlePlaying(handle), 1);  // the cursor is at the end, not past it
  EXPECT_EQ(Left(Pump(735 * 2)), std::vector<int16_t>(735 * 2, 0));
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_EQ(GetSoundHandlePlayPosMs(handle), 9000);  // at most the handle's length
}

TEST_F(StreamSoundsTest, ALoopingPlayGoesBackToTheFirstSourceAndItsPositionRestarts) {
  const std::vector<int16_t> a = Ramp(2 * kRate, 7), b = Ramp(2 * kRate, 11);
  const int handle = LoadStream({a, b}, {0, 0});
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayLoop, 1), 0);
  EXPECT_EQ(Left(Pump(9 * kRate)), Join({a, b, a, b, Slice(a, 0, kRate)}));
  EXPECT_EQ(IsSoundHandlePlaying(handle), 1);
  EXPECT_EQ(GetSoundHandlePlayPosMs(handle), 1000);
}

TEST_F(StreamSoundsTest, TheEndStopsTheStreamEvenWhenOnePassCrossesTheRingsEnd) {
  // The data ends 0.1 s before the ring's end; one pass then moves the cursor
  // past both the end and the ring's wrap.
  const std::vector<int16_t> data = Ramp(kRate * 59 / 10, 7);
  const int handle = LoadStream({data}, {0});
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  const std::vector<int16_t> first = Left(Pump(kRate * 58 / 10));
  EXPECT_EQ(IsSoundHandlePlaying(handle), 1);
  const std::vector<int16_t> last = Left(Render(kRate * 3 / 10));
  RefillAllStreamSounds();
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_EQ(Join({first, last}), Join({data, std::vector<int16_t>(kRate * 2 / 10, 0)}));
  EXPECT_EQ(Left(Render(100)), std::vector<int16_t>(100, 0));
}

TEST_F(StreamSoundsTest, StopThenPlayResumesAndTopRestarts) {
  const std::vector<int16_t> data = Ramp(10 * kRate, 7);
  const int handle = LoadStream({data}, {0});
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  Pump(2 * kRate);
  ASSERT_EQ(StopSoundHandle(handle), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_EQ(GetSoundHandlePlayPosMs(handle), 2000);
  Render(kRate);  // a stopped ring does not move
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 0), 0);
  EXPECT_EQ(Left(Pump(kRate / 2)), Slice(data, 2 * kRate, 2 * kRate + kRate / 2));
  EXPECT_EQ(PlaySoundHandle(handle, SoundPlayBack, 0), 0);  // playing: left alone
  EXPECT_EQ(Left(Pump(kRate / 2)), Slice(data, 2 * kRate + kRate / 2, 3 * kRate));
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  EXPECT_EQ(Left(Pump(kRate / 2)), Slice(data, 0, kRate / 2));
  EXPECT_EQ(GetSoundHandlePlayPosMs(handle), 500);
}

// Every step of a stretch of output is the source's step: the stretch came
// from that source.
bool FromSource(const std::vector<int16_t>& out, int step) {
  for (size_t i = 1; i < out.size(); ++i) {
    const int d = (out[i] - out[i - 1] + 30000) % 30000;
    if (d != step) return false;
  }
  return !out.empty();
}

TEST_F(StreamSoundsTest, StreamsShareARingOneAtATimeAndTheOwnerGoesLast) {
  const int owner = LoadStream({Ramp(10 * kRate, 7)}, {0});
  const int borrower = LoadStream({Ramp(10 * kRate, 11)}, {0}, owner);
  EXPECT_EQ(Record(borrower).streamBufferOwner, owner);
  EXPECT_EQ(Record(owner).borrowerCount, 1);
  EXPECT_EQ(detail::SoundMixer()->BufferCount(), 2);  // the silent buffer and one ring

  ASSERT_EQ(PlaySoundHandle(owner, SoundPlayBack, 1), 0);
  EXPECT_TRUE(FromSource(Left(Pump(kRate)), 7));
  ASSERT_EQ(PlaySoundHandle(borrower, SoundPlayBack, 1), 0);
  EXPECT_EQ(IsSoundHandlePlaying(owner), 0);
  EXPECT_EQ(Left(Pump(kRate)), Ramp(kRate, 11));
  // The owner takes its ring back: what plays is its own data, filled afresh,
  // not what the borrower left in the ring.
  ASSERT_EQ(PlaySoundHandle(owner, SoundPlayBack, 0), 0);
  EXPECT_EQ(IsSoundHandlePlaying(borrower), 0);
  EXPECT_TRUE(FromSource(Left(Pump(kRate)), 7));

  ASSERT_EQ(DeleteSoundHandle(owner, 0), 0);
  ASSERT_NE(detail::GetSoundRecord(owner), nullptr);  // waits for its borrower
  EXPECT_EQ(Record(owner).deletePending, 1);
  EXPECT_EQ(detail::SoundMixer()->BufferCount(), 2);
  ASSERT_EQ(DeleteSoundHandle(borrower, 0), 0);
  EXPECT_EQ(detail::GetSoundRecord(owner), nullptr);
  EXPECT_EQ(detail::SoundHandleCount(), 0);
  EXPECT_EQ(detail::SoundMixer()->BufferCount(), 1);
}

TEST_F(StreamSoundsTest, ABorrowerGoingFirstLeavesTheOwnerWhole) {
  const int owner = LoadStream({Ramp(kRate, 7)}, {0});
  const int borrower = LoadStream({Ramp(kRate, 11)}, {0}, owner);
  // Another format cannot share: that one gets a ring of its own.
  test::WaveRecipe stereo;
  stereo.pcm = test::Pcm16(Ramp(2 * kRate, 3));
  const std::vector<uint8_t> wave = test::MakeWave(stereo);
  const int other = AllocSoundHandle(-1);
  ASSERT_EQ(LoadStreamSoundFromFileImage(wave.data(), static_cast<int>(wave.size()), 0, other, 2, owner), 0);
  EXPECT_EQ(Record(other).streamBufferOwner, -1);
  EXPECT_EQ(Record(owner).borrowerCount, 1);
  ASSERT_EQ(DeleteSoundHandle(borrower, 0), 0);
  EXPECT_EQ(Record(owner).borrowerCount, 0);
  ASSERT_EQ(PlaySoundHandle(owner, SoundPlayBack, 1), 0);
  EXPECT_EQ(Left(Pump(kRate / 2)), Ramp(kRate / 2, 7));
  EXPECT_EQ(DeleteSoundHandleAll(0), 0);
  EXPECT_EQ(detail::SoundHandleCount(), 0);
  EXPECT_EQ(detail::SoundMixer()->BufferCount(), 1);
}

TEST_F(StreamSoundsTest, SourcesThatCannotBeAddedAreRefusedAndChangeNothing) {
  const std::vector<uint8_t> small = MonoWave(Ramp(kRate / 10, 7));
  const int size = static_cast<int>(small.size());
  const int handle = AllocSoundHandle(-1);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(LoadStreamSoundFromFileImage(small.data(), size, 0, handle, 2, -1), 0);
  EXPECT_EQ(LoadStreamSoundFromFileImage(small.data(), size, 0, handle, 2, -1), -1);
  EXPECT_TRUE(Logged("ストリーム風サウンドの制御データ領域がいっぱいです"));
  EXPECT_TRUE(Logged("ＷＡＶファイルのストリームイメージのセットアップに失敗しました"));

  const int two = AllocSoundHandle(-1);
  ASSERT_EQ(LoadStreamSoundFromFileImage(small.data(), size, 0, two, 2, -1), 0);
  test::WaveRecipe stereo;
  stereo.pcm = test::Pcm16(Ramp(kRate / 10, 3));
  const std::vector<uint8_t> other = test::MakeWave(stereo);
  EXPECT_EQ(LoadStreamSoundFromFileImage(other.data(), static_cast<int>(other.size()), 0, two, 0, -1), -1);
  EXPECT_TRUE(Logged("フォーマットの違う音声データは同時に使うことは出来ません"));
  EXPECT_EQ(Record(two).sourceCount, 1);
  EXPECT_EQ(GetSoundHandleTotalSamples(two), kRate / 10);

  ASSERT_EQ(PlayStreamSoundHandle(two, SoundPlayLoop, 1), 0);
  EXPECT_EQ(LoadStreamSoundFromFileImage(small.data(), size, 0, two, 2, -1), -1);
  EXPECT_TRUE(Logged("既に再生中のストリームサウンドデータにデータを追加しようとしました"));
  EXPECT_EQ(Left(Render(kRate / 10)), Ramp(kRate / 10, 7));

  const int memory = LoadSamples(Ramp(100, 7));
  EXPECT_EQ(LoadStreamSoundFromFileImage(small.data(), size, 0, memory, 2, -1), -1);
  EXPECT_TRUE(Logged("ストリーム風サウンドではないサウンドデータが渡されました in AttachStreamSource"));

  const std::vector<uint8_t> noise(500, 0x41);
  const int fresh = AllocSoundHandle(-1);
  EXPECT_EQ(LoadStreamSoundFromFileImage(noise.data(), 500, 0, fresh, 0, -1), -1);
  EXPECT_TRUE(Logged("音声データの変換に失敗しました"));
  EXPECT_EQ(LoadStreamSoundFromFileImage(noise.data(), 500, 0, fresh, 2, -1), -1);
  EXPECT_TRUE(Logged("音声データのオープンに失敗しました"));
  const std::string missing = folder_ + "/missing.ogg";
  EXPECT_EQ(LoadStreamSoundFileToHandle(missing.c_str(), 0, fresh, 3, -1), -1);
  EXPECT_TRUE(Logged("右記のＷＡＶファイルのロードに失敗しました：" + missing));
  EXPECT_EQ(Record(fresh).kind, kSoundMemory);
  EXPECT_EQ(detail::SoundMixer()->BufferCount(), 4);  // silent, two rings, the memory sound; none for the failures
}

TEST_F(StreamSoundsTest, EveryCreateTypeAndKeepModePlaysTheSameData) {
  const std::vector<int16_t> data = Ramp(kRate * 5, 7);
  const std::vector<uint8_t> wave = MonoWave(data);
  const std::string path = WriteFile("long.wav", wave);
  for (int type = 1; type <= 3; ++type) {
    SCOPED_TRACE(type);
    ASSERT_EQ(SetSoundCreateType(type), 0);
    const int from_file = LoadSoundFileToHandle(path.c_str(), 3, -1);
    const int from_image = LoadSoundFromFileImage(wave.data(), static_cast<int>(wave.size()), 3, -1);
    ASSERT_NE(from_file, -1);
    ASSERT_NE(from_image, -1);
    EXPECT_EQ(Record(from_file).kind, kSoundStream);
    EXPECT_EQ(Record(from_file).sources[0].keepMode, type);
    EXPECT_EQ(Record(from_image).sources[0].keepMode, 2);  // an image is always copied
    for (int handle : {from_file, from_image}) {
      ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
      EXPECT_EQ(Left(Pump(kRate * 5)), data);
      ASSERT_EQ(DeleteSoundHandle(handle, 0), 0);
    }
  }
  SetSoundCreateType(0);
  const int decoded = AllocSoundHandle(-1);
  ASSERT_EQ(LoadStreamSoundFromFileImage(wave.data(), static_cast<int>(wave.size()), 0, decoded, 0, -1), 0);
  ASSERT_EQ(PlaySoundHandle(decoded, SoundPlayBack, 1), 0);
  EXPECT_EQ(Left(Pump(kRate * 5)), data);
}

}  // namespace
}  // namespace veziv
