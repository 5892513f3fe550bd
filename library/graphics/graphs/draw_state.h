// The draw state every drawing call reads: blend mode and parameter,
// brightness, blend graph, draw area, draw target, sampling, fog and the 3-D
// defaults; its setters (a setter given the current value does nothing),
// colour packing for the screen, the draw target with its auto-presenting
// timer, clearing the target, the reset to defaults and the snapshot that the
// software renderer reads.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"
#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"
#include "library/veziv.h"

namespace veziv {

struct GraphRecord;

int SetDrawColorScalePacked(uint32_t rgb);
uint32_t GetDrawColorWord();
// The blend image's selection as SelectBlendImageGraph took it; each pointer may be null.
void GetBlendImageSelection(int* graph, int* borderParam, int* borderRange);
int CheckBlendGraphFits(const GraphRecord* record);
int ResetDrawState();
int* MakeRect(int out[4], int left, int top, int right, int bottom);

// The auto-presenting target's timer: 1 while armed. The pump calls
// ServiceDrawTargetTimer on the main thread; when 32 ms have passed since it was
// armed the tick runs (kill, present while the target is still -4, re-arm).
int IsDrawTargetTimerArmed();
void ServiceDrawTargetTimer();

// Read-outs for the drawing calls.
int IsDrawingSuppressed();
int IsDrawAreaEmpty();
DrawRect GetDrawArea();
// Sets the draw area (integers and float copy) directly, without ordering,
// clamping or the target check; used to narrow it around a part draw.
void SetDrawAreaDirect(const DrawRect& area);
int GetBlendGraph();
int GetBlendMode();
int GetBlendParam();
// The image the software renderer draws into: the mask image while masked
// drawing is on, else the draw target's own image.
SOFTSURFACE* CurrentDrawTargetImage();
// The draw target's own image (the target graph's view, else the screen
// image), also while masked drawing goes through the mask image.
SOFTSURFACE* DrawTargetOwnImage();
// The blend graph's image, or null.
const SOFTSURFACE* CurrentBlendImage();
// Fills the renderer's view of the draw state.
void FillSoftDrawSnapshot(SoftDrawSnapshot* snapshot);

namespace detail {
// Sets drawing suppressed (device loss and mode change set it).
void SetDrawingSuppressed(int flag);
// Fog colour, mode, start and end.
uint32_t FogColor();
int FogMode();
// After the window moved: renews the mask setting while drawing goes to the
// window's front and applies the draw area again.
void ReapplyDrawArea();
}  // namespace detail

}  // namespace veziv
