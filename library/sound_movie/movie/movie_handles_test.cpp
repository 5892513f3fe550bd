// Movie handles over movie files made in the test's folder, with sound up on
// the mixer alone and the manual clock: the picture follows the clock or the
// sound track (on both roads), pauses keep the frame, a movie ends on its last
// frame or with its track, loops wrap, the table holds 100 movies, and other
// files fail.
#include "library/sound_movie/movie/movie_handles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/sound_movie/movie/fresh_movies_test_support.h"
#include "library/sound_movie/movie/media_fixtures_test_support.h"
#include "library/sound_movie/movie/movie_fixtures_test_support.h"
#include "library/sound_movie/sound/sound_test_support.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using test::MakeTheoraMovie;
using test::MovieRecipe;

class MovieHandles : public test::SoundTest {
 protected:
  void TearDown() override {
    detail::CloseAllMovies();
    SoundTest::TearDown();
  }
  // A silent movie of frames frames at 30 per second, with a track of
  // soundSeconds when above 0.
  std::string Movie(const std::string& name, int frames, double soundSeconds = 0) {
    MovieRecipe recipe;
    recipe.frames = frames;
    recipe.soundSeconds = soundSeconds;
    return WriteFile(name, MakeTheoraMovie(recipe));
  }
  static int Frame(int movie) {
    const MovieHandleData* record = GetMovieRecord(movie);
    return record->media != nullptr ? GetMediaCurrentFrame(record->media) : GetTheoraCurrentFrame(record->decoder);
  }
  static void Wait(int ms) { platform::os::AdvanceManualClock(static_cast<uint64_t>(ms) * 1000); }
};

TEST_F(MovieHandles, OpensPausedOnItsFirstFrame) {
  int width = 0, height = 0;
  const int movie = CreateMovieFromFile(Movie("a.ogv", 12).c_str(), &width, &height, 0);
  ASSERT_NE(movie, -1);
  EXPECT_EQ(movie & 0x78000000, 0x18000000);
  EXPECT_EQ(width, 32);
  EXPECT_EQ(height, 32);
  const MovieHandleData* record = GetMovieRecord(movie);
  EXPECT_EQ(record->theora, 1);
  EXPECT_EQ(record->paused, 1);
  EXPECT_EQ(record->playing, 0);
  EXPECT_EQ(record->soundTrack, -1);  // no Vorbis stream: the clock drives it
  EXPECT_EQ(ReadMovieStatus(movie), 0);
  Wait(1000);
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 0);  // nothing moves while paused
  EXPECT_EQ(CloseMovieHandle(movie), 0);
  EXPECT_EQ(GetMovieRecord(movie), nullptr);
  EXPECT_EQ(CloseMovieHandle(movie), -1);
}

TEST_F(MovieHandles, FollowsTheClockAndEndsOnItsLastFrame) {
  const int movie = CreateMovieFromFile(Movie("a.ogv", 12).c_str(), nullptr, nullptr, 0);
  ASSERT_NE(movie, -1);
  ASSERT_EQ(StartMoviePlayback(movie, 1, 0), 0);
  EXPECT_EQ(ReadMovieStatus(movie), 1);
  Wait(110);  // 3.3 frames
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 3);
  // Paused for a second, then started again: the same frame at the start.
  ASSERT_EQ(SuspendMovie(movie, 0), 0);
  EXPECT_EQ(ReadMovieStatus(movie), 0);
  Wait(1000);
  ASSERT_EQ(StartMoviePlayback(movie, -1, 0), 0);
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 3);
  Wait(34);
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 4);
  // Long past the end: the last frame, then the end.
  Wait(5000);
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 11);
  EXPECT_EQ(ReadMovieStatus(movie), 1);
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(ReadMovieStatus(movie), 0);
  EXPECT_EQ(GetMovieRecord(movie)->paused, 1);
}

TEST_F(MovieHandles, ALoopingMovieWrapsByTheClock) {
  const int movie = CreateMovieFromFile(Movie("a.ogv", 12).c_str(), nullptr, nullptr, 0);
  ASSERT_NE(movie, -1);
  ASSERT_EQ(StartMoviePlayback(movie, 3, 0), 0);
  Wait(300);  // frame 9
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 9);
  Wait(200);  // frame 15: 3 of the second round
  AdvanceMovieFrame(movie, 0);
  EXPECT_EQ(Frame(movie), 3);
  EXPECT_EQ(ReadMovieStatus(movie), 1);
}

