// Mask screen: inactive without a mask buffer, the handle table's checks, the
// software bracket once a mask screen exists, and the mask screen freed and
// restored.
#include "library/graphics/graphs/mask_screen.h"

#include <gtest/gtest.h>

#include <cstring>

#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graphics_test_support.h"

namespace veziv {
namespace {

using test::GraphicsTest;

class MaskScreen : public GraphicsTest {};

TEST_F(MaskScreen, StaysInactiveWithoutAMaskBuffer) {
  EXPECT_EQ(GetMaskScreenUse(), 1);  // the reset's wish
  EXPECT_EQ(SetMaskScreenUse(0), -1);
  EXPECT_EQ(GetMaskScreenUse(), 1);
  EXPECT_EQ(IsMaskedDrawActive(), 0);
  EXPECT_EQ(MaskScreenImage(), nullptr);
  EXPECT_EQ(BeginMaskedDraw(0, 0, 64, 64), 0);
  EXPECT_EQ(EndMaskedDraw(0, 0, 64, 64), 0);
  // Drawing goes straight to the screen.
  const int g = MakeGraph(2, 2, 0xFF112233);
  EXPECT_EQ(RenderGraphAtPoint(3, 3, g, 0), 0);
  EXPECT_EQ(ScreenPixel(4, 4), 0xFF112233u);
}

TEST_F(MaskScreen, HandleDeletionChecksKindSlotAndUse) {
  EXPECT_EQ(DeleteMaskHandle(0x40000000), -1);
  EXPECT_EQ(DeleteMaskHandle(0x40000000 | 600), -1);
  EXPECT_EQ(DeleteMaskHandle(0x08000000), -1);
  EXPECT_EQ(DeleteMaskHandle(-1), -1);
  EXPECT_EQ(DeleteMaskHandleAll(), 0);
}

TEST_F(MaskScreen, BracketLetsDrawingThroughWhereTheMaskByteIsZero) {
  SoftSurfaceFillRaw(&screen_, nullptr, 0xFF000000);
  ASSERT_EQ(SetupMaskScreen(1), 0);
  ASSERT_EQ(SetMaskScreenUse(1), 0);
  ASSERT_EQ(IsMaskedDrawActive(), 1);
  int pitch = 0;
  uint8_t* mask = detail::MaskBytes(&pitch);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(pitch, 64);
  for (int y = 0; y < 8; ++y) std::memset(mask + y * pitch + 4, 1, 4);  // columns 4-7 held back
  EXPECT_EQ(CurrentDrawTargetImage(), MaskScreenImage());
  const int g = MakeGraph(8, 8, 0xFFABCDEF);
  ASSERT_EQ(RenderGraphAtPoint(0, 0, g, 0), 0);
  for (int x = 0; x < 9; ++x) EXPECT_EQ(ScreenPixel(x, 3), x < 4 ? 0xFFABCDEFu : 0xFF000000u) << x;
  EXPECT_EQ(ScreenPixel(0, 8), 0xFF000000u);
  // Off again: drawing reaches the screen directly.
  EXPECT_EQ(SetMaskScreenUse(0), 0);
  EXPECT_EQ(CurrentDrawTargetImage(), &screen_);
  ASSERT_EQ(RenderGraphAtPoint(0, 0, g, 0), 0);
  EXPECT_EQ(ScreenPixel(5, 3), 0xFFABCDEFu);
  EXPECT_EQ(EndMaskSystem(), 0);
  EXPECT_EQ(SetMaskScreenUse(1), -1);
}

TEST_F(MaskScreen, FreedDrawsStraightToTheTargetUntilRestored) {
  SoftSurfaceFillRaw(&screen_, nullptr, 0xFF000000);
  ASSERT_EQ(SetupMaskScreen(1), 0);
  ASSERT_EQ(SetMaskScreenUse(1), 0);
  EXPECT_EQ(FreeMaskScreen(), 0);
  EXPECT_EQ(IsMaskedDrawActive(), 0);
  EXPECT_EQ(CurrentDrawTargetImage(), &screen_);
  const int g = MakeGraph(2, 2, 0xFF0000FF);
  ASSERT_EQ(RenderGraphAtPoint(1, 1, g, 0), 0);
  EXPECT_EQ(ScreenPixel(1, 1), 0xFF0000FFu);
  EXPECT_EQ(GetMaskScreenUse(), 1) << "the wish outlives the mask screen";

  EXPECT_EQ(RestoreMaskScreen(), 0);
  EXPECT_EQ(IsMaskedDrawActive(), 1);
  ASSERT_NE(MaskScreenImage(), nullptr);
  EXPECT_EQ(CurrentDrawTargetImage(), MaskScreenImage());
  int pitch = 0;
  uint8_t* mask = detail::MaskBytes(&pitch);
  ASSERT_NE(mask, nullptr);
  mask[10 * pitch + 11] = 1;
  const int h = MakeGraph(2, 2, 0xFF00FF00);
  ASSERT_EQ(RenderGraphAtPoint(10, 10, h, 0), 0);
  EXPECT_EQ(ScreenPixel(10, 10), 0xFF00FF00u);
  EXPECT_EQ(ScreenPixel(11, 10), 0xFF000000u) << "held back by the remade mask";
}

}  // namespace
}  // namespace veziv
