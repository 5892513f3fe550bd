// The mixer driven through Render: exact samples for each format, volume,
// rate, duplicates, clipping, loops and the play cursor.
#include "platform/audio/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::audio {
namespace {

constexpr int kRate = 44100;

// Writes samples (16-bit, interleaved as given) into a buffer through Lock.
void Fill16(Mixer& mixer, int buffer, const std::vector<int16_t>& samples) {
  LockedRegions regions;
  ASSERT_EQ(mixer.Lock(buffer, 0, static_cast<uint32_t>(samples.size() * 2), &regions), 0);
  ASSERT_EQ(regions.second_bytes, 0u);
  std::memcpy(regions.first, samples.data(), samples.size() * 2);
  ASSERT_EQ(mixer.Unlock(buffer), 0);
}

int MakeStereo16(Mixer& mixer, const std::vector<int16_t>& samples, int rate = kRate) {
  const int buffer = mixer.CreateBuffer({2, 16, rate}, static_cast<uint32_t>(samples.size() * 2));
  EXPECT_GT(buffer, 0);
  Fill16(mixer, buffer, samples);
  return buffer;
}

std::vector<int16_t> Render(Mixer& mixer, int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 12345);
  mixer.Render(out.data(), frames);
  return out;
}

std::vector<int16_t> Left(const std::vector<int16_t>& stereo) {
  std::vector<int16_t> left;
  for (size_t i = 0; i < stereo.size(); i += 2) left.push_back(stereo[i]);
  return left;
}

uint32_t Position(Mixer& mixer, int buffer) {
  uint32_t byte = 0;
  EXPECT_EQ(mixer.GetPosition(buffer, &byte), 0);
  return byte;
}

bool Playing(Mixer& mixer, int buffer) {
  uint32_t status = 0;
  EXPECT_EQ(mixer.GetStatus(buffer, &status), 0);
  return (status & kStatusPlaying) != 0;
}

TEST(MixerTest, PlaysEachFormatSampleForSampleAndStopsAtItsEnd) {
  struct Case {
    PcmFormat format;
    std::vector<uint8_t> bytes;
    std::vector<int16_t> expected;  // interleaved stereo
  };
  const Case cases[] = {
      {{1, 8, kRate}, {128, 255, 0}, {0, 0, 127 * 256, 127 * 256, -128 * 256, -128 * 256}},
      {{2, 8, kRate}, {129, 127, 0, 255}, {256, -256, -32768, 127 * 256}},
      {{1, 16, kRate}, {0x10, 0x00, 0x00, 0x80}, {16, 16, -32768, -32768}},
      {{2, 16, kRate}, {0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80}, {1, -1, 32767, -32768}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format.bits * 10 + c.format.channels);
    Mixer mixer(kRate);
    const int buffer = mixer.CreateBuffer(c.format, static_cast<uint32_t>(c.bytes.size()));
    ASSERT_GT(buffer, 0);
    LockedRegions regions;
    ASSERT_EQ(mixer.Lock(buffer, 0, static_cast<uint32_t>(c.bytes.size()), &regions), 0);
    std::memcpy(regions.first, c.bytes.data(), c.bytes.size());
    ASSERT_EQ(mixer.Unlock(buffer), 0);
    ASSERT_EQ(mixer.Play(buffer, false), 0);
    const size_t frames = c.expected.size() / 2;
    std::vector<int16_t> out = Render(mixer, static_cast<int>(frames) + 2);
    std::vector<int16_t> expected = c.expected;
    expected.insert(expected.end(), 4, 0);  // silence once it is over
    EXPECT_EQ(out, expected);
    EXPECT_FALSE(Playing(mixer, buffer));
    EXPECT_EQ(Position(mixer, buffer), 0u);  // back to the start after a natural end
  }
}

TEST(MixerTest, CursorCountsWholeBlocksAsItPlays) {
  Mixer mixer(kRate);
  const int buffer = MakeStereo16(mixer, std::vector<int16_t>(200, 7));
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  Render(mixer, 37);
  EXPECT_EQ(Position(mixer, buffer), 37u * 4);
  EXPECT_TRUE(Playing(mixer, buffer));
  Render(mixer, 63);  // exactly the last frame: over now, not one block later
  EXPECT_FALSE(Playing(mixer, buffer));
}

