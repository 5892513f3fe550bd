// The overwrite question's steps and the caption of a save.
#include "game/core/save_question.h"

#include <gtest/gtest.h>

#include <vector>

namespace game {
namespace {

TEST(SaveQuestion, TheCaptionOfASave) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 0;
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 3;
  EXPECT_EQ(saveCaption(t), "2026年01月05日 07時03分");
}

TEST(SaveQuestion, StepsFromYesToASaveOrNone) {
  struct Case {
    const char* what;
    std::vector<saveQuestionInput> passes;
    bool decided, cancelled, yes;
  };
  saveQuestionInput flip, shot, click0, click1, hover1, pause, shotPause;
  flip.leftOrRight = true;
  shot.shot = true;
  click0.click = true;
  click0.overButton = 0;
  click1.click = true;
  click1.overButton = 1;
  hover1.hover = true;
  hover1.overButton = 1;
  pause.pauseHeld = true;
  shotPause.shot = true;
  shotPause.pauseHeld = true;
  saveQuestionInput clickOutside;
  clickOutside.click = true;
  const Case cases[] = {
      {"shot at once saves", {shot}, true, false, true},
      {"flip then shot: no", {flip, shot}, true, true, false},
      {"flip twice then shot", {flip, flip, shot}, true, false, true},
      {"pause held while deciding yes", {shotPause}, true, true, true},
      {"pause alone leaves", {pause}, false, true, true},
      {"a click on yes", {click0}, true, false, true},
      {"a click on no", {click1}, true, true, false},
      {"hovering no then shot", {hover1, shot}, true, true, false},
      {"a click beside the buttons", {clickOutside}, false, false, true},
  };
  for (const Case& c : cases) {
    saveQuestion q;
    for (const saveQuestionInput& in : c.passes) {
      if (q.decided || q.cancelled) break;
      stepSaveQuestion(q, in);
    }
    EXPECT_EQ(q.decided, c.decided) << c.what;
    EXPECT_EQ(q.cancelled, c.cancelled) << c.what;
    EXPECT_EQ(q.yes, c.yes) << c.what;
  }
  saveQuestion q;
  EXPECT_EQ(stepSaveQuestion(q, flip), std::vector<int>{0});
  EXPECT_EQ(stepSaveQuestion(q, hover1), std::vector<int>{});  // already on no: silent
  EXPECT_EQ(stepSaveQuestion(q, shot), std::vector<int>{1});
}

}  // namespace
}  // namespace game
