// The title's timers as the rows and the flash show them, and the rows the
// mouse points at, without a window.
#include "game/shell/title_menu.h"

#include <gtest/gtest.h>

namespace game {
namespace {

struct ChoiceCase {
  int32_t ms;
  int selectedAlpha, otherAlpha, textAlpha, textGrowth;
};

TEST(TitleMenu, TheChosenRowWidensAndEveryRowFadesOverTheAnimation) {
  const ChoiceCase cases[] = {
      {-1, -1, 100, 255, 0},   // idle: the selected row unblended
      {0, 255, 100, 255, 0},   // the choice starts fully shown
      {75, 128, 50, 205, 120},  // s = 0.5
      {150, 75, 30, 155, 180},  // s = 0.707...
      {300, 0, 0, 55, 255},     // the animation's end: rows gone, text 15 x 17 wider a side
  };
  for (const ChoiceCase& c : cases) {
    EXPECT_EQ(titleRowAlpha(true, c.ms), c.selectedAlpha) << c.ms;
    EXPECT_EQ(titleRowAlpha(false, c.ms), c.otherAlpha) << c.ms;
    if (c.ms < 0) continue;
    EXPECT_EQ(titleTextAlpha(c.ms), c.textAlpha) << c.ms;
    EXPECT_EQ(titleTextGrowth(c.ms), c.textGrowth) << c.ms;
  }
}

TEST(TitleMenu, TheSelectedBarReachesSeventeenPixelsASideAfter300Ms) {
  EXPECT_EQ(titleBarGrowth(0), 0);
  EXPECT_EQ(titleBarGrowth(16), 4);
  EXPECT_EQ(titleBarGrowth(288), 16);
  EXPECT_EQ(titleBarGrowth(300), 17);
}

TEST(TitleMenu, TheFlashTurnsWhiteAtHalfTimeAndClearsAtTheEnd) {
  EXPECT_EQ(titleFlashAlpha(1000), 0);
  EXPECT_EQ(titleFlashAlpha(750), 128);  // 255 - trunc(0.5 x 255)
  EXPECT_EQ(titleFlashAlpha(501), 255);
  EXPECT_EQ(titleFlashAlpha(500), 255);
  EXPECT_EQ(titleFlashAlpha(250), 127);
  EXPECT_EQ(titleFlashAlpha(1), 0);
}

TEST(TitleMenu, RowsUnderTheMouseWithTheFirstWinningAtASharedBorder) {
  EXPECT_EQ(titleRowAt(300, 300), 1);
  EXPECT_EQ(titleRowAt(506, 349), 1);
  EXPECT_EQ(titleRowAt(400, 350), 1);  // the border of rows 1 and 2
  EXPECT_EQ(titleRowAt(400, 351), 2);
  EXPECT_EQ(titleRowAt(400, 550), 5);
  EXPECT_EQ(titleRowAt(400, 551), 0);
  EXPECT_EQ(titleRowAt(299, 320), 0);
  EXPECT_EQ(titleRowAt(507, 320), 0);
  EXPECT_EQ(playerCountRowAt(300, 300), 1);
  EXPECT_EQ(playerCountRowAt(768, 448), 2);
  EXPECT_EQ(playerCountRowAt(400, 370), 0);
  EXPECT_EQ(playerCountRowAt(758, 574), 3);
  EXPECT_EQ(playerCountRowAt(759, 574), 0);
}

}  // namespace
}  // namespace game