TEST(MixerTest, RefusesFormatsAndSizesItCannotMix) {
  Mixer mixer(kRate);
  const PcmFormat bad[] = {{0, 16, kRate}, {3, 16, kRate}, {2, 24, kRate}, {2, 16, 99}, {2, 16, 200001}};
  for (const PcmFormat& format : bad) EXPECT_EQ(mixer.CreateBuffer(format, 4096), -1);
  EXPECT_EQ(mixer.CreateBuffer({2, 16, kRate}, 3), -1);  // no whole block
  EXPECT_GT(mixer.CreateBuffer({2, 16, 100}, 4), 0);
  EXPECT_GT(mixer.CreateBuffer({1, 8, 200000}, 1), 0);
  EXPECT_EQ(mixer.Play(99, false), -1);
  EXPECT_EQ(mixer.ReleaseBuffer(99), -1);
}

TEST(MixerTest, VolumeIsHundredthsOfADecibel) {
  struct Case {
    int volume;
    int32_t gain;
    int16_t left;   // from 20000
    int16_t right;  // from -20000 (the shift rounds down)
  };
  // gain = 10^(v/2000) in 1/65536 steps; a sample s becomes (s * gain) >> 16.
  const Case cases[] = {{0, 65536, 20000, -20000},  {-299, 46449, 14175, -14176}, {-600, 32846, 10023, -10024},
                        {-2406, 4107, 1253, -1254}, {-10000, 0, 0, 0},            {-20000, 0, 0, 0},
                        {500, 65536, 20000, -20000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.volume);
    EXPECT_EQ(VolumeToGain(c.volume), c.gain);
    Mixer mixer(kRate);
    const int buffer = MakeStereo16(mixer, {20000, -20000, 20000, -20000});
    ASSERT_EQ(mixer.SetVolume(buffer, c.volume), 0);
    ASSERT_EQ(mixer.Play(buffer, false), 0);
    EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{c.left, c.right}));
    EXPECT_EQ(Position(mixer, buffer), 4u);  // a silent buffer moves on too
  }
}

// Long 16-bit buffers at the output rate, mono and stereo, at gains below,
// at and above half and at full, two at once, looping and not, rendered in
// blocks of odd sizes: every output sample is the clamped sum of
// (s * gain) >> 16 of the samples under the play cursor.
TEST(MixerTest, LongBuffersAtTheOutputRateSumSampleForSample) {
  uint32_t x = 99;
  auto noise = [&x](size_t n) {
    std::vector<int16_t> v(n);
    for (int16_t& s : v) {
      x = x * 1103515245u + 12345u;
      s = static_cast<int16_t>(x >> 16);
    }
    return v;
  };
  struct Voice {
    int channels;
    int frames;
    int volume;
    bool loop;
  };
  const Voice pairs[][2] = {
      {{2, 1000, 0, true}, {1, 333, -299, true}},      // gains 65536 and 46449
      {{1, 517, -600, false}, {2, 1203, -2406, true}},  // 32846 (above half) and 4107
      {{2, 3001, -50, false}, {2, 77, -601, true}},     // 65075 and 32808, loud enough to clip
  };
  for (const auto& pair : pairs) {
    Mixer mixer(kRate);
    std::vector<int16_t> data[2];
    int ids[2];
    for (int v = 0; v < 2; ++v) {
      const Voice& voice = pair[v];
      data[v] = noise(static_cast<size_t>(voice.frames * voice.channels));
      ids[v] = mixer.CreateBuffer({voice.channels, 16, kRate}, static_cast<uint32_t>(data[v].size() * 2));
      ASSERT_GT(ids[v], 0);
      Fill16(mixer, ids[v], data[v]);
      ASSERT_EQ(mixer.SetVolume(ids[v], voice.volume), 0);
      ASSERT_EQ(mixer.Play(ids[v], voice.loop), 0);
    }
    std::vector<int16_t> out;
    for (const int block : {5, 37, 1000, 3, 2048}) {
      const std::vector<int16_t> part = Render(mixer, block);
      out.insert(out.end(), part.begin(), part.end());
    }
    for (size_t frame = 0; frame < out.size() / 2; ++frame) {
      for (int c = 0; c < 2; ++c) {
        int32_t sum = 0;
        for (int v = 0; v < 2; ++v) {
          const Voice& voice = pair[v];
          if (!voice.loop && frame >= static_cast<size_t>(voice.frames)) continue;
          const size_t at = frame % static_cast<size_t>(voice.frames) * static_cast<size_t>(voice.channels) +
                            static_cast<size_t>(voice.channels == 2 ? c : 0);
          sum += (int32_t{data[v][at]} * VolumeToGain(voice.volume)) >> 16;
        }
        const int16_t expected = static_cast<int16_t>(std::clamp(sum, -32768, 32767));
        ASSERT_EQ(out[2 * frame + static_cast<size_t>(c)], expected) << "frame " << frame << " channel " << c;
      }
    }
  }
}

