// The global draw state with its setters, screen colour packing, the draw
// area, the draw target and its auto-presenting timer, clearing the target,
// the reset to defaults and the renderer's snapshot of it all.
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/draw_state_block.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/images/softsurface_raster.h"

#include <cstring>

#include "library/foundation/memory_log/system_report.h"
#include "library/foundation/memory_log/log.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/lights_camera.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/images/pixel_format.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/softrender/blend/blend_tables.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

constexpr int kTimerPeriodMs = 32;

using detail::DrawState;
using detail::DrawStateBlock;

DrawStateBlock& Block() { return detail::DrawStateRecord(); }
DrawState& S() { return Block().s; }

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

void RefreshDrawColorWord() {
  DrawState& s = S();
  const uint32_t alpha = s.blendMode == 0 ? 255u : uint32_t(s.blendParam);
  s.drawColorWord = alpha << 24 | uint32_t(s.brightR) << 16 | uint32_t(s.brightG) << 8 | s.brightB;
}

void WaitUnlessActive() {
  const detail::GraphicsHooks& calls = detail::GraphicsCalls();
  if (!calls.window_is_active()) calls.wait_while_window_inactive();
}

const PixelFormatDesc& ScreenFormat() {
  return *SoftSurfacePixelFormat(detail::Screen().bits == 16 ? kSoftType16 : kSoftType32, 0, 0);
}

// The size of a target: the screen for the special ones, else the graph's.
bool TargetSize(int target, int* width, int* height) {
  if (target < 0 && target >= kTargetNone) {
    *width = detail::Screen().width;
    *height = detail::Screen().height;
    return true;
  }
  const GraphRecord* record = GetGraphRecord(target);
  if (!record) return false;
  *width = record->width;
  *height = record->height;
  return true;
}

void StoreArea(const DrawRect& r) {
  DrawState& s = S();
  s.area = r;
  s.areaF[0] = static_cast<float>(r.left);
  s.areaF[1] = static_cast<float>(r.top);
  s.areaF[2] = static_cast<float>(r.right);
  s.areaF[3] = static_cast<float>(r.bottom);
  s.areaEmpty = r.left == r.right || r.top == r.bottom ? 1 : 0;
}

void ApplyAreaAgain() {
  const DrawRect& a = S().area;
  SetClipRegion(a.left, a.top, a.right, a.bottom);
}

void ArmTimer() {
  DrawStateBlock& b = Block();
  b.timerArmed = 1;
  b.timerStart = platform::os::MillisecondClock();
}

}  // namespace

int ChooseBlendMode(int mode, int param) {
  DrawState& s = S();
  if (s.suppressed) return 0;
  if (mode == s.blendMode && param == s.blendParam) return 0;
  WaitUnlessActive();
  s.blendMode = mode;
  s.blendParam = Clamp255(param);
  RefreshDrawColorWord();
  return 0;
}

int SetDrawColorScale(int r, int g, int b) {
  DrawState& s = S();
  if (r == s.brightR && g == s.brightG && b == s.brightB) return 0;
  s.brightR = static_cast<uint8_t>(Clamp255(r));
  s.brightG = static_cast<uint8_t>(Clamp255(g));
  s.brightB = static_cast<uint8_t>(Clamp255(b));
  RefreshDrawColorWord();
  return 0;
}

int SetDrawColorScalePacked(uint32_t rgb) {
  DrawState& s = S();
  const uint32_t current = uint32_t(s.brightR) << 16 | uint32_t(s.brightG) << 8 | s.brightB;
  if ((rgb & 0xFFFFFF) == current) return 0;
  s.brightR = static_cast<uint8_t>(rgb >> 16);
  s.brightG = static_cast<uint8_t>(rgb >> 8);
  s.brightB = static_cast<uint8_t>(rgb);
  RefreshDrawColorWord();
  return 0;
}

uint32_t GetDrawColorWord() { return S().drawColorWord; }

uint32_t PackColorForScreen(int r, int g, int b) {
  const PixelFormatDesc& f = ScreenFormat();
  return (uint32_t((r & 0xFF) >> (8 - f.redWidth)) << f.redShift) +
         (uint32_t((g & 0xFF) >> (8 - f.greenWidth)) << f.greenShift) +
         (uint32_t((b & 0xFF) >> (8 - f.blueWidth)) << f.blueShift) + f.unusedMask;
}

