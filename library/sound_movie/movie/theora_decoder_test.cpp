// The Theora decoder on small movies made in memory: the colour conversion,
// what open refuses, the page index, the picture region, chroma placement,
// advancing with its wrap, the keyframe skip of a far advance, and a fetch
// that finds the data gone.
#include "library/sound_movie/movie/theora_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "library/foundation/files/read_budget.h"
#include "library/sound_movie/movie/fresh_movies_test_support.h"
#include "library/sound_movie/movie/movie_fixtures_test_support.h"
#include "library/sound_movie/movie/movie_memory_test_support.h"
#include "library/sound_movie/movie/yuv_convert.h"
#include "library/sound_movie/readers/sound_fixtures_test_support.h"

namespace veziv {
namespace {

using test::MakeTheoraMovie;

// The continued flag of the page header at p.
int ogg_page_continued_at(const uint8_t* p) { return p[5] & 1; }
using test::MovieRecipe;

using TheoraMovie = test::MovieInMemory<TheoraDecodeContext, OpenTheoraMovie, CloseTheoraMovie, GetTheoraFrameImage>;
using test::GreyOfLuma;

TEST(TheoraDecoderColours, FourTwoZeroByTablesAndOthersInFloat) {
  struct Case {
    int y, u, v;
    uint32_t bgra;
  };
  const Case cases[] = {
      {16, 128, 128, 0xFF000000},  {235, 128, 128, 0xFFFEFEFE}, {0, 0, 0, 0xFF008700},
      {255, 255, 255, 0xFFFF7DFF}, {255, 0, 255, 0xFFFFE113},   {0, 255, 0, 0xFF0023ED},
      {128, 128, 255, 0xFFFF1B82}, {81, 90, 240, 0xFFFE0000},   {145, 54, 34, 0xFF00FF00},
      {41, 240, 110, 0xFF0000FF},  {17, 129, 127, 0xFF000103},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(detail::YuvToBgraByTables(c.y, c.u, c.v), c.bgra) << c.y << " " << c.u << " " << c.v;
    // A 2 x 2 picture of one chroma sample goes the same way, every pixel.
    const uint8_t y[4] = {uint8_t(c.y), uint8_t(c.y), uint8_t(c.y), uint8_t(c.y)};
    const uint8_t u = uint8_t(c.u), v = uint8_t(c.v);
    uint32_t out[4] = {};
    detail::ConvertYuvPicture({y, &u, &v, 2, 2, 2, 1, 1, 1}, 0, 0, 2, 2, reinterpret_cast<uint8_t*>(out), 8);
    for (uint32_t pixel : out) EXPECT_EQ(pixel, c.bgra);
  }
  EXPECT_EQ(detail::YuvToBgraByFloat(16, 128, 128), 0xFF000000u);
  EXPECT_EQ(detail::YuvToBgraByFloat(235, 128, 128), 0xFFFEFEFEu);
  EXPECT_EQ(detail::YuvToBgraByFloat(255, 0, 255), 0xFFFFE013u);

  const detail::YuvToRgbTables& t = detail::YuvTables();
  EXPECT_EQ(t.clamp[0], 0);
  EXPECT_EQ(t.clamp[512 + 254], 254);
  EXPECT_EQ(t.clamp[1279], 255);
}

TEST(TheoraDecoderColours, OddPictureOffsetTakesTheCoveringChroma) {
  // Luma 4 x 2, chroma 2 x 1: the left sample red, the right one blue.
  const uint8_t y[8] = {100, 100, 100, 100, 100, 100, 100, 100};
  const uint8_t u[2] = {128, 240};
  const uint8_t v[2] = {240, 128};
  uint32_t out[3] = {};
  detail::ConvertYuvPicture({y, u, v, 4, 2, 4, 2, 1, 2}, 1, 0, 3, 1, reinterpret_cast<uint8_t*>(out), 12);
  EXPECT_EQ(out[0], detail::YuvToBgraByTables(100, 128, 240));
  EXPECT_EQ(out[1], detail::YuvToBgraByTables(100, 240, 128));
  EXPECT_EQ(out[2], detail::YuvToBgraByTables(100, 240, 128));
}

// Regions of a random picture converted and compared with the tables pixel
// by pixel.
void ConvertRegionsAndCompare() {
  constexpr int kW = 90, kH = 10, kPad = 3;
  std::vector<uint8_t> y(kW * kH), u((kW / 2) * (kH / 2)), v(u.size());
  uint32_t seed = 12345;
  auto next = [&seed] { return uint8_t((seed = seed * 1103515245u + 12345u) >> 23); };
  for (uint8_t& b : y) b = next();
  for (size_t i = 0; i < u.size(); ++i) {
    u[i] = next();
    v[i] = next();
  }
  // Extremes too, where the sums leave 0..255 on either side.
  y[0] = 0, y[1] = 255, u[0] = 255, v[0] = 0, y[kW + 2] = 255, u[1] = 0, v[1] = 255;
  struct Region {
    int x, y, width, height;
  };
  const Region regions[] = {{0, 0, kW, kH}, {1, 0, 89, 10}, {0, 1, 64, 9}, {1, 1, 33, 7},
                            {3, 2, 80, 1},  {5, 0, 1, 3},   {0, 4, 17, 5}, {2, 3, 48, 2}};
  for (const Region& r : regions) {
    SCOPED_TRACE(testing::Message() << r.x << "," << r.y << " " << r.width << "x" << r.height);
    const int pitch = (r.width + kPad) * 4;
    std::vector<uint32_t> out(static_cast<size_t>(r.width + kPad) * r.height, 0xDEADBEEF);
    detail::ConvertYuvPicture({y.data(), u.data(), v.data(), kW, kH, kW, kW / 2, kH / 2, kW / 2}, r.x, r.y,
                              r.width, r.height, reinterpret_cast<uint8_t*>(out.data()), pitch);
    int wrong = 0;
    for (int row = 0; row < r.height; ++row) {
      for (int col = 0; col < r.width + kPad; ++col) {
        const int px = r.x + col, py = r.y + row;
        const uint32_t want = col < r.width ? detail::YuvToBgraByTables(y[py * kW + px], u[(py / 2) * (kW / 2) + px / 2],
                                                                        v[(py / 2) * (kW / 2) + px / 2])
                                            : 0xDEADBEEF;
        wrong += out[static_cast<size_t>(row) * (r.width + kPad) + col] != want;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// Every pixel of a picture region, whatever its offset and size (wide rows
// go through vector code with a scalar start and tail), is the tables' value
// for its own luma and the chroma sample covering it, with each vector width
// the machine has; nothing outside the region is written.
TEST(TheoraDecoderColours, EveryRegionMatchesThePixelByPixelTables) {
  for (const int bits : {512, 256, 0}) {
    SCOPED_TRACE(testing::Message() << "vectors of " << bits << " bits at most");
    detail::LimitYuvVectors(bits);
    ConvertRegionsAndCompare();
  }
  detail::LimitYuvVectors(512);
}

TEST(TheoraDecoderOpen, RefusesWhatIsNoTheoraMovie) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> cut = MakeTheoraMovie(MovieRecipe{});
  cut.resize(60);  // inside the headers
  const Case cases[] = {
      {"empty", {}},
      {"not Ogg", {'R', 'I', 'F', 'F', 0, 0, 0, 0}},
      {"Ogg Vorbis", test::MakeOggVorbis(1, 8000, 800)},
      {"cut in the headers", cut},
  };
  for (const Case& c : cases) {
    TheoraMovie movie(c.bytes);
    EXPECT_EQ(movie.get(), nullptr) << c.name;
  }
}

// The movie with its identification header (alone on the first page)
// claiming a coded frame and picture of width x height.
std::vector<uint8_t> WithClaimedSize(std::vector<uint8_t> movie, int width, int height) {
  uint8_t* page = movie.data();
  const int segments = page[26];
  uint8_t* packet = page + 27 + segments;
  auto put = [](uint8_t* at, int bytes, int value) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
  };
  put(packet + 10, 2, (width + 15) / 16);
  put(packet + 12, 2, (height + 15) / 16);
  put(packet + 14, 3, width);
  put(packet + 17, 3, height);
  packet[20] = 0;
  packet[21] = 0;
  long body = 0;
  for (int i = 0; i < segments; ++i) body += page[27 + i];
  ogg_page p{page, 27 + segments, packet, body};
  ogg_page_checksum_set(&p);
  return movie;
}

// What a header claims is held to the readers' budget before the decoder,
// the frame image or a picture of stock is made.
TEST(TheoraDecoderOpen, AMovieMustFitTheReadBudget) {
  const std::vector<uint8_t> small = MakeTheoraMovie(MovieRecipe{});
  {
    TheoraMovie claims(WithClaimedSize(small, 4096, 4096));
    EXPECT_EQ(claims.get(), nullptr);
  }
  {
    // 32 x 32 (coded with its borders: 64 x 64) with ten pictures of stock
    // and four of the decoder: about 90 KB at 4:2:0.
    struct Budget {
      ~Budget() { detail::SetMaxReadBytes(0); }
    } restore;
    detail::SetMaxReadBytes(40000);
    TheoraMovie refused(small);
    EXPECT_EQ(refused.get(), nullptr);
    detail::SetMaxReadBytes(120000);
    TheoraMovie accepted(small);
    EXPECT_NE(accepted.get(), nullptr);
  }
}

TEST(TheoraDecoderIndex, CountsFramesKeyframesAndContinuedPackets) {
  // Small packets share pages; the keyframes of the big picture run over pages.
  for (int side : {32, 256}) {
    MovieRecipe recipe;
    recipe.width = side;
    recipe.height = side;
    recipe.frames = 13;
    recipe.keyframeInterval = 4;
    recipe.quality = 63;
    TheoraMovie movie(MakeTheoraMovie(recipe));
    ASSERT_NE(movie.get(), nullptr);
    TheoraMovieInfo info{};
    GetTheoraMovieInfo(movie.get(), &info);
    EXPECT_EQ(info.frameCount, 13);
    EXPECT_DOUBLE_EQ(info.framesPerSecond, 30.0);
    const uint8_t* keys = detail::TheoraKeyframeFlags(movie.get());
    for (int f = 0; f < 13; ++f) EXPECT_EQ(keys[f], f % 4 == 0 ? 1 : 0) << "frame " << f << " side " << side;
    int count = 0;
    const detail::TheoraPageEntry* pages = detail::TheoraPageIndex(movie.get(), &count);
    ASSERT_GT(count, 0);
    EXPECT_EQ(pages[0].offset, 0u);
    EXPECT_EQ(pages[0].firstFrame, 0u);
    uint32_t next = 0;
    for (int e = 0; e < count; ++e) {
      EXPECT_EQ(pages[e].firstFrame, next) << "entry " << e;
      EXPECT_GT(pages[e].frames, 0u);
      next += pages[e].frames;
      if (e > 0) {
        EXPECT_GT(pages[e].offset, pages[e - 1].offset);
        // Each entry's offset is where a page starts.
        EXPECT_EQ(std::memcmp(movie.stream()->data + pages[e].offset, "OggS", 4), 0);
      }
    }
    EXPECT_EQ(next, 13u);
    int continued = 0;
    for (int e = 1; e < count; ++e) continued += ogg_page_continued_at(movie.stream()->data + pages[e].offset);
    if (side > 32) {
      EXPECT_GT(continued, 0) << "packets should run over pages";
    } else {
      EXPECT_LT(count, 13) << "pages should hold several packets";
    }
  }
}

TEST(TheoraDecoderFrames, AdvanceWrapsAndEachFrameShowsItsPicture) {
  MovieRecipe recipe;
  recipe.frames = 9;
  recipe.quality = 63;
  TheoraMovie movie(MakeTheoraMovie(recipe));
  ASSERT_NE(movie.get(), nullptr);
  EXPECT_EQ(GetTheoraCurrentFrame(movie.get()), 0);
  EXPECT_NEAR(movie.Grey(5, 5), GreyOfLuma(test::DefaultMovieLuma(0)), 3);
  // Fetched at open: nothing new until the frame moves.
  EXPECT_EQ(FetchTheoraFrame(movie.get(), 1, 0), 0);
  for (int step : {1, 3, 2, 5, 9, 20}) {
    const int expected = (GetTheoraCurrentFrame(movie.get()) + step) % 9;
    AdvanceTheoraMovie(movie.get(), step);
    EXPECT_EQ(GetTheoraCurrentFrame(movie.get()), expected);
    EXPECT_EQ(FetchTheoraFrame(movie.get(), 1, 0), 1);
    EXPECT_NEAR(movie.Grey(5, 5), GreyOfLuma(test::DefaultMovieLuma(expected)), 3) << "frame " << expected;
  }
  AdvanceTheoraMovie(movie.get(), 0);
  EXPECT_EQ(FetchTheoraFrame(movie.get(), 1, 0), 0);
  // A seek to the wanted frame leaves the fetched picture alone.
  SeekTheoraMovie(movie.get(), GetTheoraCurrentFrame(movie.get()));
  EXPECT_EQ(FetchTheoraFrame(movie.get(), 1, 0), 0);
  SeekTheoraMovie(movie.get(), 0);
  EXPECT_EQ(FetchTheoraFrame(movie.get(), 1, 0), 1);
  EXPECT_NEAR(movie.Grey(5, 5), GreyOfLuma(test::DefaultMovieLuma(0)), 3);
}

TEST(TheoraDecoderFrames, AFarAdvanceDecodesFromTheLastKeyframe) {
  MovieRecipe recipe;
  recipe.frames = 16;
  recipe.keyframeInterval = 4;
  recipe.quality = 63;
  TheoraMovie movie(MakeTheoraMovie(recipe), 1);
  ASSERT_NE(movie.get(), nullptr);
  detail::WaitForTheoraIdle(movie.get());
  EXPECT_EQ(detail::TheoraPacketsDecoded(movie.get()), 1);
  // Frames 1 to 10 are read; 8 is the last keyframe among them.
  AdvanceTheoraMovie(movie.get(), 10);
  EXPECT_EQ(FetchTheoraFrame(movie.get(), 1, 0), 1);
  detail::WaitForTheoraIdle(movie.get());
  EXPECT_EQ(detail::TheoraPacketsDecoded(movie.get()), 4);
  EXPECT_NEAR(movie.Grey(5, 5), GreyOfLuma(test::DefaultMovieLuma(10)), 3);
  // Through the end: frames 0 to 1 from the start of the file.
  AdvanceTheoraMovie(movie.get(), 7);
  EXPECT_EQ(FetchTheoraFrame(movie.get(), 1, 0), 1);
  detail::WaitForTheoraIdle(movie.get());
  EXPECT_EQ(detail::TheoraPacketsDecoded(movie.get()), 6);
  EXPECT_NEAR(movie.Grey(5, 5), GreyOfLuma(test::DefaultMovieLuma(1)), 3);
}

TEST(TheoraDecoderFrames, AFetchAfterTheDataEndsKeepsThePicture) {
  MovieRecipe recipe;
  recipe.width = 64;
  recipe.height = 64;
  recipe.frames = 30;
  recipe.quality = 63;
  TheoraMovie movie(MakeTheoraMovie(recipe), 1);
  ASSERT_NE(movie.get(), nullptr);
  detail::WaitForTheoraIdle(movie.get());
  const uint32_t before = movie.Pixel(3, 3);
  // The data behind the stream is cut to its first quarter.
  movie.stream()->size /= 4;
  AdvanceTheoraMovie(movie.get(), 28);
  EXPECT_EQ(FetchTheoraFrame(movie.get(), 1, 0), 0);
  EXPECT_EQ(movie.Pixel(3, 3), before);
}

TEST(TheoraDecoderPicture, TheRegionInsideTheCodedFrameIsShown) {
  // A 20 x 12 picture at (6, 4) of a 32 x 16 frame: bright in the picture's
  // top-left 10 x 6 quarter, middle grey in the rest of the picture, black
  // outside it.
  MovieRecipe recipe;
  recipe.width = 20;
  recipe.height = 12;
  recipe.offsetX = 6;
  recipe.offsetY = 4;
  recipe.frames = 2;
  recipe.quality = 63;
  recipe.paint = [](int, test::MoviePlanes* p) {
    for (int y = 0; y < p->height; ++y) {
      for (int x = 0; x < p->width; ++x) {
        const bool inside = x >= 6 && x < 26 && y >= 4 && y < 16;
        const bool quarter = x >= 6 && x < 16 && y >= 4 && y < 10;
        p->y[static_cast<size_t>(y) * p->width + x] = quarter ? 235 : inside ? 128 : 16;
      }
    }
  };
  TheoraMovie movie(MakeTheoraMovie(recipe));
  ASSERT_NE(movie.get(), nullptr);
  TheoraMovieInfo info{};
  GetTheoraMovieInfo(movie.get(), &info);
  EXPECT_EQ(info.width, 20);
  EXPECT_EQ(info.height, 12);
  const RasterImage* image = GetTheoraFrameImage(movie.get());
  EXPECT_EQ(image->width, 20);
  EXPECT_EQ(image->height, 12);
  EXPECT_GT(movie.Grey(0, 0), 220);
  EXPECT_GT(movie.Grey(9, 5), 220);
  EXPECT_NEAR(movie.Grey(19, 11), GreyOfLuma(128), 12);
  EXPECT_NEAR(movie.Grey(0, 11), GreyOfLuma(128), 12);
  EXPECT_NEAR(movie.Grey(19, 0), GreyOfLuma(128), 12);
}

TEST(TheoraDecoderPicture, ChromaOfEveryLayoutComesFromItsOwnPlace) {
  struct Case {
    const char* name;
    th_pixel_fmt format;
  };
  const Case cases[] = {{"4:2:0", TH_PF_420}, {"4:2:2", TH_PF_422}, {"4:4:4", TH_PF_444}};
  for (const Case& c : cases) {
    // Red on the left half, grey on the right half, on a 32 x 32 picture.
    MovieRecipe recipe;
    recipe.pixelFormat = c.format;
    recipe.frames = 1;
    recipe.quality = 63;
    recipe.paint = [](int, test::MoviePlanes* p) {
      std::fill(p->y.begin(), p->y.end(), 100);
      for (int y = 0; y < p->chromaHeight; ++y) {
        for (int x = 0; x < p->chromaWidth; ++x) {
          p->v[static_cast<size_t>(y) * p->chromaWidth + x] = x < p->chromaWidth / 2 ? 240 : 128;
        }
      }
    };
    TheoraMovie movie(MakeTheoraMovie(recipe));
    ASSERT_NE(movie.get(), nullptr) << c.name;
    for (int y : {2, 29}) {
      const uint32_t left = movie.Pixel(12, y), right = movie.Pixel(27, y);
      EXPECT_GT(static_cast<int>(left >> 16 & 0xFF) - static_cast<int>(left & 0xFF), 100) << c.name;
      EXPECT_LT(std::abs(static_cast<int>(right >> 16 & 0xFF) - static_cast<int>(right & 0xFF)), 20) << c.name;
    }
  }
}

}  // namespace
}  // namespace veziv
