// The FFmpeg movie road on small movies encoded at test time: every container
// and codec it takes shows each frame in turn, wraps and seeks back; what is
// no movie of this road is refused; a picture claim beyond the budget is
// refused before anything is decoded; and through the movie handles, a movie
// without a sound track follows the clock (the sound tracks of both roads are
// tested with the movie handles).
#include "library/sound_movie/movie/media_movie.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "library/foundation/memory_log/allocation_watch_test_support.h"
#include "library/sound_movie/movie/fresh_movies_test_support.h"
#include "library/sound_movie/movie/media_fixtures_test_support.h"
#include "library/sound_movie/movie/movie_handles.h"
#include "library/sound_movie/movie/movie_memory_test_support.h"
#include "library/sound_movie/movie/yuv_convert.h"
#include "library/sound_movie/sound/sound_test_support.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using test::MakeMediaMovie;
using test::MediaRecipe;

using MediaMovie = test::MovieInMemory<MediaMovieContext, OpenMediaMovie, CloseMediaMovie, GetMediaFrameImage>;
using test::GreyOfLuma;

int GreyOfFrame(int frame) { return GreyOfLuma(test::DefaultMovieLuma(frame)); }

TEST(MediaMovieDecoder, EachContainerAndCodecShowsEveryFrameInTurn) {
  // MPEG-1 and MPEG-2 know only the television rates. Ten-bit pictures go
  // through libswscale, the others through the Theora road's conversion.
  const struct {
    const char *container, *video, *extension;
    int bFrames, fps;
    AVPixelFormat pixels = AV_PIX_FMT_YUV420P;
  } cases[] = {
      {"avi", "mpeg4", "avi", 0, 10},          {"mp4", "mpeg4", "mp4", 2, 10},
      {"matroska", "libx264", "mkv", 2, 10},   {"webm", "libvpx", "webm", 0, 10},
      {"webm", "libvpx-vp9", "webm", 0, 10},   {"mpeg", "mpeg1video", "mpg", 0, 25},
      {"mpegts", "mpeg2video", "ts", 2, 25},   {"ivf", "libvpx", "ivf", 0, 10},
      {"matroska", "libx264", "mkv", 0, 10, AV_PIX_FMT_YUV420P10LE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.video << " in " << c.container);
    MediaRecipe recipe;
    recipe.container = c.container;
    recipe.video = c.video;
    recipe.extension = c.extension;
    recipe.bFrames = c.bFrames;
    recipe.fps = c.fps;
    recipe.pixelFormat = c.pixels;
    const std::vector<uint8_t> bytes = MakeMediaMovie(recipe);
    ASSERT_FALSE(bytes.empty()) << "the encoder or muxer is missing";
    MediaMovie movie(bytes);
    ASSERT_NE(movie.get(), nullptr);
    MediaMovieInfo info{};
    GetMediaMovieInfo(movie.get(), &info);
    const int count = 12;
    EXPECT_EQ(info.frameCount, count);
    EXPECT_DOUBLE_EQ(info.framesPerSecond, c.fps);
    EXPECT_EQ(info.width, 48);
    EXPECT_EQ(info.height, 32);
    // Opened on its first frame, already in the image.
    EXPECT_EQ(GetMediaCurrentFrame(movie.get()), 0);
    EXPECT_NEAR(movie.Grey(4, 4), GreyOfFrame(0), 8);
    EXPECT_EQ(movie.Pixel(4, 4) >> 24, 0xFFu);
    EXPECT_NEAR(movie.Grey(40, 24), GreyOfLuma(128), 8);
    int expected = 0;
    for (const int step : {1, 2, 5, 2, 6}) {  // 1, 3, 8, 10, then round
      ASSERT_EQ(AdvanceMediaMovie(movie.get(), step), 0);
      expected = (expected + step) % count;
      ASSERT_EQ(FetchMediaFrame(movie.get()), 1) << "frame " << expected;
      EXPECT_EQ(GetMediaCurrentFrame(movie.get()), expected);
      EXPECT_NEAR(movie.Grey(4, 4), GreyOfFrame(expected), 8) << "frame " << expected;
    }
    EXPECT_EQ(FetchMediaFrame(movie.get()), 0);  // fetched already
    ASSERT_EQ(SeekMediaMovie(movie.get(), 0), 0);
    ASSERT_EQ(FetchMediaFrame(movie.get()), 1);
    EXPECT_NEAR(movie.Grey(4, 4), GreyOfFrame(0), 8);
    ASSERT_EQ(SeekMediaMovie(movie.get(), 9), 0);
    ASSERT_EQ(FetchMediaFrame(movie.get()), 1);
    EXPECT_NEAR(movie.Grey(4, 4), GreyOfFrame(9), 8);
  }
}