int UnpackScreenColor(uint32_t value, int* r, int* g, int* b) {
  const PixelFormatDesc& f = ScreenFormat();
  auto channel = [value](uint32_t mask, int shift, int width) {
    return int(((value & mask) >> shift) * 255 / ((1u << width) - 1));
  };
  if (r) *r = channel(f.redMask, f.redShift, f.redWidth);
  if (g) *g = channel(f.greenMask, f.greenShift, f.greenWidth);
  if (b) *b = channel(f.blueMask, f.blueShift, f.blueWidth);
  return 0;
}

void GetBlendImageSelection(int* graph, int* borderParam, int* borderRange) {
  const DrawState& s = S();
  if (graph) *graph = s.blendGraph;
  if (borderParam) *borderParam = s.blendBorderParam;
  if (borderRange) *borderRange = s.blendBorderRange;
}

int SelectBlendImageGraph(int graph, int borderParam, int borderRange) {
  DrawState& s = S();
  if (s.suppressed) return 0;
  if (graph == s.blendGraph && borderParam == s.blendBorderParam && borderRange == s.blendBorderRange) return 0;
  if (graph != -1 && !IsGraphHandleValid(graph)) return -1;
  WaitUnlessActive();
  s.blendGraph = graph;
  s.blendBorderParam = Clamp255(borderParam);
  s.blendBorderRange = Clamp255(borderRange);
  BuildBlendAlphaTable(s.blendAlphaTable, s.blendBorderParam, s.blendBorderRange);
  return 0;
}

int CheckBlendGraphFits(const GraphRecord* record) {
  const GraphRecord* blend = GetGraphRecord(S().blendGraph);
  if (!blend || !record) return -1;
  if (blend->width < record->width || blend->height < record->height) return -1;
  return 0;
}

int SetClipRegion(int left, int top, int right, int bottom) {
  DrawState& s = S();
  if (s.suppressed) return 0;
  s.requested[0] = left;
  s.requested[1] = top;
  s.requested[2] = right;
  s.requested[3] = bottom;
  int width = 0, height = 0;
  if (!TargetSize(s.target, &width, &height)) return -1;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  auto clamp = [](int v, int max) { return v < 0 ? 0 : v > max ? max : v; };
  StoreArea(DrawRect{clamp(left, width), clamp(top, height), clamp(right, width), clamp(bottom, height)});
  return 0;
}

int GetClipRegion(int out[4]) {
  const DrawRect& a = S().area;
  out[0] = a.left;
  out[1] = a.top;
  out[2] = a.right;
  out[3] = a.bottom;
  return 0;
}

int SetDrawSampleMode(int mode) {
  DrawState& s = S();
  if (s.suppressed || mode == s.sampleMode) return 0;
  s.sampleMode = mode;
  return 0;
}

int GetDrawSampleMode() { return S().sampleMode; }

int SelectDrawTarget(int target) {
  DrawState& s = S();
  if (!detail::Screen().started) return -1;
  WaitUnlessActive();
  const bool special = target < 0 && target >= kTargetNone;
  // The whole handle is checked, check count included, before anything changes.
  if (!special && !IsGraphHandleValid(target)) return -1;
  const GraphRecord* record = special ? nullptr : GetGraphRecord(target);
  if (record && !GraphCanBeDrawnInto(*record)) return -1;
  const int maskUse = GetMaskScreenUse();
  SetMaskScreenUse(0);
  const int previousWidth = s.targetWidth, previousHeight = s.targetHeight;
  s.previousTarget = s.target;
  s.target = target;
  if (target == kTargetAutoPresent) ArmTimer();
  int width = 0, height = 0;
  TargetSize(target, &width, &height);
  s.targetWidth = width;
  s.targetHeight = height;
  if (width != previousWidth || height != previousHeight)
    SetClipRegion(0, 0, width, height);
  else
    ApplyAreaAgain();
  detail::SetDefault2DCamera(width, height);
  SetMaskScreenUse(maskUse);
  ActiveDrawers().targetChanged();
  return 0;
}

int GetCurrentDrawTarget() { return S().target; }

int IsDrawTargetTimerArmed() { return Block().timerArmed; }

void ServiceDrawTargetTimer() {
  DrawStateBlock& b = Block();
  if (!b.timerArmed) return;
  const uint32_t elapsed = (platform::os::MillisecondClock() - b.timerStart) & 0x7FFFFFFFu;
  if (elapsed < kTimerPeriodMs) return;
  b.timerArmed = 0;
  if (b.s.target != kTargetAutoPresent) return;
  ActiveDrawers().beforeTimedPresent();
  detail::GraphicsCalls().present_back_buffer();
  ArmTimer();
}

