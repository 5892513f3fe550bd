// The frame loop's pacing, fade, mode changes, notices, frame rate and Back
// targets, without a window: the library calls they make find it not started.
#include "game/core/frame_loop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/core/input.h"
#include "game/core/session.h"

namespace game {
namespace {

// A screen whose frame is the test's own, counting its entries and leavings.
class ScriptedScreen final : public Screen {
 public:
  std::function<bool()> onFrame = [] { return false; };
  std::vector<std::string>* trace = nullptr;
  const char* name = "";
  void enter() override { note("enter"); }
  bool frame() override {
    note("frame");
    return onFrame();
  }
  void leave() override { note("leave"); }

 private:
  void note(const char* what) {
    if (trace != nullptr) trace->push_back(std::string(what) + " " + name);
  }
};

class FrameLoop : public ::testing::Test {
 protected:
  void SetUp() override { Session().playerInputs[0] = resetInputRecord(); }
  ScriptedScreen settings_, result_, title_;
};

struct PaceCase {
  uint32_t now;
  bool battle;
  uint32_t sleep;
  int32_t delta;
  bool draw;
};

TEST_F(FrameLoop, PacingPadsClampsAndSkipsSlowBattleFrames) {
  FramePacer pacer;
  pacer.lastFrameTime = 1000;
  const PaceCase cases[] = {
      {1003, false, 13, 16, true},  // 3 ms: sleeps 13, reports 16; the stamp is 1016
      {1032, false, 0, 16, true},   // 16 ms: no sleep
      {1282, false, 0, 100, true},  // 250 ms: reported as 100
      {1301, true, 0, 19, true},    // a 19 ms battle frame is always drawn
      {1326, true, 0, 25, false},   // the first slow frame only sets the stamp
      {1351, true, 0, 25, false},  {1376, true, 0, 25, false},
      {1401, true, 0, 25, false},  {1426, true, 0, 25, false},  // 100 ms since the stamp: not more than 100
      {1451, true, 0, 25, true},                                // 125 ms: drawn, the stamp moves
      {1476, true, 0, 25, false},  {1576, true, 0, 100, true},  // 125 ms since 1451
      {1580, false, 12, 16, true},                              // outside battle every frame is drawn
  };
  for (const PaceCase& c : cases) {
    const PaceStep s = pacer.step(c.now, c.battle);
    EXPECT_EQ(s.sleepMs, c.sleep) << c.now;
    EXPECT_EQ(s.deltaMs, c.delta) << c.now;
    EXPECT_EQ(s.draw, c.draw) << c.now;
  }
}

TEST_F(FrameLoop, PacingSurvivesTheClockWrap) {
  FramePacer pacer;
  pacer.lastFrameTime = 0x7FFFFFF0;            // 16 ms before the 31-bit clock wraps
  PaceStep s = pacer.step(0x00000003, false);  // 19 ms later, after the wrap
  EXPECT_EQ(s.sleepMs, 0u);
  EXPECT_EQ(s.deltaMs, 19);
  s = pacer.step(0x00000008, false);  // 5 ms: sleeps 11
  EXPECT_EQ(s.sleepMs, 11u);
  EXPECT_EQ(s.stamp, 0x13);
  pacer.lastFrameTime = 0x7FFFFFFA;
  s = pacer.step(0x7FFFFFFF, false);  // the stamp itself wraps
  EXPECT_EQ(s.sleepMs, 11u);
  EXPECT_EQ(s.stamp, 10);
}

TEST_F(FrameLoop, FadeRunsFiveFramesAfterAChangeButNotFromBattleToResult) {
  int calls = 0;
  settings_.onFrame = [&calls] {
    ++calls;
    EXPECT_FALSE(Session().frame.drawThisFrame);  // the entry call draws nothing
    return false;
  };
  Session().screens[kModeSettings] = &settings_;
  Session().screens[kModeBattleResult] = &result_;
  changeMode(kModeSettings, false);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Session().frame.gameMode, kModeSettings);
  EXPECT_TRUE(Session().frame.drawThisFrame);
  std::vector<int> alphas;
  while (Session().frame.fadeLevel > 0) {
    alphas.push_back(fadeAlpha(Session().frame.fadeLevel));
    drawOverlay();
  }
  EXPECT_EQ(alphas, (std::vector<int>{255, 255, 255, 204, 102}));