TEST(MixerTest, SilentBufferStillEndsOnTime) {
  Mixer mixer(kRate);
  const int buffer = MakeStereo16(mixer, std::vector<int16_t>(20, 1000));
  ASSERT_EQ(mixer.SetVolume(buffer, kSilentVolume), 0);
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  Render(mixer, 9);
  EXPECT_TRUE(Playing(mixer, buffer));
  EXPECT_EQ(Position(mixer, buffer), 36u);
  Render(mixer, 1);
  EXPECT_FALSE(Playing(mixer, buffer));
}

TEST(MixerTest, PlaybackRateStepsThroughTheDataWithLinearInterpolation) {
  Mixer mixer(kRate);
  // Half the output rate: every source frame lasts two output frames, the
  // second halfway to the next.
  std::vector<int16_t> ramp;
  for (int16_t v : {0, 1000, 3000, -1000}) ramp.insert(ramp.end(), {v, v});
  const int buffer = MakeStereo16(mixer, ramp, kRate / 2);
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  EXPECT_EQ(Left(Render(mixer, 8)), (std::vector<int16_t>{0, 500, 1000, 2000, 3000, 1000, -1000, -1000}));
  EXPECT_FALSE(Playing(mixer, buffer));

  // Twice the data's rate through SetFrequency, then back to its own rate.
  ASSERT_EQ(mixer.SetFrequency(buffer, kRate), 0);
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  EXPECT_EQ(Left(Render(mixer, 2)), (std::vector<int16_t>{0, 1000}));
  int hz = -1;
  ASSERT_EQ(mixer.GetFrequency(buffer, &hz), 0);
  EXPECT_EQ(hz, kRate);
  ASSERT_EQ(mixer.SetFrequency(buffer, 0), 0);
  EXPECT_EQ(Left(Render(mixer, 2)), (std::vector<int16_t>{3000, 1000}));
  EXPECT_EQ(mixer.SetFrequency(buffer, 99), -1);
  EXPECT_EQ(mixer.SetFrequency(buffer, 200001), -1);
}

TEST(MixerTest, DuplicatesShareThePcmButPlayOnTheirOwn) {
  Mixer mixer(kRate);
  const int original = MakeStereo16(mixer, {100, 100, 200, 200, 300, 300, 400, 400});
  ASSERT_EQ(mixer.SetVolume(original, -600), 0);
  ASSERT_EQ(mixer.SetFrequency(original, kRate / 2), 0);
  const int copy = mixer.DuplicateBuffer(original);
  ASSERT_GT(copy, 0);
  int volume = 0, hz = 0;
  ASSERT_EQ(mixer.GetVolume(copy, &volume), 0);
  ASSERT_EQ(mixer.GetFrequency(copy, &hz), 0);
  EXPECT_EQ(volume, -600);
  EXPECT_EQ(hz, kRate / 2);
  ASSERT_EQ(mixer.SetVolume(copy, 0), 0);
  ASSERT_EQ(mixer.SetFrequency(copy, 0), 0);

  // Written through the copy, heard through the original.
  Fill16(mixer, copy, {10000, 10000, 20000, 20000, 3000, 3000, 0, 0});
  ASSERT_EQ(mixer.SetPosition(copy, 8), 0);
  ASSERT_EQ(mixer.Play(original, false), 0);
  ASSERT_EQ(mixer.Play(copy, false), 0);
  // original: 10000, 15000 at gain 32846; copy: 3000, 0 at full volume.
  EXPECT_EQ(Left(Render(mixer, 2)), (std::vector<int16_t>{5011 + 3000, 7517 + 0}));
  EXPECT_EQ(Position(mixer, original), 4u);
  EXPECT_FALSE(Playing(mixer, copy));

  // The PCM outlives the buffer it was made with.
  ASSERT_EQ(mixer.ReleaseBuffer(original), 0);
  ASSERT_EQ(mixer.Play(copy, false), 0);
  EXPECT_EQ(Left(Render(mixer, 1)), (std::vector<int16_t>{10000}));
  EXPECT_EQ(mixer.BufferCount(), 1);
}

TEST(MixerTest, SumsSaturateAtSixteenBits) {
  Mixer mixer(kRate);
  const int a = MakeStereo16(mixer, {30000, -30000, 1000, -1000});
  const int b = MakeStereo16(mixer, {30000, -30000, 1000, -1000});
  const int c = mixer.DuplicateBuffer(a);
  for (int buffer : {a, b, c}) ASSERT_EQ(mixer.Play(buffer, false), 0);
  EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{32767, -32768, 3000, -3000}));
}

