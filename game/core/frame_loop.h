// The frame loop's state and steps: the game mode and its handlers, the
// Back targets, the one operation that changes the mode (with its
// cross-fade), the frame pacing with battle frame skipping, and the
// end-of-frame overlay.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "library/veziv.h"

namespace game {

// Game modes with a screen; the other values run nothing.
enum GameModeValue : int32_t {
  kModeTitle = 0,
  kModeBattle = 1,
  kModeBattleResult = 2,
  kModeSettings = 3,
  kModeShop = 5,
  kModePadConfig = 6,
  kModeGameMenu = 7,
  kModeEquipment = 8,
  kModePlayerSelect = 12,
  kModeKeyConfig = 13,
  kModeStory = 15,
  kModeBattleSetup = 16,
  kModeSaveLoad = 18,
};
inline constexpr int32_t kModeCount = 19;

// What pacing decided for one frame.
struct PaceStep {
  uint32_t sleepMs = 0;  // to sleep before the frame
  int32_t deltaMs = 0;   // frameDeltaMs
  int32_t stamp = 0;     // the new lastFrameTime
  bool draw = true;      // drawThisFrame (and the target is cleared)
};
// The pacing's memory between frames.
struct FramePacer {
  int32_t lastFrameTime = 0;
  bool slowStampSet = false;
  int32_t lastSlowDrawn = 0;
  // now: the 31-bit millisecond clock. The elapsed time is taken modulo
  // 2^31, so the clock's wrap reads as a short frame, not a negative one.
  PaceStep step(uint32_t now, bool inBattle);
};

// The cross-fade's alpha for a fade level (2 x level, at most 255).
int fadeAlpha(int32_t level);

void initReturnModeMap();
void setReturnMode(int32_t mode, int32_t value);
int32_t getReturnMode(int32_t mode);

// Waits out the frame, decides whether it is drawn, and latches input.
void paceFrame();
class Screen;
// The screen of a mode in the session's mode table; null for a mode without one.
Screen* screenOf(int32_t mode);
// Runs a frame of the current mode's screen; true asks the loop to end.
bool dispatchMode();
// The only writer of gameMode: cross-fade capture (not from battle to its
// result, not with noFade), the old screen left and the new one entered,
// input latch, one frame of the new screen with drawing off.
void changeMode(int32_t mode, bool noFade);
// The end of a frame: cross-fade, frame rate, mute icons, one notice, present.
void drawOverlay();
void popNotice();
void drawFps();
void isMouseMoved();
// Sleeps on the library's clock (a manual clock in tests and the harness).
void sleepMs(uint32_t ms);

// The frame-rate ring: 60 frame lengths indexed by frameCounter; the
// average (ms) is taken when frameCounter mod 60 is 59; 0 until then.
struct FpsRing {
  int32_t lengths[60] = {};
  uint32_t lastStamp = 0;
  int32_t average = 0;
  // Records the frame ending at `now`; returns the average to show (0: none).
  int32_t record(uint32_t now, int32_t counter);
};

// The frame loop's state: the mode and its Back targets, the frame's
// count, length and drawing, the cross-fade, the screen captures, the
// notices and the mouse as the menus read it.
struct FrameState {
  int32_t gameMode = kModeTitle;
  // Where each screen's Back action leads; a missing key reads as 0 and is added.
  std::map<int32_t, int32_t> returnModeMap;
  int32_t frameCounter = 0;   // +1 at the end of every pass, drawn or not
  int32_t frameDeltaMs = 16;  // the last frame's length, 16 to 100
  int32_t lastFrameTime = 0;  // the stamp at which the current frame began
  bool drawThisFrame = true;
  int32_t fadeLevel = 0;  // 255 right after a mode change, 0 without a fade
  veziv::GraphHandle fadeCapture = -1;
  veziv::GraphHandle backdropCapture = -1;
  // Notices shown as OK boxes, one a frame outside battle: message lines, then the button's label.
  std::deque<std::vector<std::string>> noticeQueue;
  int32_t mouseX = 0;
  int32_t mouseY = 0;
  bool mouseMoved = false;
  bool hoverNeedsMove = true;
  FramePacer pacer;
  FpsRing fpsRing;
};

}  // namespace game