  Session().frame.gameMode = kModeBattle;
  changeMode(kModeBattleResult, false);
  EXPECT_EQ(Session().frame.fadeLevel, 0);
  changeMode(kModeSettings, true);
  EXPECT_EQ(Session().frame.fadeLevel, 0);
}

TEST_F(FrameLoop, AChangeByClickLetsTheNewScreenTakeTheMouseAtOnce) {
  bool seen = true;
  settings_.onFrame = [&seen] {
    seen = Session().frame.hoverNeedsMove;
    return false;
  };
  Session().screens[kModeSettings] = &settings_;
  Session().playerInputs[0].hold[kActionMouseLeft] = 1;
  changeMode(kModeSettings, false);
  EXPECT_FALSE(seen);
  EXPECT_TRUE(Session().frame.hoverNeedsMove);  // afterwards the resting mouse is ignored again
  Session().playerInputs[0].hold[kActionMouseLeft] = 0;
  changeMode(kModeSettings, false);
  EXPECT_TRUE(seen);
}

TEST_F(FrameLoop, AChangeLeavesTheOldScreenAndEntersTheNewBeforeItsFirstFrame) {
  std::vector<std::string> trace;
  for (ScriptedScreen* screen : {&title_, &settings_}) screen->trace = &trace;
  title_.name = "title";
  settings_.name = "settings";
  Session().screens[kModeTitle] = &title_;
  Session().screens[kModeSettings] = &settings_;
  changeMode(kModeSettings, true);
  changeMode(kModeTitle, true);
  changeMode(kModePadConfig, true);  // a mode without a screen: only the leaving
  EXPECT_EQ(trace, (std::vector<std::string>{"leave title", "enter settings", "frame settings", "leave settings",
                                             "enter title", "frame title", "leave title"}));
}

TEST_F(FrameLoop, DispatchRunsTheTableAndNothingOutsideIt) {
  int title = 0;
  title_.onFrame = [&title] {
    ++title;
    return true;
  };
  Session().screens[kModeTitle] = &title_;
  EXPECT_TRUE(dispatchMode());
  for (int32_t mode : {4, 9, 14, 17, 19, -1, 1000}) {
    Session().frame.gameMode = mode;
    EXPECT_FALSE(dispatchMode()) << mode;
  }
  EXPECT_EQ(title, 1);
}

TEST_F(FrameLoop, NoticesShowOneAFrameAndNoneInBattle) {
  Session().frame.noticeQueue = {{"a", "OK"}, {"b", "OK"}, {"c", "OK"}};
  Session().frame.gameMode = kModeBattle;
  drawOverlay();
  EXPECT_EQ(Session().frame.noticeQueue.size(), 3u);
  Session().frame.gameMode = kModeTitle;
  for (size_t left : {2u, 1u, 0u, 0u}) {
    drawOverlay();
    EXPECT_EQ(Session().frame.noticeQueue.size(), left);
  }
  EXPECT_EQ(Session().frame.frameCounter, 5);
  popNotice();  // an empty queue: nothing
}

TEST_F(FrameLoop, FrameRateAverageFirstOnTheSixtiethPass) {
  FpsRing ring;
  ring.lastStamp = 1000;
  uint32_t now = 1000;
  for (int32_t counter = 0; counter < 59; ++counter) {
    now += 20;
    EXPECT_EQ(ring.record(now, counter), 0) << counter;
  }
  now += 20;
  EXPECT_EQ(ring.record(now, 59), 20);
  now += 50;
  EXPECT_EQ(ring.record(now, 60), 20);  // held until the next average
}

TEST_F(FrameLoop, ReturnModeMapStartValuesAndLookupsThatInsert) {
  Session().frame.returnModeMap[3] = 7;
  initReturnModeMap();
  EXPECT_EQ(getReturnMode(3), 7);  // a present key is kept
  EXPECT_EQ(getReturnMode(0), -1);
  EXPECT_EQ(getReturnMode(5), 15);
  EXPECT_EQ(getReturnMode(13), 3);
  EXPECT_EQ(Session().frame.returnModeMap.count(4), 0u);
  EXPECT_EQ(getReturnMode(4), 0);
  EXPECT_EQ(Session().frame.returnModeMap.count(4), 1u);
  setReturnMode(18, 2);
  EXPECT_EQ(getReturnMode(18), 2);
}

}  // namespace
}  // namespace game