TEST(MediaMovieDecoder, RefusesWhatIsNoMovieOfThisRoad) {
  const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"text", {'h', 'e', 'l', 'l', 'o'}},
      {"JPEG", jpeg},
      {"Ogg Vorbis", test::MakeOggVorbis(1, 8000, 800)},
      {"WAVE", test::MakeWave(test::WaveRecipe{})},
  };
  for (const auto& c : cases) {
    MediaMovie movie(c.bytes);
    EXPECT_EQ(movie.get(), nullptr) << c.name;
  }
}

// A few kilobytes of VP8 whose container and picture headers claim 16000 x
// 16000: refused before a picture of that size is allocated.
TEST(MediaMovieDecoder, APictureClaimBeyondTheBudgetIsRefusedBeforeDecoding) {
  MediaRecipe recipe;
  recipe.container = "ivf";
  recipe.video = "libvpx";
  recipe.extension = "ivf";
  std::vector<uint8_t> bytes = MakeMediaMovie(recipe);
  ASSERT_GT(bytes.size(), 64u);
  auto put16 = [&bytes](size_t at, int value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
  };
  put16(12, 16000);  // the container's width and height
  put16(14, 16000);
  // Each keyframe's own sides, after its start code 9D 01 2A.
  for (size_t i = 32; i + 7 < bytes.size(); ++i) {
    if (bytes[i] == 0x9D && bytes[i + 1] == 0x01 && bytes[i + 2] == 0x2A) {
      put16(i + 3, 16000);
      put16(i + 5, 16000);
    }
  }
  VEZIV_NEED_ALLOCATION_WATCH();
  test::AllocationWatch watch;
  {
    MediaMovie movie(bytes);
    EXPECT_EQ(movie.get(), nullptr);
  }
  EXPECT_LT(watch.Largest(), int64_t(16) << 20);
}

class MediaMovieHandles : public test::SoundTest {
 protected:
  void TearDown() override {
    detail::CloseAllMovies();
    SoundTest::TearDown();
  }
  static int Frame(int movie) { return GetMediaCurrentFrame(GetMovieRecord(movie)->media); }
  static void Wait(int ms) { platform::os::AdvanceManualClock(static_cast<uint64_t>(ms) * 1000); }
};

TEST_F(MediaMovieHandles, AMovieWithoutSoundFollowsTheClockAndLoops) {
  MediaRecipe recipe;
  recipe.container = "mp4";
  recipe.extension = "mp4";
  int width = 0, height = 0;
  const int movie = CreateMovieFromFile(WriteFile("a.mp4", MakeMediaMovie(recipe)).c_str(), &width, &height, 0);
  ASSERT_NE(movie, -1);
  EXPECT_EQ(width, 48);
  EXPECT_EQ(height, 32);
  const MovieHandleData* record = GetMovieRecord(movie);
  EXPECT_EQ(record->theora, 0);
  ASSERT_NE(record->media, nullptr);
  EXPECT_EQ(record->soundTrack, -1);
  ASSERT_EQ(StartMoviePlayback(movie, 3, 0), 0);
  Wait(350);  // frame 3.5
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 3);
  ASSERT_EQ(SuspendMovie(movie, 0), 0);
  Wait(1000);
  ASSERT_EQ(StartMoviePlayback(movie, -1, 0), 0);
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 3);
  Wait(1000);  // frame 13: 1 of the second round
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 1);
  EXPECT_EQ(ReadMovieStatus(movie), 1);
  EXPECT_EQ(CloseMovieHandle(movie), 0);
}

}  // namespace
}  // namespace veziv
