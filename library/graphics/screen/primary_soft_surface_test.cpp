// The software screen images follow the stored screen mode and are released whole.
#include "library/graphics/screen/primary_soft_surface.h"

#include <gtest/gtest.h>

#include <cstring>

#include "library/graphics/screen/fresh_graphics_test_support.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {
namespace {

TEST(PrimarySoftSurface, ScreenAndWorkImagesFollowTheScreenMode) {
  struct Case {
    int bits;
    int type;
  };
  for (const Case c : {Case{16, kSoftType16}, Case{32, kSoftType32}}) {
    detail::StartScreenModeAfresh();
    detail::StartGraphicsContextAfresh();
    ASSERT_EQ(SetScreenMode(40, 30, c.bits, 60), 0);
    ASSERT_EQ(CreatePrimarySoftSurface(), 0);
    SOFTSURFACE* screen = detail::Screen().image;
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->width, 40);
    EXPECT_EQ(screen->height, 30);
    EXPECT_EQ(screen->base->type, c.type);
    EXPECT_EQ(detail::Screen().bits, c.bits);
    // Filled with black: every byte of a row is zero but the unused top byte.
    for (int x = 0; x < 40; ++x) {
      uint32_t pixel = 0;
      std::memcpy(&pixel, screen->pixels + 29 * screen->base->pitch + x * screen->base->bytesPerPixel,
                  screen->base->bytesPerPixel);
      EXPECT_EQ(pixel & (c.bits == 16 ? 0xFFFFu : 0xFFFFFFu), 0u);
    }
    ASSERT_NE(GetStringWorkSoftSurface(0), nullptr);
    ASSERT_NE(GetStringWorkSoftSurface(1), nullptr);
    EXPECT_EQ(GetStringWorkSoftSurface(0)->base->runTable, nullptr);
    EXPECT_NE(GetStringWorkSoftSurface(1)->base->runTable, nullptr);
    // Smoothed text is blended from the second with its alpha.
    EXPECT_EQ(GetStringWorkSoftSurface(0)->base->alphaFlag, 0);
    EXPECT_EQ(GetStringWorkSoftSurface(1)->base->alphaFlag, 1);
    EXPECT_EQ(GetStringWorkSoftSurface(2), nullptr);

    ReleasePrimarySoftSurface();
    EXPECT_EQ(detail::Screen().image, nullptr);
    EXPECT_EQ(GetStringWorkSoftSurface(0), nullptr);
    ReleasePrimarySoftSurface();  // a second release is harmless
  }
  detail::StartScreenModeAfresh();
  detail::StartGraphicsContextAfresh();
}

}  // namespace
}  // namespace veziv
