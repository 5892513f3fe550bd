// Loop points of stream sounds: an Ogg Vorbis stream and a memory sound
// (which turns into a stream) go round from their loop position without a
// gap, sample for sample; the play position restarts from the loop position
// each time the cursor passes a wrap, also when several are written ahead;
// a loop position past the data ends the stream instead of spinning.
#include <gtest/gtest.h>

#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/sound/sound_buffers.h"
#include "library/sound_movie/sound/sound_test_support.h"
#include "library/sound_movie/sound/stream_sounds.h"

namespace veziv {
namespace {

using test::SoundTest;

constexpr int kRate = 44100;

// The whole PCM of the data, through the same decoder the stream uses.
std::vector<int16_t> DecodeAll(const std::vector<uint8_t>& bytes) {
  MemoryStreamState* stream = OpenMemoryStream(bytes.data(), static_cast<int>(bytes.size()));
  SoundDecoderRecord decoder{};
  EXPECT_EQ(OpenSoundSource(GetMemoryStreamTable(), reinterpret_cast<StreamValue>(stream), &decoder), 0);
  SoundWaveFormat format{};
  void* pcm = nullptr;
  int size = 0;
  EXPECT_EQ(DecodeSoundSourceToPcm(&decoder, &format, &pcm, &size), 0);
  std::vector<int16_t> samples(static_cast<const int16_t*>(pcm), static_cast<const int16_t*>(pcm) + size / 2);
  FreeLibMemory(pcm);
  CloseSoundSource(&decoder);
  CloseMemoryStream(stream);
  return samples;
}

// The data played once, then from the loop position (in samples of `channels`) on until `total` values.
std::vector<int16_t> Looped(const std::vector<int16_t>& data, int loop, int channels, size_t total) {
  std::vector<int16_t> out(data);
  while (out.size() < total) out.insert(out.end(), data.begin() + loop * channels, data.end());
  out.resize(total);
  return out;
}

class StreamLoopTest : public SoundTest {};

TEST_F(StreamLoopTest, AnOggStreamGoesRoundFromItsLoopPointWithoutAGap) {
  const std::vector<uint8_t> ogg = test::MakeOggVorbis(2, kRate, 5 * kRate);
  const std::vector<int16_t> pcm = DecodeAll(ogg);
  ASSERT_EQ(pcm.size(), static_cast<size_t>(2 * 5 * kRate));
  ASSERT_EQ(SetSoundCreateType(2), 0);
  const int handle = LoadSoundFromFileImage(ogg.data(), static_cast<int>(ogg.size()), 1, -1);
  ASSERT_NE(handle, -1);
  const int loop = kRate * 3 / 2;
  ASSERT_EQ(SetSoundHandleLoopPointMs(1500, handle), 0);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  // Once through (5 s), twice round the loop (3.5 s each) and on.
  const int frames = 5 * kRate + 7 * kRate + kRate / 2;
  EXPECT_EQ(Pump(frames), Looped(pcm, loop, 2, static_cast<size_t>(frames) * 2));
  EXPECT_EQ(IsSoundHandlePlaying(handle), 1);
  // 1.5 s + 0.5 s into the third time round the loop: a loop of 3.5 s has
  // more than one wrap written ahead of the cursor.
  EXPECT_EQ(GetSoundHandlePlayPosMs(handle), 2000);
}

TEST_F(StreamLoopTest, AMemorySoundWithALoopPointLoopsAsAStream) {
  std::vector<int16_t> samples(kRate);
  for (int i = 0; i < kRate; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>(i % 20000 - 10000);
  const int handle = LoadSamples(samples, 3);
  ASSERT_EQ(SetSoundHandleLoopPointMs(300, handle), 0);
  const SoundHandleData* record = detail::GetSoundRecord(handle);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->kind, kSoundStream);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayLoop, 1), 0);
  const int frames = 4 * kRate;
  EXPECT_EQ(Left(Pump(frames)), Looped(samples, kRate * 3 / 10, 1, frames));
}

TEST_F(StreamLoopTest, ALoopPositionPastTheDataEndsTheStreamInsteadOfSpinning) {
  // Ogg data claims a second more than it holds, so such a position is taken.
  const std::vector<uint8_t> ogg = test::MakeOggVorbis(1, kRate, kRate);
  ASSERT_EQ(SetSoundCreateType(2), 0);
  const int handle = LoadSoundFromFileImage(ogg.data(), static_cast<int>(ogg.size()), 1, -1);
  ASSERT_EQ(SetSoundHandleLoopPointSamples(kRate + 1000, handle), 0);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayLoop, 1), 0);
  const std::vector<int16_t> out = Left(Pump(2 * kRate));
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_EQ(std::vector<int16_t>(out.begin() + kRate, out.end()), std::vector<int16_t>(kRate, 0));
}

TEST_F(StreamLoopTest, PlayedBytesRestartWhenTheCursorPassesTheWrapPoint) {
  const std::vector<uint8_t> ogg = test::MakeOggVorbis(1, kRate, kRate);
  ASSERT_EQ(SetSoundCreateType(2), 0);
  const int handle = LoadSoundFromFileImage(ogg.data(), static_cast<int>(ogg.size()), 1, -1);
  SoundHandleData* record = detail::GetSoundRecord(handle);
  const int ring = record->streamBufferSize;
  struct Case {
    int last, now;
    std::vector<int> wraps;  // ahead of the cursor, oldest first; each goes back to 50 x its place + 50
    int played;              // after the move, from 1000 played
    int left;                // wraps still ahead
  };
  const Case cases[] = {
      {100, 300, {200}, 50 + 100, 0},                      // passed
      {100, 200, {200}, 50, 0},                            // landed on it
      {100, 199, {200}, 1000 + 99, 1},                     // not yet
      {ring - 100, 100, {100}, 50, 0},                     // round the ring's end, landed on it
      {ring - 100, 100, {ring - 50}, 50 + 150, 0},         // passed before the ring's end
      {ring - 100, 100, {200}, 1000 + 200, 1},             // not yet, round the ring's end
      {100, 5000, {200, 3000, 6000}, 100 + 2000, 1},       // two passed in one move: the later counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.last << " -> " << c.now << " over " << c.wraps[0]);
    SoundStreamProgress& progress = record->progress;
    progress.lastPlayCursor = c.last;
    progress.pendingWraps = static_cast<int>(c.wraps.size());
    for (size_t i = 0; i < c.wraps.size(); ++i) {
      progress.wrapPositions[i] = c.wraps[i];
      progress.wrapLoopStarts[i] = 50 * static_cast<int>(i + 1);
    }
    progress.playedBytes = 1000;
    progress.loopWrapped = 1;
    ASSERT_EQ(UpdateStreamPlayedBytes(handle, c.now), 0);
    EXPECT_EQ(progress.playedBytes, c.played);
    EXPECT_EQ(progress.pendingWraps, c.left);
    EXPECT_EQ(progress.loopWrapped, c.left > 0 ? 1 : 0);
    if (c.left > 0) {
      EXPECT_EQ(progress.wrapPositions[0], c.wraps[c.wraps.size() - static_cast<size_t>(c.left)]);
    }
    EXPECT_EQ(progress.lastPlayCursor, c.now);
  }
}

}  // namespace
}  // namespace veziv
