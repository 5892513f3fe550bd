// A movie file loaded as a graph on the software screen: drawing it brings
// its frames in by the clock, on 32-bit and 16-bit screens, the game's three
// graph calls reach the movie, and deleting the graph closes the movie.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "library/foundation/memory_log/log.h"
#include "library/graphics/graphs/graph_loading.h"
#include "library/graphics/graphs/graphics_test_support.h"
#include "library/sound_movie/movie/fresh_movies_test_support.h"
#include "library/sound_movie/movie/movie_fixtures_test_support.h"
#include "library/sound_movie/movie/movie_handles.h"
#include "library/sound_movie/movie/yuv_convert.h"

namespace veziv {
namespace {

// Frame i of the movie: left half dark, right half one grey that changes with i.
int RightLuma(int frame) { return 60 + frame * 20; }

class MovieGraph : public test::GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    std::string pattern = (std::filesystem::temp_directory_path() / "veziv-movies-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    detail::SetLogFolder(folder_.c_str());
    CreateLogFile();
    detail::RegisterMoviesWithLibrary();
    test::MovieRecipe recipe;
    recipe.frames = 8;
    recipe.width = 48;
    recipe.height = 32;
    recipe.quality = 63;
    recipe.paint = [](int i, test::MoviePlanes* p) {
      for (int y = 0; y < p->height; ++y) {
        for (int x = 0; x < p->width; ++x) p->y[size_t(y) * p->width + x] = uint8_t(x < 24 ? 16 : RightLuma(i));
      }
    };
    const std::vector<uint8_t> bytes = test::MakeTheoraMovie(recipe);
    path_ = folder_ + "/clip.ogv";
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  void TearDown() override {
    detail::CloseAllMovies();
    detail::MovieLoaderCalls() = detail::NoMoviePlayerCalls();
    GraphicsTest::TearDown();
    detail::SetLogFolder("");
    std::filesystem::remove_all(folder_);
  }
  static void Wait(int ms) { platform::os::AdvanceManualClock(static_cast<uint64_t>(ms) * 1000); }
  // The green part of a screen pixel, on either depth.
  int ScreenGreen(int x, int y) const {
    if (detail::Screen().bits == 32) return int(ScreenPixel(x, y) >> 8 & 0xFF);
    uint16_t v = 0;
    std::memcpy(&v, screen_.pixels + y * screen_.base->pitch + x * 2, 2);
    const int g6 = v >> 5 & 0x3F;
    return g6 << 2 | g6 >> 4;
  }
  static int GreenOfLuma(int luma) { return int(detail::YuvToBgraByTables(luma, 128, 128) >> 8 & 0xFF); }

  std::string folder_;
  std::string path_;
};

TEST_F(MovieGraph, PlaysIntoTheGraphAsItIsDrawn) {
  for (int bits : {32, 16}) {
    StartScreen(bits);
    const GraphHandle graph = ImportGraphFile(path_.c_str(), 0);
    ASSERT_NE(graph, -1) << bits;
    int width = 0, height = 0;
    QueryGraphDimensions(graph, &width, &height);
    EXPECT_EQ(width, 48);
    EXPECT_EQ(height, 32);
    const int movie = GetGraphRecord(graph)->movie;
    ASSERT_NE(GetMovieRecord(movie), nullptr);

    ASSERT_EQ(StartGraphMovie(graph, 1, 0), 0);
    EXPECT_EQ(ReadGraphMovieStatus(graph), 1);
    for (int frame : {0, 1, 4}) {
      Wait(frame == 0 ? 0 : frame == 1 ? 34 : 100);
      ASSERT_EQ(RenderGraphAtPoint(0, 0, graph, 0), 0);
      const int tolerance = bits == 32 ? 4 : 8;
      EXPECT_NEAR(ScreenGreen(40, 10), GreenOfLuma(RightLuma(frame)), tolerance) << bits << " frame " << frame;
      EXPECT_LE(ScreenGreen(5, 10), tolerance) << bits;
    }
    Wait(1000);
    RenderGraphAtPoint(0, 0, graph, 0);
    RenderGraphAtPoint(0, 0, graph, 0);
    EXPECT_NEAR(ScreenGreen(40, 10), GreenOfLuma(RightLuma(7)), 8);
    EXPECT_EQ(ReadGraphMovieStatus(graph), 0);
    EXPECT_EQ(SuspendGraphMovie(graph, 0), 0);
    EXPECT_EQ(FreeGraphHandle(graph, 0), 0);
    EXPECT_EQ(detail::MovieCount(), 0) << "the graph's movie goes with it";
  }
}

TEST_F(MovieGraph, GraphCallsWithoutAMovie) {
  const GraphHandle plain = CreateEmptyGraph(8, 8, 0);
  ASSERT_NE(plain, -1);
  EXPECT_EQ(StartGraphMovie(plain, 1, 0), 0);
  EXPECT_EQ(SuspendGraphMovie(plain, 0), 0);
  EXPECT_EQ(ReadGraphMovieStatus(plain), 0);
  FreeGraphHandle(plain, 0);
  EXPECT_EQ(StartGraphMovie(plain, 1, 0), -1);
  EXPECT_EQ(SuspendGraphMovie(plain, 0), -1);
  EXPECT_EQ(ReadGraphMovieStatus(plain), -1);
}

}  // namespace
}  // namespace veziv
