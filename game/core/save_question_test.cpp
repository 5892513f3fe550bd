// The overwrite question's steps and the caption of a save.
#include "game/core/save_question.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/clock.h"

namespace game {
namespace {

TEST(SaveQuestion, TheCaptionOfASave) {
  EXPECT_EQ(saveCaption(veziv::DateRecord{2026, 1, 5, 7, 3, 59}), "2026年01月05日 07時03分");
  EXPECT_EQ(saveCaption(veziv::DateRecord{1999, 12, 31, 23, 59, 0}), "1999年12月31日 23時59分");
}

// A save's caption is dated by the library's clock, so that two runs of one
// script on the manual clock save, and then show, the same caption.
TEST(SaveQuestion, TheCaptionOfASaveNowFollowsTheManualClock) {
  platform::os::UseManualClock(0);
  const std::string first = saveCaptionNow();
  platform::os::AdvanceManualClock(61'000'000);
  const std::string later = saveCaptionNow();
  platform::os::UseRealClock();
  EXPECT_EQ(first, "2026年01月01日 12時00分");
  EXPECT_EQ(later, "2026年01月01日 12時01分");
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
