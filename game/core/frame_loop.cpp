// The frame loop's steps.
#include "game/core/frame_loop.h"

#include <algorithm>

#include "game/core/input.h"
#include "game/core/key_files.h"
#include "game/core/music_voices.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/widgets.h"
#include "platform/os/clock.h"

namespace game {

namespace {

constexpr uint32_t kClockMask = 0x7FFFFFFFu;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

uint32_t clockNow() { return static_cast<uint32_t>(veziv::GetMillisecondCount(0)); }

}  // namespace

PaceStep FramePacer::step(uint32_t now, bool inBattle) {
  PaceStep s;
  uint32_t delta = (now - static_cast<uint32_t>(lastFrameTime)) & kClockMask;
  if (delta < 16) {
    s.sleepMs = 16 - delta;
    now = (now + s.sleepMs) & kClockMask;
    delta = 16;
  } else if (delta > 100) {
    delta = 100;
  }
  s.deltaMs = static_cast<int32_t>(delta);
  lastFrameTime = static_cast<int32_t>(now);
  s.stamp = lastFrameTime;
  if (inBattle && delta > 20) {
    if (!slowStampSet) {
      slowStampSet = true;
      lastSlowDrawn = static_cast<int32_t>(now);
      s.draw = false;
    } else if (((now - static_cast<uint32_t>(lastSlowDrawn)) & kClockMask) > 100) {
      lastSlowDrawn = static_cast<int32_t>(now);
      s.draw = true;
    } else {
      s.draw = false;
    }
  }
  return s;
}

int fadeAlpha(int32_t level) { return std::min(255, 2 * level); }

void initReturnModeMap() {
  constexpr int32_t kStart[][2] = {{0, -1}, {1, 7},  {3, 0},  {5, 15}, {6, 3},  {7, 1},
                                   {12, 0}, {13, 3}, {15, 0}, {16, 0}, {18, 0}, {8, 0}};
  for (const auto& kv : kStart) Session().frame.returnModeMap.emplace(kv[0], kv[1]);
}

void setReturnMode(int32_t mode, int32_t value) { Session().frame.returnModeMap[mode] = value; }
int32_t getReturnMode(int32_t mode) { return Session().frame.returnModeMap[mode]; }

void sleepMs(uint32_t ms) { platform::os::Sleep(ms); }

void paceFrame() {
  GameSession& s = Session();
  FrameState& f = s.frame;
  const PaceStep step = f.pacer.step(clockNow(), f.gameMode == kModeBattle);
  if (step.sleepMs > 0) sleepMs(step.sleepMs);
  f.frameDeltaMs = step.deltaMs;
  f.lastFrameTime = step.stamp;
  f.drawThisFrame = step.draw;
  if (step.draw) veziv::ClearDrawTarget();
  updateInput(s.playerInputs[0], 1);
  if (s.play.playerCount == 2 || f.gameMode == kModeKeyConfig || f.gameMode == kModePadConfig) {
    updateInput(s.playerInputs[1], 2);
  }
}

Screen* screenOf(int32_t mode) { return mode >= 0 && mode < kModeCount ? Session().screens[mode] : nullptr; }

bool dispatchMode() {
  Screen* screen = screenOf(Session().frame.gameMode);
  return screen != nullptr && screen->frame();
}

void changeMode(int32_t mode, bool noFade) {
  GameSession& s = Session();
  FrameState& f = s.frame;
  if (!noFade && !(f.gameMode == kModeBattle && mode == kModeBattleResult)) {
    veziv::CaptureScreenToGraph(0, 0, kScreenWidth, kScreenHeight, f.fadeCapture);
    f.fadeLevel = 255;
  }
  if (Screen* left = screenOf(f.gameMode)) left->leave();
  f.gameMode = mode;
  const inputRecord& p1 = s.playerInputs[0];
  if (f.hoverNeedsMove && (p1.hold[kActionMouseLeft] != 0 || p1.hold[kActionMouseRight] != 0)) {
    f.hoverNeedsMove = false;
  }
  updateInput(s.playerInputs[0], 1);
  f.drawThisFrame = false;
  if (Screen* entered = screenOf(mode)) entered->enter();
  dispatchMode();
  f.drawThisFrame = true;
  f.hoverNeedsMove = true;
}

void popNotice() {
  if (!Session().frame.noticeQueue.empty()) Session().frame.noticeQueue.pop_front();
}

int32_t FpsRing::record(uint32_t now, int32_t counter) {
  const uint32_t slot = static_cast<uint32_t>(counter) % 60u;
  lengths[slot] = static_cast<int32_t>((now - lastStamp) & kClockMask);
  lastStamp = now;
  if (slot == 59) {
    int64_t sum = 0;
    for (int32_t l : lengths) sum += l;
    average = static_cast<int32_t>(sum / 60);
  }
  return average;
}

void drawFps() {
  const int32_t average = Session().frame.fpsRing.record(clockNow(), Session().frame.frameCounter);
  if (average != 0) {
    veziv::DrawFormattedTextWithFont(740, 10, Session().colourBlack, Session().registry.gameFont, "%.1fFPS",
                                     1000.0 / average);
  }
}

void drawOverlay() {
  if (Session().frame.fadeLevel > 0) {
    veziv::ChooseBlendMode(1, fadeAlpha(Session().frame.fadeLevel));
    veziv::RenderGraphAtPoint(0, 0, Session().frame.fadeCapture, 0);
    veziv::ChooseBlendMode(0, 0);
    Session().frame.fadeLevel -= 51;
  }
  drawFps();
  if (Session().frame.gameMode != kModeBattle) {
    if (Session().settings.bgmVolume == 0) veziv::RenderGraphAtPoint(0, 0, graphOf(kImageBgmMuted), 1);
    if (Session().settings.seVolume == 0) veziv::RenderGraphAtPoint(0, 25, graphOf(kImageSeMuted), 1);
    if (!Session().frame.noticeQueue.empty()) {
      const std::vector<std::string> notice = Session().frame.noticeQueue.front();
      showMessageBox(notice);
      popNotice();
    }
  }
  ++Session().frame.frameCounter;
  if (Session().frame.drawThisFrame) veziv::PresentBackBuffer();
}

void isMouseMoved() {
  const int32_t oldX = Session().frame.mouseX;
  const int32_t oldY = Session().frame.mouseY;
  veziv::ReadMousePosition(&Session().frame.mouseX, &Session().frame.mouseY);
  Session().frame.mouseMoved = Session().frame.mouseX != oldX || Session().frame.mouseY != oldY;
}

}  // namespace game
