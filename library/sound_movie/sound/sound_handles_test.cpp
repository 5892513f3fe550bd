// Sound handles over the mixer without a device: loading, the play rule over
// several buffers, volume, rate, the table, loop points and failures.
#include "library/sound_movie/sound/sound_handles.h"

#include <gtest/gtest.h>

#include <numeric>

#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/sound/sound_buffers.h"
#include "library/sound_movie/sound/sound_test_support.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using test::SoundTest;

std::vector<int16_t> Counting(int n, int16_t start = 100) {
  std::vector<int16_t> samples(static_cast<size_t>(n));
  std::iota(samples.begin(), samples.end(), start);
  return samples;
}

bool BufferPlaying(int handle, int index) {
  uint32_t status = 0;
  EXPECT_EQ(detail::GetWrappedBufferStatus(&detail::GetSoundRecord(handle)->buffers[index], &status), 0);
  return (status & 1) != 0;
}

int BufferCursor(int handle, int index) {
  int cursor = -1;
  EXPECT_EQ(detail::GetWrappedBufferPosition(&detail::GetSoundRecord(handle)->buffers[index], &cursor), 0);
  return cursor;
}

TEST(SoundVolumeTest, MapsZeroTo255OntoHundredthsOfADecibel) {
  const std::pair<int, int> cases[] = {{255, 0}, {128, -299}, {1, -2406}, {0, -10000}, {-5, -10000}, {300, 0}};
  for (auto [volume, hundredths] : cases) EXPECT_EQ(detail::SoundVolumeToHundredths(volume), hundredths) << volume;
}

class SoundHandlesTest : public SoundTest {};

TEST_F(SoundHandlesTest, LoadsAFileAndPlaysItSampleForSample) {
  test::WaveRecipe spec;
  spec.pcm = test::Pcm16({1000, -1000, 2000, -2000, 3000, -3000});
  const std::string path = WriteFile("shot.wav", test::MakeWave(spec));
  const int handle = LoadSoundFileToHandle(path.c_str(), 3, -1);
  ASSERT_NE(handle, -1);
  EXPECT_EQ(handle & 0x78000000, 0x10000000);
  const SoundHandleData* record = detail::GetSoundRecord(handle);
  EXPECT_EQ(record->kind, kSoundMemory);
  EXPECT_EQ(record->bufferCount, 3);
  EXPECT_EQ(record->format.channels, 2);
  EXPECT_EQ(GetSoundHandleTotalSamples(handle), 3);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);

  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 1);
  EXPECT_EQ(Render(4), (std::vector<int16_t>{1000, -1000, 2000, -2000, 3000, -3000, 0, 0}));
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);

  // Half the level at volume 128 (10^(-299/2000) = 0.7088); -1 restores the data's rate.
  ASSERT_EQ(SetSoundHandleVolume(128, handle), 0);
  ASSERT_EQ(SetSoundHandleFrequency(22050, handle), 0);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayLoop, 1), 0);
  EXPECT_EQ(Left(Render(3)), (std::vector<int16_t>{708, 1063, 1417}));
  ASSERT_EQ(SetSoundHandleFrequency(-1, handle), 0);
  EXPECT_EQ(Left(Render(3)), (std::vector<int16_t>{1771, 1417, 1063}));  // on from frame 1.5, looping
  ASSERT_EQ(StopSoundHandle(handle), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  ASSERT_EQ(DeleteSoundHandle(handle, 0), 0);
  EXPECT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), -1);
}

TEST_F(SoundHandlesTest, PlaysBuffersInTurnAndLeavesASoundingOneAlone) {
  const int handle = LoadSamples(Counting(1000), 3);
  ASSERT_NE(handle, -1);
  for (int expected : {1, 2, 0}) {
    ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 0), 0);
    EXPECT_TRUE(BufferPlaying(handle, expected)) << expected;
    Render(10);
  }
  // Buffer 1 is still sounding: a fourth play with top flag 0 leaves it be.
  const int cursor = BufferCursor(handle, 1);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 0), 0);
  EXPECT_EQ(BufferCursor(handle, 1), cursor);
  // Top flag 1 restarts the next one from the start.
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  EXPECT_EQ(BufferCursor(handle, 2), 0);
  EXPECT_TRUE(BufferPlaying(handle, 2));
}

