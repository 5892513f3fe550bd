// The menus' cursor, the boxes' geometry and their answers frame by frame,
// the typed text, the balloon and the title sky.
#include "game/core/widgets.h"

#include <gtest/gtest.h>

#include <vector>

namespace game {
namespace {

TEST(MenuCursor, HeldKeysRepeatAndWrap) {
  // A 40-frame hold of down over 50 rows from row 1.
  int32_t cursor = 1;
  std::vector<int> movedOn;
  for (int frame = 1; frame <= 40; ++frame) {
    bool moved = false;
    cursor = cursorAfterHolds(cursor, 0, frame, 50, moved);
    if (moved) movedOn.push_back(frame);
  }
  EXPECT_EQ(movedOn, (std::vector<int>{1, 25, 30, 35, 40}));
  EXPECT_EQ(cursor, 6);
  struct Case {
    int32_t cursor, up, down, count, want;
    bool moved;
  };
  const Case cases[] = {
      {1, 1, 0, 5, 5, true},  {5, 0, 1, 5, 1, true},   {3, 1, 1, 5, 2, true},  // up wins
      {3, 2, 0, 5, 3, false}, {3, 20, 0, 5, 3, false}, {3, 0, 25, 5, 4, true},
      {9, 0, 1, 5, 1, true},  {0, 1, 0, 5, 5, true},
  };
  for (const Case& c : cases) {
    bool moved = false;
    EXPECT_EQ(cursorAfterHolds(c.cursor, c.up, c.down, c.count, moved), c.want) << c.cursor << " " << c.up;
    EXPECT_EQ(moved, c.moved) << c.cursor << " " << c.up;
  }
}

TEST(TypedText, WholeShiftJisCharactersAndTheEndOfTheText) {
  const std::string mixed =
      "\x82\xa0\x82\xa2\x82\xa4"
      "a";                                    // three double-byte characters and an 'a'
  EXPECT_EQ(typedTextBytes(mixed, 50), 4u);   // 3 bytes would cut the second character
  EXPECT_EQ(typedTextBytes(mixed, 100), 7u);  // never past the text
  EXPECT_EQ(typedTextBytes(mixed, 0), 0u);
  EXPECT_EQ(typedTextBytes("abcdefg", 50), 3u);  // single bytes are not rounded up
  EXPECT_EQ(typedTextBytes("a\x82\xa0", 50), 1u);
  EXPECT_EQ(typedTextBytes("a\x82\xa0", 80), 3u);
  EXPECT_EQ(typedTextBytes(std::string("ab\0cd", 5), 100), 2u);  // stops at the terminator
  EXPECT_EQ(typedTextBytes("\x82", 100), 1u);                    // a cut lead byte stays in the text
}

TEST(HelpBalloon, WidthAndPercent) {
  EXPECT_EQ(balloonWidth(30, 100), 22);
  EXPECT_EQ(balloonWidth(35, 100), 60);
  EXPECT_EQ(balloonWidth(50, 100), 120);
  EXPECT_EQ(balloonPercent(22, 100), 12);
  EXPECT_EQ(balloonPercent(60, 100), 50);
  EXPECT_EQ(balloonPercent(120, 100), 100);
  EXPECT_EQ(balloonPercent(5, 100), 0);
}

TEST(TitleSky, LayersMoveAndWrapByFrameCounter) {
  titleSkyRecord sky;
  for (int32_t f = 1; f <= 126; ++f) stepTitleSky(sky, f);
  EXPECT_EQ(sky.trail, 14);
  EXPECT_EQ(sky.right, 314);
  EXPECT_EQ(sky.left, -121);
  EXPECT_EQ(sky.band, 6);
  titleSkyRecord edge{800, 850, 800, -760};
  stepTitleSky(edge, 126);  // a multiple of 9, 6 and 21
  EXPECT_EQ(edge.band, -700);
  EXPECT_EQ(edge.trail, -200);
  EXPECT_EQ(edge.right, -726);
  EXPECT_EQ(edge.left, 800);
}

TEST(Boxes, Geometry) {
  const boxSize three = messageBoxSize(200, 3, 40);
  EXPECT_EQ(three.height, 158);
  EXPECT_EQ(three.width, 240);
  // The button's top is 42 pixels above the box's bottom edge.
  EXPECT_EQ((300 + three.height / 2) - (three.height / 2 + 258), 42);
  EXPECT_EQ(messageBoxSize(10, 1, 100).width, 260);
  EXPECT_EQ(yesNoBoxSize(100, 120).width, 280);
}

// Runs a box over a script of inputs until it closes; the frames it took.
int runScript(boxRecord& box, const std::vector<boxInput>& script, std::vector<int>* sounds = nullptr) {
  int passes = 0;
  for (const boxInput& in : script) {
    ++passes;
    stepBox(box, in);
    if (sounds) sounds->insert(sounds->end(), box.sounds.begin(), box.sounds.end());
    if (box.done) break;
  }
  return passes;
}

TEST(Boxes, AnEarlyPressOnlyOpensTheBoxAndTheNextOneAnswers) {
  boxInput shot;
  shot.shot = true;
  const boxInput idle;
  boxRecord ok;
  std::vector<int> sounds;
  EXPECT_EQ(runScript(ok, {shot, idle, shot, idle}, &sounds), 3);
  EXPECT_TRUE(ok.done);
  EXPECT_EQ(sounds, (std::vector<int>{18, 1}));  // the opening's sound when skipped, then the answer

  boxRecord yesNo;
  yesNo.yesNo = true;
  boxInput pause;
  pause.pause = true;
  boxInput turn;
  turn.leftOrRight = true;
  runScript(yesNo, {turn, pause, turn, pause});
  EXPECT_TRUE(yesNo.done);
  EXPECT_FALSE(yesNo.yes);  // pause answers No

  boxRecord turned;
  turned.yesNo = true;
  std::vector<boxInput> wait(20, idle);
  wait[3] = turn;
  wait.push_back(shot);
  runScript(turned, wait);
  EXPECT_TRUE(turned.done);
  EXPECT_FALSE(turned.yes);
}

TEST(Boxes, TheMouseChoosesOnlyWhenItMayHoverAndClicksAnswer) {
  boxRecord box;
  box.yesNo = true;
  box.frame = 20;
  boxInput rest;
  rest.overButton = 1;  // over No, but the mouse has not moved
  stepBox(box, rest);
  EXPECT_TRUE(box.yes);
  rest.hover = true;
  stepBox(box, rest);
  EXPECT_FALSE(box.yes);
  EXPECT_EQ(box.sounds, (std::vector<int>{0}));
  boxInput click;
  click.click = true;
  click.overButton = 0;
  stepBox(box, click);
  EXPECT_TRUE(box.done);
  EXPECT_TRUE(box.yes);

  // While the boxes open, the OK box takes any click to finish the opening,
  // the yes/no box only a click on a button.
  struct OpeningCase {
    bool yesNo;
    int overButton;
    int frameAfter;
  };
  const OpeningCase opening[] = {{false, -1, 17}, {false, 0, 17}, {true, -1, 2}, {true, 1, 17}};
  for (const OpeningCase& c : opening) {
    boxRecord b;
    b.yesNo = c.yesNo;
    boxInput in;
    in.click = true;
    in.overButton = c.overButton;
    stepBox(b, in);
    EXPECT_EQ(b.frame, c.frameAfter) << c.yesNo << " " << c.overButton;
    EXPECT_FALSE(b.done);
  }

  boxRecord ok;
  ok.frame = 20;
  boxInput away;
  away.click = true;  // a click beside the button does nothing once open
  stepBox(ok, away);
  EXPECT_FALSE(ok.done);
  away.overButton = 0;
  stepBox(ok, away);
  EXPECT_TRUE(ok.done);
}

TEST(Boxes, WithoutAWindowTheyEndAtOnceWithTheirCurrentChoice) {
  // Nothing can be shown before the library starts: no hang, Yes stands.
  EXPECT_TRUE(showYesNoBox("終了します。", "よろしいですか？"));
  showMessageBox({"line", "OK"});
  showMessageBox({});
}

}  // namespace
}  // namespace game
