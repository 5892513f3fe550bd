// Screen capture: the rectangle checks, the pixels a capture copies (from the
// screen, from a graph and from a graph's own store), and the files written
// from a region read back with the image loaders.
#include "library/veziv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "library/graphics/graphs/graphics_test_support.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_test_support.h"
#include "library/graphics/images/raster_image.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

using test::GraphicsTest;
using test::Loaded;

// A smooth picture, so that a JPEG of it stays close to it.
uint32_t Pattern(int x, int y) {
  return uint32_t(40 + 2 * x) % 256 << 16 | uint32_t(30 + 3 * y) % 256 << 8 | uint32_t(100 + x + y) % 256;
}

uint32_t ViewPixel(const SOFTSURFACE& view, int x, int y) {
  uint32_t v = 0;
  std::memcpy(&v, view.pixels + y * view.base->pitch + x * 4, 4);
  return v & 0xFFFFFF;
}

void PaintPattern(SOFTSURFACE* view) {
  for (int y = 0; y < view->height; ++y)
    for (int x = 0; x < view->width; ++x) {
      const uint32_t v = Pattern(x, y);
      std::memcpy(view->pixels + y * view->base->pitch + x * 4, &v, 4);
    }
}

class ScreenCaptureTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    PaintPattern(&screen_);
  }
  // Every pixel of the graph equals the target's pattern moved by (dx, dy).
  static void ExpectPattern(int graph, int dx, int dy) {
    const SOFTSURFACE& view = GetGraphRecord(graph)->view;
    for (int y = 0; y < view.height; ++y)
      for (int x = 0; x < view.width; ++x)
        ASSERT_EQ(ViewPixel(view, x, y), Pattern(x + dx, y + dy)) << "at " << x << ", " << y;
  }
};

TEST_F(ScreenCaptureTest, RefusesRectanglesOutsideTheTargetOrNotTheGraphsSize) {
  struct Case {
    const char* name;
    int x1, y1, x2, y2;
    int width, height;  // of the graph
  };
  const int s = kScreenSize;
  const Case cases[] = {
      {"x1 = x2", 5, 5, 5, 10, 1, 5},
      {"y1 = y2", 5, 5, 10, 5, 5, 1},
      {"x1 after x2", 10, 0, 5, 5, 5, 5},
      {"negative x1", -1, 0, 4, 5, 5, 5},
      {"negative y1", 0, -1, 5, 4, 5, 5},
      {"past the right edge", s - 4, 0, s + 1, 5, 5, 5},
      {"past the bottom edge", 0, s - 4, 5, s + 1, 5, 5},
      {"graph one pixel narrower", 0, 0, 6, 5, 5, 5},
      {"graph one pixel taller", 0, 0, 5, 5, 5, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int graph = MakeGraph(c.width, c.height, 0x123456);
    EXPECT_EQ(CaptureScreenToGraph(c.x1, c.y1, c.x2, c.y2, graph), -1);
    EXPECT_EQ(ViewPixel(GetGraphRecord(graph)->view, 0, 0), 0x123456u) << "nothing copied";
    FreeGraphHandle(graph, 0);
  }
  EXPECT_EQ(CaptureScreenToGraph(0, 0, 5, 5, -1), -1);
  const int deleted = MakeGraph(5, 5, 0);
  FreeGraphHandle(deleted, 0);
  EXPECT_EQ(CaptureScreenToGraph(0, 0, 5, 5, deleted), -1);
}

TEST_F(ScreenCaptureTest, CopiesTheWholeScreenOnlyIntoAGraphOfItsSize) {
  StartScreen(32, 800, 600);
  PaintPattern(&screen_);
  const int small = MakeGraph(640, 480, 0);
  EXPECT_EQ(CaptureScreenToGraph(0, 0, 800, 600, small), -1);
  const int whole = MakeGraph(800, 600, 0);
  ASSERT_EQ(CaptureScreenToGraph(0, 0, 800, 600, whole), 0);
  ExpectPattern(whole, 0, 0);
}

TEST_F(ScreenCaptureTest, CopiesTheRectangleOfTheCurrentTarget) {
  const int fromScreen = MakeGraph(20, 12, 0);
  ASSERT_EQ(CaptureScreenToGraph(5, 7, 25, 19, fromScreen), 0);
  ExpectPattern(fromScreen, 5, 7);

  // A graph as the target: its own pixels are read, not the screen's.
  const int source = MakeGraph(30, 30, 0);
  PaintPattern(&GetGraphRecord(source)->view);
  SoftSurfaceFillRaw(&screen_, nullptr, 0);
  ASSERT_EQ(SelectDrawTarget(source), 0);
  const int fromGraph = MakeGraph(10, 10, 0);
  ASSERT_EQ(CaptureScreenToGraph(20, 20, 30, 30, fromGraph), 0);
  ExpectPattern(fromGraph, 20, 20);
  EXPECT_EQ(CaptureScreenToGraph(25, 25, 35, 35, fromGraph), -1) << "the graph's size bounds the rectangle";
}

TEST_F(ScreenCaptureTest, CopiesWithinOneStoreWhereTheRectanglesOverlap) {
  const int source = MakeGraph(16, 16, 0);
  PaintPattern(&GetGraphRecord(source)->view);
  // A part of the same store, one pixel down and right of the rectangle read.
  const int part = MakeSubGraph(1, 1, 12, 12, source);
  ASSERT_GE(part, 0);
  ASSERT_EQ(SelectDrawTarget(source), 0);
  ASSERT_EQ(CaptureScreenToGraph(0, 0, 12, 12, part), 0);
  ExpectPattern(part, 0, 0);
  // Into itself: nothing changes.
  ASSERT_EQ(CaptureScreenToGraph(0, 0, 16, 16, source), 0);
  EXPECT_EQ(ViewPixel(GetGraphRecord(source)->view, 15, 15), Pattern(15, 15));
}

TEST_F(ScreenCaptureTest, ReadsTheTargetItselfWhileMaskedDrawingIsOn) {
  ASSERT_EQ(SetupMaskScreen(1), 0);
  ASSERT_EQ(SetMaskScreenUse(1), 0);
  ASSERT_EQ(IsMaskedDrawActive(), 1);
  // The mask image holds nothing of the screen until something is drawn through it.
  SoftSurfaceFillRaw(MaskScreenImage(), nullptr, 0x00FFFFFF);
  const int graph = MakeGraph(10, 8, 0);
  ASSERT_EQ(CaptureScreenToGraph(4, 6, 14, 14, graph), 0);
  ExpectPattern(graph, 4, 6);

  test::TestFolder folder;
  const std::string path = folder / "masked.bmp";
  ASSERT_EQ(WriteScreenRegionImage(4, 6, 14, 14, path.c_str(), 0, 80, 0, 6), 0);
  Loaded image;
  ASSERT_EQ(LoadRasterImage(path.c_str(), nullptr, 0, 0, image.get(), 0), 0);
  int r = 0, g = 0, b = 0;
  ASSERT_EQ(GetRasterImagePixel(image.get(), 3, 2, &r, &g, &b, nullptr), 0);
  EXPECT_EQ(uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b), Pattern(7, 8));
}