TEST_F(SoundHandlesTest, TopFlagZeroResumesAStoppedSingleBuffer) {
  const int handle = LoadSamples(Counting(100));
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  Render(30);
  ASSERT_EQ(StopSoundHandle(handle), 0);
  EXPECT_EQ(GetSoundHandlePlayPosMs(handle), 30 * 1000 / 44100);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 0), 0);
  EXPECT_EQ(Left(Render(2)), (std::vector<int16_t>{130, 131}));
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  EXPECT_EQ(Left(Render(2)), (std::vector<int16_t>{100, 101}));
}

TEST_F(SoundHandlesTest, BufferCountsAtTheEdges) {
  // No buffers: play fails, stop and the query answer as for silence.
  const int none = LoadSamples(Counting(10), 0);
  ASSERT_NE(none, -1);
  EXPECT_EQ(PlaySoundHandle(none, SoundPlayBack, 1), -1);
  EXPECT_EQ(StopSoundHandle(none), 0);
  EXPECT_EQ(IsSoundHandlePlaying(none), 0);
  EXPECT_EQ(LoadSamples(Counting(10), 11), -1);

  test::WaveRecipe spec;
  spec.pcm = test::Pcm16(Counting(8));
  const std::string path = WriteFile("many.wav", test::MakeWave(spec));
  const int many = LoadSoundFileToHandle(path.c_str(), 50, -1);
  ASSERT_NE(many, -1);
  EXPECT_EQ(detail::GetSoundRecord(many)->bufferCount, 10);
  for (int i = 0; i < 12; ++i) ASSERT_EQ(PlaySoundHandle(many, SoundPlayBack, 0), 0);
}

TEST_F(SoundHandlesTest, TableFillsMovesItsEndAndWrapsItsChecks) {
  std::vector<int> handles;
  for (int i = 0; i < 4096; ++i) handles.push_back(AllocSoundHandle(-1));
  EXPECT_EQ(detail::SoundHandleCount(), 4096);
  EXPECT_EQ(LoadSamples(Counting(4)), -1);
  EXPECT_TRUE(Logged("サウンドの数が許容量を越えました"));

  // Deleting the top slots lowers the end past free slots below them.
  for (int slot : {4000, 4094, 4095}) ASSERT_EQ(DeleteSoundHandle(handles[slot], 0), 0);
  EXPECT_EQ(detail::SoundHandleEndIndex(), 4094);
  const int reused = AllocSoundHandle(-1);
  EXPECT_EQ(reused & 0xFFFF, 4094);
  EXPECT_EQ(DeleteSoundHandleAll(0), 0);
  EXPECT_EQ(detail::SoundHandleCount(), 0);
  EXPECT_EQ(detail::SoundHandleEndIndex(), 0);

  // 4097 handles were made so far; 2048 checks later slot 0 comes back with an old value.
  const int stale = AllocSoundHandle(-1);
  ASSERT_EQ(DeleteSoundHandle(stale, 0), 0);
  for (int i = 0; i < 2047; ++i) ASSERT_EQ(DeleteSoundHandle(AllocSoundHandle(-1), 0), 0);
  EXPECT_EQ(IsSoundHandlePlaying(stale), -1);
  EXPECT_EQ(AllocSoundHandle(-1), stale);
  EXPECT_EQ(IsSoundHandlePlaying(stale), 0);
}

