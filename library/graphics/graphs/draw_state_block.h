// The draw state and the auto-presenting timer: draw_state.cpp keeps them;
// the tests' support starts them afresh between tests.
#pragma once

#include <cstdint>

#include "library/graphics/graphs/draw_state.h"

namespace veziv::detail {

struct DrawState {
  BlendMode blendMode = 0;
  int blendParam = 0;
  uint8_t brightB = 0, brightG = 0, brightR = 0;
  uint32_t drawColorWord = 0;
  int blendGraph = -1;
  int blendBorderParam = 0;
  int blendBorderRange = 0;
  uint8_t blendAlphaTable[256] = {};
  DrawRect area{};
  float areaF[4] = {};
  int areaEmpty = 0;
  int requested[4] = {};
  int target = 0;
  int previousTarget = 0;
  int targetWidth = 0;
  int targetHeight = 0;
  int sampleMode = 0;
  int fogMode = 0;
  uint32_t fogColor = 0;
  float fogStart = 0.0f;
  float fogEnd = 0.0f;
  // Direct3D defaults read by the device state applier.
  int stageWordsA[8] = {};
  int stageWordsB[8] = {};
  int stageOps[2] = {};
  int zeroWords[4] = {};
  int oneWord = 0;
  int lightingWord = 0;
  float depth2D = 0.0f;
  int suppressed = 0;
};

struct DrawStateBlock {
  DrawState s;
  // The hardware road is the default where a device can be made; a program
  // asks for the software road before the start.
  int noDirect3DWish = 0;
  int timerArmed = 0;
  uint32_t timerStart = 0;
};

DrawStateBlock& DrawStateRecord();

}  // namespace veziv::detail