TEST(MixerTest, LoopsStopsResumesAndJumps) {
  Mixer mixer(kRate);
  std::vector<int16_t> four;
  for (int16_t v : {1, 2, 3, 4}) four.insert(four.end(), {v, v});
  const int buffer = MakeStereo16(mixer, four);
  ASSERT_EQ(mixer.Play(buffer, true), 0);
  EXPECT_EQ(Left(Render(mixer, 6)), (std::vector<int16_t>{1, 2, 3, 4, 1, 2}));
  EXPECT_EQ(Position(mixer, buffer), 8u);

  // Play while playing only changes the loop flag.
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  EXPECT_EQ(Position(mixer, buffer), 8u);
  ASSERT_EQ(mixer.Stop(buffer), 0);
  EXPECT_EQ(Position(mixer, buffer), 8u);
  EXPECT_EQ(Left(Render(mixer, 1)), (std::vector<int16_t>{0}));
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  EXPECT_EQ(Left(Render(mixer, 3)), (std::vector<int16_t>{3, 4, 0}));

  // A jump takes effect at once, even while playing.
  ASSERT_EQ(mixer.Play(buffer, true), 0);
  ASSERT_EQ(mixer.SetPosition(buffer, 13), 0);  // inside frame 3
  EXPECT_EQ(Position(mixer, buffer), 12u);
  EXPECT_EQ(Left(Render(mixer, 2)), (std::vector<int16_t>{4, 1}));
  EXPECT_EQ(mixer.SetPosition(buffer, 16), -1);

  // A loop shorter than a block wraps as often as it must; interpolation
  // between the last frame and the first.
  ASSERT_EQ(mixer.SetFrequency(buffer, kRate * 3), 0);
  ASSERT_EQ(mixer.SetPosition(buffer, 0), 0);
  EXPECT_EQ(Left(Render(mixer, 4)), (std::vector<int16_t>{1, 4, 3, 2}));
}

TEST(MixerTest, LockSplitsASpanThatRunsPastTheEnd) {
  Mixer mixer(kRate);
  const int buffer = mixer.CreateBuffer({2, 16, kRate}, 400);
  ASSERT_GT(buffer, 0);
  LockedRegions regions;
  ASSERT_EQ(mixer.Lock(buffer, 320, 160, &regions), 0);
  EXPECT_EQ(regions.first_bytes, 80u);
  EXPECT_EQ(regions.second_bytes, 80u);
  EXPECT_EQ(regions.second + 320, regions.first);
  EXPECT_EQ(regions.first[0], 0);  // buffers start zero-filled
  ASSERT_EQ(mixer.Unlock(buffer), 0);
  ASSERT_EQ(mixer.Lock(buffer, 0, 400, &regions), 0);
  EXPECT_EQ(regions.first_bytes, 400u);
  EXPECT_EQ(regions.second, nullptr);
  EXPECT_EQ(mixer.Lock(buffer, 400, 4, &regions), -1);
  EXPECT_EQ(mixer.Lock(buffer, 0, 401, &regions), -1);
}

TEST(MixerTest, SourcesAddIntoTheMixUntilRemoved) {
  Mixer mixer(kRate);
  int calls = 0;
  const int source = mixer.AddSource(
      [](void* user, int32_t* mix, int frames) {
        ++*static_cast<int*>(user);
        for (int i = 0; i < frames * 2; ++i) mix[i] += 40000;
      },
      &calls);
  ASSERT_GT(source, 0);
  const int buffer = MakeStereo16(mixer, {-10000, -10000});
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{30000, 30000, 32767, 32767}));
  EXPECT_EQ(calls, 1);
  ASSERT_EQ(mixer.RemoveSource(source), 0);
  EXPECT_EQ(mixer.RemoveSource(source), -1);
  EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{0, 0}));
}

TEST(MixerTest, DeviceBlocksLetTheCursorMoveWithinTheBlockOnly) {
  Mixer mixer(kRate);
  const int buffer = MakeStereo16(mixer, std::vector<int16_t>(2 * 4096, 1));
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  std::vector<int16_t> out(2 * 1024);
  mixer.RenderForDevice(out.data(), 1024);
  // Between the blocks the cursor lies inside the block the device took, and
  // never goes back.
  const uint32_t first = Position(mixer, buffer);
  EXPECT_LE(first, 1024u * 4);
  const uint32_t second = Position(mixer, buffer);
  EXPECT_GE(second, first);
  EXPECT_LE(second, 1024u * 4);
  // Stopping keeps the cursor where the listener was, so Play goes on from there.
  ASSERT_EQ(mixer.Stop(buffer), 0);
  const uint32_t stopped = Position(mixer, buffer);
  EXPECT_GE(stopped, second);
  EXPECT_LE(stopped, 1024u * 4);
  // A test render is exact again.
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  mixer.Render(out.data(), 10);
  EXPECT_EQ(Position(mixer, buffer), stopped + 40);
}

}  // namespace
}  // namespace platform::audio