TEST_F(SoundHandlesTest, EveryCallRefusesABadHandleOrNoSound) {
  const int handle = LoadSamples(Counting(100));
  for (int bad : {-1, 0, handle + 1, handle ^ 0x00010000, (handle & 0x07FFFFFF) | 0x08000000}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(PlaySoundHandle(bad, SoundPlayBack, 1), -1);
    EXPECT_EQ(StopSoundHandle(bad), -1);
    EXPECT_EQ(IsSoundHandlePlaying(bad), -1);
    EXPECT_EQ(SetSoundHandleVolume(100, bad), -1);
    EXPECT_EQ(SetSoundHandleFrequency(100, bad), -1);
    EXPECT_EQ(SetSoundHandleLoopPointMs(1, bad), -1);
    EXPECT_EQ(GetSoundHandleTotalMs(bad), -1);
    EXPECT_EQ(GetSoundHandlePlayPosMs(bad), -1);
    EXPECT_EQ(DeleteSoundHandle(bad, 0), -1);
  }
  ASSERT_EQ(EndSoundSystem(), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), -1);
  EXPECT_EQ(DeleteSoundHandleAll(0), -1);
  EXPECT_EQ(LoadSoundFileToHandle("x.wav", 1, -1), -1);
  EXPECT_EQ(AllocSoundHandle(-1), -1);
  ASSERT_EQ(StartSoundSystem(), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), -1);  // a start deletes every sound
}

TEST_F(SoundHandlesTest, LoadFailuresAreLoggedAndLeaveNoHandle) {
  test::WaveRecipe deep;
  deep.bits = 24;
  deep.fmt_bytes = 18;
  deep.pcm.assign(60, 1);
  test::WaveRecipe empty;
  empty.pcm.clear();
  const std::pair<const char*, std::vector<uint8_t>> files[] = {
      {"noise.wav", std::vector<uint8_t>(300, 0x41)},
      {"deep.wav", test::MakeWave(deep)},
      {"empty.wav", test::MakeWave(empty)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    const std::string path = WriteFile(name, bytes);
    EXPECT_EQ(LoadSoundFileToHandle(path.c_str(), 1, -1), -1);
    EXPECT_TRUE(Logged("音声ファイルのＰＣＭへの変換に失敗しました"));
    EXPECT_TRUE(Logged("右記の音声ファイルのロードに失敗しました_2：" + path));
  }
  const std::string missing = folder_ + "/missing.wav";
  EXPECT_EQ(LoadSoundFileToHandle(missing.c_str(), 1, -1), -1);
  EXPECT_TRUE(Logged("右記の音声ファイルのロードに失敗しました_1：" + missing));
  EXPECT_EQ(detail::SoundHandleCount(), 0);
}

TEST_F(SoundHandlesTest, WaitingPlayReturnsOnceTheSoundHasEnded) {
  // Without a device the clock moves the mixer on; the wait sleeps on the manual clock.
  const int handle = LoadSamples(Counting(441));  // 10 ms
  const uint32_t before = platform::os::MillisecondClock();
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayWait, 1), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_GE(platform::os::MillisecondClock() - before, 10u);
  EXPECT_LE(platform::os::MillisecondClock() - before, 12u);
}

TEST_F(SoundHandlesTest, PositionAndLengthInMilliseconds) {
  const int handle = LoadSamples(Counting(22050), 1, 22050);  // one second
  EXPECT_EQ(GetSoundHandleTotalMs(handle), 1000);
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  Render(44100 / 2);
  EXPECT_EQ(GetSoundHandlePlayPosMs(handle), 500);
}

// Stands in for the stream half: records the source it is given and makes
// the handle a one-source stream sound with its own ring.
struct FakeStreams {
  static inline int attached = 0;
  static inline int keep_mode = -1;
  static inline std::vector<uint8_t> image;
  static int Attach(const StreamFunctionTable* functions, StreamValue stream, int play_count, int handle, int keep,
                    int* out_flag, int) {
    ++attached;
    keep_mode = keep;
    EXPECT_EQ(play_count, 0);
    functions->seek(stream, 0, 2);
    image.resize(static_cast<size_t>(functions->tell(stream)));
    functions->seek(stream, 0, 0);
    functions->read(image.data(), 1, image.size(), stream);
    SoundHandleData* record = detail::GetSoundRecord(handle);
    const SoundWaveFormat format{1, 1, 44100, 88200, 2, 16, 0};
    record->format = format;
    record->sources[0].decoder.pcmFormat = format;
    record->sourceCount = 1;
    record->progress.totalSamples = 100;
    *out_flag = 1;
    return CreateSoundBuffers(&format, 0, kSoundStream, 1, handle);
  }
  static int Delete(int handle) {
    SoundHandleData* record = detail::GetSoundRecord(handle);
    RemoveHandleListNode(&record->streamNode);
    detail::ReleaseWrappedBuffer(&record->buffers[0]);
    return 0;
  }
};