// On either road: a Theora movie with a Vorbis track, and movies of the
// FFmpeg road with MP2, Vorbis and AAC tracks; each has twice as much picture
// as sound.
TEST_F(MovieHandles, ASoundTrackDrivesThePictureAndEndsTheMovie) {
  auto media = [](const char* container, const char* extension, const char* video, const char* audio) {
    test::MediaRecipe recipe;
    recipe.container = container;
    recipe.extension = extension;
    recipe.video = video;
    recipe.audio = audio;
    recipe.frames = 20;
    recipe.soundSeconds = 1.0;
    return test::MakeMediaMovie(recipe);
  };
  MovieRecipe theora;
  theora.frames = 60;
  theora.soundSeconds = 1.0;
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    int fps;
  } cases[] = {
      {"a.ogv", MakeTheoraMovie(theora), 30},
      {"a.avi", media("avi", "avi", "mpeg4", "mp2"), 10},
      {"a.webm", media("webm", "webm", "libvpx", "libvorbis"), 10},
      {"a.mp4", media("mp4", "mp4", "mpeg4", "aac"), 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.bytes.empty());
    const int movie = CreateMovieFromFile(WriteFile(c.name, c.bytes).c_str(), nullptr, nullptr, 0);
    ASSERT_NE(movie, -1);
    const int track = GetMovieRecord(movie)->soundTrack;
    ASSERT_NE(track, -1);
    ASSERT_EQ(StartMoviePlayback(movie, 1, 0), 0);
    EXPECT_EQ(IsSoundHandlePlaying(track), 1);
    Pump(44100 / 2);
    AdvanceMovieFrame(movie, 0);
    const int ms = GetSoundHandlePlayPosMs(track);
    EXPECT_GT(ms, 400);
    EXPECT_EQ(Frame(movie), ms * c.fps / 1000);
    // Paused with its mark kept (the window lost the focus): still playing.
    SuspendAllMovies();
    EXPECT_EQ(IsSoundHandlePlaying(track), 0);
    EXPECT_EQ(ReadMovieStatus(movie), 1);
    ResumeMovieAll();
    EXPECT_EQ(IsSoundHandlePlaying(track), 1);
    EXPECT_EQ(GetMovieRecord(movie)->paused, 0);
    int status = 1;
    for (int i = 0; i < 200 && status == 1; ++i) {
      Pump(735);
      AdvanceMovieFrame(movie, 0);
      status = ReadMovieStatus(movie);
    }
    EXPECT_EQ(status, 0);
    EXPECT_LE(Frame(movie), c.fps + 3);  // the track's length, not the picture's
    EXPECT_EQ(GetMovieRecord(movie)->paused, 1);
    EXPECT_EQ(CloseMovieHandle(movie), 0);
    EXPECT_EQ(IsSoundHandlePlaying(track), -1);  // the track went with it
  }
}

TEST_F(MovieHandles, SuspendAllAndResumeOnlyTouchPlayingMovies) {
  const int playing = CreateMovieFromFile(Movie("a.ogv", 12).c_str(), nullptr, nullptr, 0);
  const int idle = CreateMovieFromFile(Movie("b.ogv", 12).c_str(), nullptr, nullptr, 0);
  ASSERT_NE(playing, -1);
  ASSERT_NE(idle, -1);
  StartMoviePlayback(playing, 1, 0);
  Wait(100);
  SuspendAllMovies();
  EXPECT_EQ(Frame(playing), 3);
  EXPECT_EQ(ReadMovieStatus(playing), 1);
  Wait(5000);
  ResumeMovieAll();
  EXPECT_EQ(GetMovieRecord(idle)->paused, 1);
  EXPECT_EQ(GetMovieRecord(playing)->paused, 0);
  AdvanceMovieFrame(playing, 0);
  EXPECT_EQ(Frame(playing), 3);
}

TEST_F(MovieHandles, TheTableHoldsAHundredMovies) {
  const std::string path = Movie("a.ogv", 1);
  std::vector<int> movies;
  for (int i = 0; i < 100; ++i) {
    movies.push_back(CreateMovieFromFile(path.c_str(), nullptr, nullptr, 0));
    ASSERT_NE(movies.back(), -1) << i;
    EXPECT_EQ(movies.back() & 0xFFFF, i);
  }
  EXPECT_EQ(CreateMovieFromFile(path.c_str(), nullptr, nullptr, 0), -1);
  CloseMovieHandle(movies[40]);
  const int again = CreateMovieFromFile(path.c_str(), nullptr, nullptr, 0);
  EXPECT_EQ(again & 0xFFFF, 40);
  EXPECT_NE(again, movies[40]);
}

TEST_F(MovieHandles, OtherFilesFailToOpen) {
  const std::string sound = WriteFile("a.ogg", test::MakeOggVorbis(1, 8000, 800));
  const std::string text = WriteFile("a.txt", {'h', 'e', 'l', 'l', 'o'});
  for (const std::string& path : {sound, text, folder_ + "/missing.ogv"}) {
    EXPECT_EQ(CreateMovieFromFile(path.c_str(), nullptr, nullptr, 0), -1) << path;
  }
  EXPECT_TRUE(Logged("ムービーファイルオープン処理時にエラーが発生しました"));
  EXPECT_EQ(detail::MovieCount(), 0);
}

TEST_F(MovieHandles, BadHandlesAreRefused) {
  for (int handle : {-1, 0, 0x18000000 | 5, 0x10000000}) {
    EXPECT_EQ(StartMoviePlayback(handle, 1, 0), -1);
    EXPECT_EQ(SuspendMovie(handle, 0), -1);
    EXPECT_EQ(ReadMovieStatus(handle), -1);
    EXPECT_EQ(CloseMovieHandle(handle), -1);
    EXPECT_EQ(SetMovieFrameCallback(handle, nullptr, 0), -1);
  }
}

}  // namespace
}  // namespace veziv
