// The frame loop's pacing, fade, mode changes, notices, frame rate and Back
// targets, without a window: the library calls they make find it not started.
#include "game/shell/frame_loop.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/shell/input.h"

namespace game {
namespace {

class FrameLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    resetFrameState();
    saved_ = std::vector<ModeHandler>(std::begin(modeHandlers), std::end(modeHandlers));
    playerInputs[0] = resetInputRecord();
  }
  void TearDown() override {
    std::copy(saved_.begin(), saved_.end(), modeHandlers);
    resetFrameState();
  }
  std::vector<ModeHandler> saved_;
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
      {1003, false, 13, 16, true},   // 3 ms: sleeps 13, reports 16; the stamp is 1016
      {1032, false, 0, 16, true},    // 16 ms: no sleep
      {1282, false, 0, 100, true},   // 250 ms: reported as 100
      {1301, true, 0, 19, true},     // a 19 ms battle frame is always drawn
      {1326, true, 0, 25, false},    // the first slow frame only sets the stamp
      {1351, true, 0, 25, false},
      {1376, true, 0, 25, false},
      {1401, true, 0, 25, false},
      {1426, true, 0, 25, false},    // 100 ms since the stamp: not more than 100
      {1451, true, 0, 25, true},     // 125 ms: drawn, the stamp moves
      {1476, true, 0, 25, false},
      {1576, true, 0, 100, true},    // 125 ms since 1451
      {1580, false, 12, 16, true},   // outside battle every frame is drawn
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
  pacer.lastFrameTime = 0x7FFFFFF0;  // 16 ms before the 31-bit clock wraps
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
  static int calls;
  calls = 0;
  modeHandlers[kModeSettings] = [] {
    ++calls;
    EXPECT_FALSE(drawThisFrame);  // the entry call draws nothing
    return false;
  };
  modeHandlers[kModeBattleResult] = [] { return false; };
  changeMode(kModeSettings, false);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(gameMode, kModeSettings);
  EXPECT_TRUE(drawThisFrame);
  std::vector<int> alphas;
  while (fadeLevel > 0) {
    alphas.push_back(fadeAlpha(fadeLevel));
    drawOverlay();
  }
  EXPECT_EQ(alphas, (std::vector<int>{255, 255, 255, 204, 102}));

  gameMode = kModeBattle;
  changeMode(kModeBattleResult, false);
  EXPECT_EQ(fadeLevel, 0);
  changeMode(kModeSettings, true);
  EXPECT_EQ(fadeLevel, 0);
}

TEST_F(FrameLoop, AChangeByClickLetsTheNewScreenTakeTheMouseAtOnce) {
  static bool seen;
  modeHandlers[kModeSettings] = [] {
    seen = hoverNeedsMove;
    return false;
  };
  seen = true;
  playerInputs[0].hold[kActionMouseLeft] = 1;
  changeMode(kModeSettings, false);
  EXPECT_FALSE(seen);
  EXPECT_TRUE(hoverNeedsMove);  // afterwards the resting mouse is ignored again
  playerInputs[0].hold[kActionMouseLeft] = 0;
  changeMode(kModeSettings, false);
  EXPECT_TRUE(seen);
}

TEST_F(FrameLoop, DispatchRunsTheTableAndNothingOutsideIt) {
  static int title;
  title = 0;
  modeHandlers[kModeTitle] = [] {
    ++title;
    return true;
  };
  EXPECT_TRUE(dispatchMode());
  for (int32_t mode : {4, 9, 14, 17, 19, -1, 1000}) {
    gameMode = mode;
    EXPECT_FALSE(dispatchMode()) << mode;
  }
  EXPECT_EQ(title, 1);
}

TEST_F(FrameLoop, NoticesShowOneAFrameAndNoneInBattle) {
  noticeQueue = {{"a", "OK"}, {"b", "OK"}, {"c", "OK"}};
  gameMode = kModeBattle;
  drawOverlay();
  EXPECT_EQ(noticeQueue.size(), 3u);
  gameMode = kModeTitle;
  for (size_t left : {2u, 1u, 0u, 0u}) {
    drawOverlay();
    EXPECT_EQ(noticeQueue.size(), left);
  }
  EXPECT_EQ(frameCounter, 5);
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
  returnModeMap[3] = 7;
  initReturnModeMap();
  EXPECT_EQ(getReturnMode(3), 7);  // a present key is kept
  EXPECT_EQ(getReturnMode(0), -1);
  EXPECT_EQ(getReturnMode(5), 15);
  EXPECT_EQ(getReturnMode(13), 3);
  EXPECT_EQ(returnModeMap.count(4), 0u);
  EXPECT_EQ(getReturnMode(4), 0);
  EXPECT_EQ(returnModeMap.count(4), 1u);
  setReturnMode(18, 2);
  EXPECT_EQ(getReturnMode(18), 2);
}

}  // namespace
}  // namespace game
