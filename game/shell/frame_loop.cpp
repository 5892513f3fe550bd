// The frame loop's steps.
#include "game/shell/frame_loop.h"

#include <algorithm>

#include "game/shell/call_sites.h"
#include "game/shell/input.h"
#include "game/shell/key_files.h"
#include "game/shell/music_voices.h"
#include "game/shell/resources.h"
#include "game/shell/widgets.h"
#include "game/shell/settings.h"
#include "game/shell/startup.h"
#include "platform/os/clock.h"

namespace game {

int32_t gameMode = kModeTitle;
std::map<int32_t, int32_t> returnModeMap;
int32_t frameCounter = 0;
int32_t frameDeltaMs = 16;
int32_t lastFrameTime = 0;
bool drawThisFrame = true;
int32_t fadeLevel = 0;
veziv::GraphHandle fadeCapture = -1;
veziv::GraphHandle backdropCapture = -1;
std::deque<std::vector<std::string>> noticeQueue;
int32_t mouseX = 0;
int32_t mouseY = 0;
bool mouseMoved = false;
bool hoverNeedsMove = true;
int32_t playerCount = 1;
FramePacer framePacer;
FpsRing fpsRing;

ModeHandler modeHandlers[kModeCount] = {
    titleMenuStep,    // 0
    battleStep,       // 1
    battleResultStep, // 2
    settingsStep,     // 3
    nullptr,          // 4
    [] {              // 5: the shop, then the mouse
      const bool end = shopStep();
      isMouseMoved();
      return end;
    },
    padConfigStep,     // 6
    pauseMenuStep,     // 7
    equipmentStep,     // 8
    nullptr,           // 9
    nullptr,           // 10
    nullptr,           // 11
    playerSelectStep,  // 12
    keyConfigStep,     // 13
    nullptr,           // 14
    storyStep,         // 15
    battleSetupStep,   // 16
    nullptr,           // 17
    [] {               // 18: the save and load screen, then the mouse
      const bool end = saveLoadStep();
      isMouseMoved();
      return end;
    },
};

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
  constexpr int32_t kStart[][2] = {{0, -1}, {1, 7},  {3, 0},  {5, 15},  {6, 3},  {7, 1},
                                   {12, 0}, {13, 3}, {15, 0}, {16, 0}, {18, 0}, {8, 0}};
  for (const auto& kv : kStart) returnModeMap.emplace(kv[0], kv[1]);
}

void setReturnMode(int32_t mode, int32_t value) { returnModeMap[mode] = value; }
int32_t getReturnMode(int32_t mode) { return returnModeMap[mode]; }

void sleepMs(uint32_t ms) { platform::os::Sleep(ms); }

void paceFrame() {
  const PaceStep s = framePacer.step(clockNow(), gameMode == kModeBattle);
  if (s.sleepMs > 0) sleepMs(s.sleepMs);
  frameDeltaMs = s.deltaMs;
  lastFrameTime = s.stamp;
  drawThisFrame = s.draw;
  if (s.draw) veziv::ClearDrawTarget();
  updateInput(playerInputs[0], 1);
  if (playerCount == 2 || gameMode == kModeKeyConfig || gameMode == kModePadConfig) updateInput(playerInputs[1], 2);
}

bool dispatchMode() {
  if (gameMode < 0 || gameMode >= kModeCount) return false;
  const ModeHandler handler = modeHandlers[gameMode];
  return handler != nullptr && handler();
}

void changeMode(int32_t mode, bool noFade) {
  if (!noFade && !(gameMode == kModeBattle && mode == kModeBattleResult)) {
    veziv::CaptureScreenToGraph(0, 0, kScreenWidth, kScreenHeight, fadeCapture);
    fadeLevel = 255;
  }
  gameMode = mode;
  if (hoverNeedsMove &&
      (playerInputs[0].hold[kActionMouseLeft] != 0 || playerInputs[0].hold[kActionMouseRight] != 0)) {
    hoverNeedsMove = false;
  }
  updateInput(playerInputs[0], 1);
  drawThisFrame = false;
  dispatchMode();
  drawThisFrame = true;
  hoverNeedsMove = true;
}

void popNotice() {
  if (!noticeQueue.empty()) noticeQueue.pop_front();
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
  const int32_t average = fpsRing.record(clockNow(), frameCounter);
  if (average != 0) {
    veziv::DrawFormattedTextWithFont(740, 10, colourBlack, gameFont, "%.1fFPS", 1000.0 / average);
  }
}