int ClearDrawTarget() { return ActiveDrawers().clearTarget(); }

int ResetDrawState() {
  DrawState& s = S();
  // Suppression ends with the reset; clearing it first lets the steps below
  // take effect.
  s = DrawState{};
  s.blendGraph = -1;
  for (int i = 0; i < 8; ++i) {
    s.stageWordsA[i] = 3;
    s.stageWordsB[i] = 3;
  }
  s.stageOps[0] = s.stageOps[1] = 4;
  s.oneWord = 1;
  s.lightingWord = 1;
  s.depth2D = 0.2f;
  SetTransColorUseFlag(1);
  s.sampleMode = 0;
  s.blendMode = 0;
  s.blendParam = 0;
  SetDrawColorScale(255, 255, 255);
  s.fogMode = 3;
  s.fogColor = 0xFFFFFFFFu;
  s.fogStart = 0.0f;
  s.fogEnd = 1500.0f;
  SetNewGraphBitDepth(0);
  detail::SetMaskUseFlag(1);
  s.target = kTargetBackScreen;
  SelectDrawTarget(kTargetAutoPresent);
  SetClipRegion(0, 0, detail::Screen().width, detail::Screen().height);
  s.suppressed = 0;
  detail::ResetLightsAndCamera();
  detail::SetDefault2DCamera(s.targetWidth, s.targetHeight);
  return 0;
}

int SetDrawStateA(int fogMode) {
  S().fogMode = fogMode;
  return 0;
}

int SetDrawStateB(int r, int g, int b) {
  S().fogColor = 0xFF000000u | uint32_t(r & 0xFF) << 16 | uint32_t(g & 0xFF) << 8 | uint32_t(b & 0xFF);
  return 0;
}

int SetDrawStateFloat(float fogStart, float fogEnd) {
  S().fogStart = fogStart;
  S().fogEnd = fogEnd;
  return 0;
}

int SetHardwareRenderingWanted(int flag) {
  if (detail::Screen().started) return -1;
  Block().noDirect3DWish = flag ? 0 : 1;
  return 0;
}

int GetHardwareRenderingWanted() { return Block().noDirect3DWish ? 0 : 1; }

int* MakeRect(int out[4], int left, int top, int right, int bottom) {
  out[0] = left;
  out[1] = top;
  out[2] = right;
  out[3] = bottom;
  return out;
}

int IsDrawingSuppressed() { return S().suppressed; }
int IsDrawAreaEmpty() { return S().areaEmpty; }
DrawRect GetDrawArea() { return S().area; }
void SetDrawAreaDirect(const DrawRect& area) { StoreArea(area); }
int GetBlendGraph() { return S().blendGraph; }
int GetBlendMode() { return S().blendMode; }
int GetBlendParam() { return S().blendParam; }

SOFTSURFACE* CurrentDrawTargetImage() {
  if (IsMaskedDrawActive()) return MaskScreenImage();
  return DrawTargetOwnImage();
}

SOFTSURFACE* DrawTargetOwnImage() {
  if (GraphRecord* record = GetGraphRecord(S().target)) return &record->view;
  return detail::Screen().image;
}

const SOFTSURFACE* CurrentBlendImage() {
  // The graph's own view, so that a sub-graph blends with its own rectangle.
  const GraphRecord* record = GetGraphRecord(S().blendGraph);
  return record ? &record->view : nullptr;
}

void FillSoftDrawSnapshot(SoftDrawSnapshot* snapshot) {
  const DrawState& s = S();
  snapshot->drawArea = s.area;
  snapshot->blendMode = s.blendMode;
  snapshot->blendParam = s.blendParam;
  snapshot->drawBrightness = uint32_t(s.brightR) << 16 | uint32_t(s.brightG) << 8 | s.brightB;
  snapshot->tables = &GetBlendTables();
  snapshot->blendAlphaTable = s.blendAlphaTable;
  snapshot->mmxUsable = detail::LoggedSystemFlags().mmx_usable ? 1 : 0;
}

namespace detail {

void SetDrawingSuppressed(int flag) { S().suppressed = flag; }

void ReapplyDrawArea() {
  if (S().target == kTargetFrontScreen) {
    const int use = GetMaskScreenUse();
    SetMaskScreenUse(0);
    SetMaskScreenUse(use);
  }
  ApplyAreaAgain();
}
uint32_t FogColor() { return S().fogColor; }
int FogMode() { return S().fogMode; }

DrawStateBlock& DrawStateRecord() {
  static DrawStateBlock block;
  return block;
}

}  // namespace detail
}  // namespace veziv
