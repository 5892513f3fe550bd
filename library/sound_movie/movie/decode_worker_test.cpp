// The movie roads with their decode steps run on the caller's thread (as the
// fuzz targets run them): the same frames as with the decode thread, over a
// step, a far step that wraps through the end and a seek back, and no thread
// started.
#include "library/sound_movie/movie/decode_worker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "library/sound_movie/movie/media_fixtures_test_support.h"
#include "library/sound_movie/movie/media_movie.h"
#include "library/sound_movie/movie/movie_fixtures_test_support.h"
#include "library/sound_movie/movie/movie_memory_test_support.h"
#include "library/sound_movie/movie/theora_decoder.h"

namespace veziv {
namespace {

using TheoraMovie = test::MovieInMemory<TheoraDecodeContext, OpenTheoraMovie, CloseTheoraMovie, GetTheoraFrameImage>;
using MediaMovie = test::MovieInMemory<MediaMovieContext, OpenMediaMovie, CloseMediaMovie, GetMediaFrameImage>;

int ThreadsOfProcess() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<int>(std::distance(std::filesystem::begin(tasks), std::filesystem::end(tasks)));
}

// What a player saw: each fetch's result, the frame number and the top-left
// block's grey after it; and how many more threads the process had while the
// movie was open than once it was closed (a sanitizer's own helper thread,
// started with the process's second thread, stays).
struct Playback {
  std::vector<int> seen;
  int threadsOfTheMovie = -1;
};

template <typename Movie, int (*Advance)(typename std::remove_pointer_t<decltype(std::declval<Movie>().get())>*, int),
          int (*Seek)(typename std::remove_pointer_t<decltype(std::declval<Movie>().get())>*, int),
          int (*Current)(typename std::remove_pointer_t<decltype(std::declval<Movie>().get())>*), typename Fetch>
Playback Play(const std::vector<uint8_t>& bytes, Fetch fetch) {
  Playback p;
  int whileOpen = 0;
  {
    Movie movie(bytes, 3);
    if (movie.get() == nullptr) return p;
    whileOpen = ThreadsOfProcess();
    auto look = [&] {
      p.seen.push_back(fetch(movie.get()));
      p.seen.push_back(Current(movie.get()));
      p.seen.push_back(movie.Grey(4, 4));
    };
    look();
    for (int step : {1, 2, 11, 5}) {  // within the stock, past it, round through the end
      Advance(movie.get(), step);
      look();
    }
    Seek(movie.get(), 0);
    look();
  }
  p.threadsOfTheMovie = whileOpen - ThreadsOfProcess();
  return p;
}

TEST(MovieDecodeInline, EachRoadShowsTheSameFramesWithoutAThread) {
  test::MovieRecipe theora;
  theora.frames = 16;
  theora.keyframeInterval = 4;
  test::MediaRecipe media;
  media.container = "mp4";
  media.extension = "mp4";
  media.frames = 16;
  media.bFrames = 2;
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    std::function<Playback(const std::vector<uint8_t>&)> play;
  } roads[] = {
      {"Theora", test::MakeTheoraMovie(theora),
       [](const std::vector<uint8_t>& b) {
         return Play<TheoraMovie, AdvanceTheoraMovie, SeekTheoraMovie, GetTheoraCurrentFrame>(
             b, [](TheoraDecodeContext* c) { return FetchTheoraFrame(c, 1, 0); });
       }},
      {"FFmpeg", test::MakeMediaMovie(media),
       [](const std::vector<uint8_t>& b) {
         return Play<MediaMovie, AdvanceMediaMovie, SeekMediaMovie, GetMediaCurrentFrame>(b, FetchMediaFrame);
       }},
  };
  for (const auto& road : roads) {
    SCOPED_TRACE(road.name);
    ASSERT_FALSE(road.bytes.empty());
    detail::RunMovieThreadsInline(false);
    const Playback threaded = road.play(road.bytes);
    detail::RunMovieThreadsInline(true);
    const Playback inlined = road.play(road.bytes);
    detail::RunMovieThreadsInline(false);
    ASSERT_FALSE(threaded.seen.empty());
    EXPECT_EQ(threaded.threadsOfTheMovie, 1);
    EXPECT_EQ(inlined.threadsOfTheMovie, 0);
    EXPECT_EQ(inlined.seen, threaded.seen);
    // Every fetch after a move found its frame: 1, 3, 14, 3 (round), then 0.
    const std::vector<int> frames = {1, 3, 14, 3, 0};
    for (size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(inlined.seen[3 * (i + 1)], 1) << "fetch " << i + 1;
      EXPECT_EQ(inlined.seen[3 * (i + 1) + 1], frames[i]) << "fetch " << i + 1;
      EXPECT_NEAR(inlined.seen[3 * (i + 1) + 2], test::GreyOfLuma(test::DefaultMovieLuma(frames[i])), 8);
    }
  }
}

}  // namespace
}  // namespace veziv