void drawOverlay() {
  if (fadeLevel > 0) {
    veziv::ChooseBlendMode(1, fadeAlpha(fadeLevel));
    veziv::RenderGraphAtPoint(0, 0, fadeCapture, 0);
    veziv::ChooseBlendMode(0, 0);
    fadeLevel -= 51;
  }
  drawFps();
  if (gameMode != kModeBattle) {
    if (settingsRecord.bgmVolume == 0) veziv::RenderGraphAtPoint(0, 0, graphOf(kImageBgmMuted), 1);
    if (settingsRecord.seVolume == 0) veziv::RenderGraphAtPoint(0, 25, graphOf(kImageSeMuted), 1);
    if (!noticeQueue.empty()) {
      const std::vector<std::string> notice = noticeQueue.front();
      showMessageBox(notice);
      popNotice();
    }
  }
  ++frameCounter;
  if (drawThisFrame) veziv::PresentBackBuffer();
}

void isMouseMoved() {
  const int32_t oldX = mouseX;
  const int32_t oldY = mouseY;
  veziv::ReadMousePosition(&mouseX, &mouseY);
  mouseMoved = mouseX != oldX || mouseY != oldY;
}

void showBattleEndScreen(bool fromResultMenu) {
  if (!fromResultMenu) {
    ensureSoundLoaded(kSoundGameOver);
    veziv::PlaySoundHandle(soundOf(kSoundGameOver), veziv::SoundPlayBack, 1);
  }
  veziv::StopSoundHandle(soundOf(kSoundJet));
  veziv::StopCurrentMusic();
  clearRememberedMusic();
  veziv::StopCurrentMusic();
  const uint32_t t0 = clockNow();
  veziv::CaptureScreenToGraph(0, 0, kScreenWidth, kScreenHeight, backdropCapture);
  const veziv::GraphHandle picture = graphOf(fromResultMenu ? kImageMissionAccomplished : kImageMissionFailed);
  bool windowGone = false;
  for (int i = 0; i < 25500; i += 255) {
    veziv::ChooseBlendMode(0, 0);
    veziv::RenderGraphAtPoint(0, 0, backdropCapture, 0);
    veziv::ChooseBlendMode(1, i / 100);
    veziv::DrawBoxShape(0, 0, kScreenWidth, kScreenHeight, colourBlack, 1);
    veziv::RenderGraphAtPoint(250, 250, picture, 1);
    sleepMs(16);
    veziv::PresentBackBuffer();
    veziv::ClearDrawTarget();
    if (veziv::PumpMessages() != 0) {
      windowGone = true;
      break;
    }
  }
  veziv::ChooseBlendMode(0, 0);
  while (!windowGone) {
    veziv::ClearDrawTarget();
    veziv::RenderGraphAtPoint(250, 250, picture, 1);
    bool pressed = false;
    if (((clockNow() - t0) & kClockMask) > 2000) {
      veziv::DrawFormattedTextDefaultFont(260, 400, colourWhite, "%sキーを押してください。",
                                          getActionKeyName(kActionShot).c_str());
      pressed = playerInputs[0].hold[kActionShot] == 1;
    }
    if (pressed) {
      veziv::ClearDrawTarget();
      veziv::RenderGraphAtPoint(250, 250, picture, 1);
      veziv::DrawTextDefaultFont(260, 400, "しばらくお待ちください。。。", colourWhite, 0);
      veziv::PresentBackBuffer();
      break;
    }
    updateInput(playerInputs[0], 1);
    veziv::PresentBackBuffer();
    if (veziv::PumpMessages() != 0) windowGone = true;
  }
  releaseBattleSets();
  loadModeResources(kModeTitle, true);
  changeMode(kModeTitle, false);
  veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  veziv::SetSoundHandleFrequency(-1, soundOf(kSoundJet));
}

void resetFrameState() {
  gameMode = kModeTitle;
  returnModeMap.clear();
  frameCounter = 0;
  frameDeltaMs = 16;
  lastFrameTime = 0;
  drawThisFrame = true;
  fadeLevel = 0;
  fadeCapture = backdropCapture = -1;
  noticeQueue.clear();
  mouseX = mouseY = 0;
  mouseMoved = false;
  hoverNeedsMove = true;
  playerCount = 1;
  framePacer = FramePacer{};
  fpsRing = FpsRing{};
}

}  // namespace game