class ScreenWriteTest : public ScreenCaptureTest {
 protected:
  std::string Path(const char* name) const { return folder_ / name; }
  test::TestFolder folder_;
};

// Red, green and blue of a loaded image's pixel, as 0xRRGGBB.
uint32_t LoadedRgb(Loaded& image, int x, int y) {
  int r = 0, g = 0, b = 0;
  EXPECT_EQ(GetRasterImagePixel(image.get(), x, y, &r, &g, &b, nullptr), 0);
  return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

TEST_F(ScreenWriteTest, WritesLosslessFormatsExactly) {
  struct Case {
    const char* name;
    int type;
  };
  const Case cases[] = {{"out.bmp", 0}, {"out.png", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(WriteScreenRegionImage(3, 4, 13, 10, Path(c.name).c_str(), c.type, 80, 0, 6), 0);
    Loaded image;
    ASSERT_EQ(LoadRasterImage(Path(c.name).c_str(), nullptr, 0, 0, image.get(), 0), 0);
    ASSERT_EQ(image->width, 10);
    ASSERT_EQ(image->height, 6);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 10; ++x) ASSERT_EQ(LoadedRgb(image, x, y), Pattern(x + 3, y + 4)) << x << ", " << y;
  }
}

TEST_F(ScreenWriteTest, WritesAJpegCloseToTheTarget) {
  const std::string path = Path("temp.jpeg");
  ASSERT_EQ(WriteScreenRegionJpeg(8, 2, 56, 38, path.c_str(), 80, 0), 0);
  Loaded image;
  ASSERT_EQ(LoadRasterImage(path.c_str(), nullptr, 0, 0, image.get(), 0), 0);
  ASSERT_EQ(image->width, 48);
  ASSERT_EQ(image->height, 36);
  for (int y = 0; y < 36; ++y)
    for (int x = 0; x < 48; ++x) {
      const uint32_t got = LoadedRgb(image, x, y), want = Pattern(x + 8, y + 2);
      for (int shift = 0; shift <= 16; shift += 8)
        ASSERT_LE(std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)), 12) << x << ", " << y;
    }
}

TEST_F(ScreenWriteTest, WritesAPaletteTargetInItsColours) {
  const int graph = AllocGraphHandle();
  ASSERT_EQ(CreateGraphSurface(graph, 4, 2, 0, 1, 0, 0), 0);
  SoftSurfaceShared& block = *GetGraphRecord(graph)->drawInfo->surface.base;
  const uint32_t colours[] = {0x102030, 0xA0B0C0};
  std::memcpy(block.palette, colours, sizeof colours);
  for (int i = 0; i < 8; ++i) block.pixels[(i / 4) * block.pitch + i % 4] = uint8_t((i + i / 4) % 2);
  ASSERT_EQ(SelectDrawTarget(graph), 0);
  ASSERT_EQ(WriteScreenRegionImage(0, 0, 4, 2, Path("p.bmp").c_str(), 0, 0, 0, 0), 0);
  Loaded image;
  ASSERT_EQ(LoadRasterImage(Path("p.bmp").c_str(), nullptr, 0, 0, image.get(), 0), 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(LoadedRgb(image, i % 4, i / 4), colours[(i + i / 4) % 2]) << i;
}

TEST_F(ScreenWriteTest, ReportsWhatItCouldNotWrite) {
  const std::string missing = Path("no-such-folder/out");
  for (int type : {0, 1, 2}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(WriteScreenRegionImage(0, 0, 8, 8, missing.c_str(), type, 80, 0, 6), -1);
  }
  EXPECT_EQ(WriteScreenRegionJpeg(0, 0, 8, 8, missing.c_str(), 80, 0), -1);
  EXPECT_EQ(WriteScreenRegionImage(0, 0, 0, 8, Path("empty.bmp").c_str(), 0, 80, 0, 6), -1);
  EXPECT_EQ(WriteScreenRegionImage(0, 0, kScreenSize + 1, 8, Path("wide.bmp").c_str(), 0, 80, 0, 6), -1);
  EXPECT_EQ(WriteScreenRegionImage(0, 0, 8, 8, Path("other").c_str(), 3, 80, 0, 6), 0);
  EXPECT_TRUE(std::filesystem::is_empty(folder_.path())) << "no file for a refused rectangle or type 3";
}

}  // namespace
}  // namespace veziv
