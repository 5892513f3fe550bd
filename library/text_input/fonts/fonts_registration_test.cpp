// The fonts inside the library's own start and end (headless, on the fake
// font): the font system starts and ends with graphics, the default font's
// size and thickness survive a screen-mode change, and the on-screen log is
// drawn in its own font by the present.
#include "library/text_input/fonts/fonts_registration.h"

#include <gtest/gtest.h>

#include "library/foundation/start/library_start.h"
#include "library/foundation/memory_log/screen_log.h"
#include "library/foundation/window/window_state.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/font_test_support.h"

namespace veziv::test {
namespace {

using FontsInTheLibrary = LibraryOnFakeFontsTest;

TEST_F(FontsInTheLibrary, StartEndModeChangeAndTheOnScreenLog) {
  ASSERT_EQ(SetScreenMode(320, 240, 32, 60), 0);
  ASSERT_EQ(detail::StartLibrary(), 0);
  EXPECT_TRUE(IsValidFontHandle(GetLibraryDefaultFont()));

  // The game's default font; a mode change keeps its size and thickness.
  ASSERT_EQ(SetDefaultFontType(3), 0);
  ASSERT_EQ(SetDefaultFontFace("ＭＳ 明朝", -1), 0);
  ASSERT_EQ(SetDefaultFontSize(20), 0);
  ASSERT_EQ(SetDefaultFontThickness(9), 0);
  ASSERT_EQ(ChangeScreenMode(-1, -1, -1, 1, -1), 0);
  const FontHandleData* r = GetFontRecord(GetLibraryDefaultFont());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->size, 20);
  EXPECT_EQ(r->thickness, 9);
  EXPECT_STREQ(r->face, "");  // the rest of the wish starts afresh with the font system

  // The log's lines are drawn over the frame by the present, in white with a black edge.
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  ASSERT_EQ(ClearDrawTarget(), 0);
  ASSERT_EQ(PrintfToScreen("ab\n%s", "c"), 0);
  ASSERT_EQ(PresentBackBuffer(), 0);
  const SOFTSURFACE* screen = detail::Screen().image;
  auto pixel = [screen](int x, int y) {
    uint32_t v = 0;
    std::memcpy(&v, screen->pixels + y * screen->base->pitch + x * 4, 4);
    return v & 0xFFFFFFu;
  };
  // 'a': a box of 3 x 6 one pixel in and two down, its edge around it.
  EXPECT_EQ(pixel(2, 3), 0xFFFFFFu);
  EXPECT_EQ(pixel(1, 3), 0u);
  EXPECT_EQ(pixel(2, 16 + 3), 0xFFFFFFu);  // 'c' on the second line
  EXPECT_EQ(pixel(20, 3), 0u);

  const int opened = Fake().opened;
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(Fake().closed, Fake().opened);
  EXPECT_GT(opened, 0);
  for (int slot = 0; slot < detail::kFontSlots; ++slot) EXPECT_EQ(detail::FontHandleAtSlot(slot), -1);
}

}  // namespace
}  // namespace veziv::test
