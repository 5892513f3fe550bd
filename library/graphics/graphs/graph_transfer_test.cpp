// Filling graphs from image records: placement, cutting, sub-graphs sharing
// the store, and what is kept for a reload.
#include <gtest/gtest.h>

#include <cstring>

#include "library/graphics/graphs/graphics_test_support.h"
#include "library/graphics/images/raster_image.h"

namespace veziv {
namespace {

using test::GraphicsTest;

class GraphTransfer : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    ASSERT_EQ(CreateRasterImageBuffer(6, 4, &image_), 0);
    // Each pixel's red is its column, blue its row.
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) SetRasterImagePixel(&image_, x, y, 10 * x, 0, 10 * y, 255);
  }
  void TearDown() override {
    FreeRasterImage(&image_);
    GraphicsTest::TearDown();
  }
  static uint32_t Pixel(int graph, int x, int y) {
    const SOFTSURFACE& v = GetGraphRecord(graph)->view;
    uint32_t p = 0;
    std::memcpy(&p, v.pixels + y * v.base->pitch + x * 4, 4);
    return p & 0xFFFFFF;
  }
  static uint32_t Expected(int x, int y) { return uint32_t(10 * x) << 16 | uint32_t(10 * y); }
  RasterImage image_{};
};

TEST_F(GraphTransfer, WholeImageFillsTheGraphAndBuildsItsRunTable) {
  const int g = MakeGraph(6, 4, 0);
  EXPECT_EQ(TransferImageToGraph(&image_, nullptr, nullptr, 0, 0, g, 7, "pic.bmp", 0), 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(g, x, y), Expected(x, y)) << x << "," << y;
  const GraphRecord* r = GetGraphRecord(g);
  EXPECT_EQ(r->view.base->runTableValid, 1);
  EXPECT_EQ(r->sourceOption, 7);
  ASSERT_NE(r->sourceFile, nullptr);
  EXPECT_NE(std::strstr(r->sourceFile->path, "pic.bmp"), nullptr);
}

TEST_F(GraphTransfer, RegionIsCutAtTheGraphEdgeAndPlacedInTheGraphsRectangle) {
  const int store = MakeGraph(8, 8, 0);
  const int sub = MakeSubGraph(4, 4, 4, 4, store);
  const DrawRect rect{1, 1, 6, 4};
  EXPECT_EQ(TransferImageToGraph(&image_, nullptr, &rect, 1, 0, sub, 0, nullptr, 0), 0);
  EXPECT_EQ(GetGraphRecord(sub)->sourceX, 0);
  EXPECT_EQ(GetGraphRecord(sub)->sourceY, 1);
  // Columns 1 to 3 of the region fit the sub-graph's columns 1 to 3; the rest is cut.
  for (int x = 1; x < 4; ++x) EXPECT_EQ(Pixel(sub, x, 0), Expected(x, 1)) << x;
  EXPECT_EQ(Pixel(sub, 0, 0), 0u);
  EXPECT_EQ(Pixel(store, 5, 4), Expected(1, 1));
  EXPECT_EQ(Pixel(store, 3, 4), 0u);
  EXPECT_EQ(GetGraphRecord(store)->view.base->runTableValid, 0);  // a part only

  const DrawRect empty{2, 2, 2, 3};
  EXPECT_EQ(TransferImageToGraph(&image_, nullptr, &empty, 0, 0, sub, 0, nullptr, 0), 0);
  EXPECT_EQ(TransferImageToGraph(&image_, nullptr, nullptr, 4, 0, sub, 0, nullptr, 0), -1);  // nothing left
  const DrawRect outside{4, 0, 8, 4};
  EXPECT_LT(TransferImageToGraph(&image_, nullptr, &outside, 0, 0, sub, 0, nullptr, 0), 0);
}

TEST_F(GraphTransfer, SourceImageCallTakesTheGraphsSize) {
  const int g = MakeGraph(2, 2, 0);
  EXPECT_EQ(SetGraphicSourceImage(&image_, nullptr, 3, 1, g, 0, nullptr), 0);
  EXPECT_EQ(Pixel(g, 0, 0), Expected(3, 1));
  EXPECT_EQ(Pixel(g, 1, 1), Expected(4, 2));
  EXPECT_EQ(GetGraphRecord(g)->sourceX, 3);
  EXPECT_EQ(SetGraphicSourceImage(&image_, nullptr, 0, 0, 0x08007000, 0, nullptr), -1);
  detail::Screen().started = 0;
  EXPECT_EQ(TransferImageToGraph(&image_, nullptr, nullptr, 0, 0, g, 0, nullptr, 0), -1);
}

}  // namespace
}  // namespace veziv