TEST_F(SoundHandlesTest, LoopPointTurnsAMemorySoundIntoAStreamUnderTheSameHandle) {
  detail::StreamCalls().attach_source = FakeStreams::Attach;
  const int handle = LoadSamples(Counting(100), 3);
  EXPECT_EQ(SetSoundHandleLoopPointSamples(100, handle), -1);  // at the length: refused, nothing changes
  EXPECT_EQ(detail::GetSoundRecord(handle)->kind, kSoundMemory);
  EXPECT_EQ(FakeStreams::attached, 0);

  ASSERT_EQ(SetSoundHandleVolume(128, handle), 0);
  ASSERT_EQ(SetSoundHandleFrequency(22050, handle), 0);
  ASSERT_EQ(SetSoundHandleLoopPointMs(1, handle), 0);  // 44 samples
  EXPECT_EQ(FakeStreams::attached, 1);
  EXPECT_EQ(FakeStreams::keep_mode, 0);
  // The source is a WAVE image of the sound's own PCM.
  SoundWaveFormat format{1, 1, 44100, 88200, 2, 16, 0};
  void* image = nullptr;
  int size = 0;
  const std::vector<uint8_t> pcm = test::Pcm16(Counting(100));
  ASSERT_EQ(BuildWaveImage(&image, &size, &format, 18, pcm.data(), static_cast<int>(pcm.size())), 0);
  EXPECT_EQ(FakeStreams::image, std::vector<uint8_t>(static_cast<uint8_t*>(image), static_cast<uint8_t*>(image) + size));
  FreeLibMemory(image);

  SoundHandleData* record = detail::GetSoundRecord(handle);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->kind, kSoundStream);
  EXPECT_EQ(record->sources[0].loopPosition, 44);
  EXPECT_EQ(record->progress.loopStartBytes, 88);
  EXPECT_EQ(record->sources[0].playCount, 255);
  // The ring keeps the volume and rate the memory sound had.
  int volume = 0, hz = 0;
  ASSERT_EQ(detail::SoundMixer()->GetVolume(record->buffers[0].buffer, &volume), 0);
  ASSERT_EQ(detail::SoundMixer()->GetFrequency(record->buffers[0].buffer, &hz), 0);
  EXPECT_EQ(volume, -299);
  EXPECT_EQ(hz, 22050);

  // A stream of two sources cannot take a loop point.
  record->sourceCount = 2;
  EXPECT_EQ(SetSoundHandleLoopPointSamples(10, handle), -1);
  EXPECT_TRUE(Logged("二つ以上の音声ファイルから作成されたサウンドハンドルにループポイントを指定する事は出来ません"));
  record->sourceCount = 1;
  detail::StreamCalls().delete_stream = FakeStreams::Delete;
  EXPECT_EQ(DeleteSoundHandle(handle, 0), 0);
  EXPECT_EQ(detail::SoundMixer()->BufferCount(), 1);  // the silent buffer only
}

TEST_F(SoundHandlesTest, WithoutTheStreamHalfALoopPointLosesTheSoundCleanly) {
  detail::StreamCalls() = {};
  const int handle = LoadSamples(Counting(100));
  EXPECT_EQ(SetSoundHandleLoopPointSamples(10, handle), -1);
  EXPECT_TRUE(Logged("ストリームサウンドハンドルの作成に失敗しました"));
  EXPECT_EQ(IsSoundHandlePlaying(handle), -1);
  EXPECT_EQ(detail::SoundHandleCount(), 0);
  // Stream create types need the stream half too.
  ASSERT_EQ(SetSoundCreateType(2), 0);
  EXPECT_EQ(LoadSamples(Counting(100)), -1);
  EXPECT_EQ(detail::SoundHandleCount(), 0);
  EXPECT_EQ(SetSoundCreateType(4), -1);
  EXPECT_EQ(GetSoundCreateType(), 2);
}

}  // namespace
}  // namespace veziv
