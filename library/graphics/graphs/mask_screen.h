// The mask screen: while masked drawing is active, drawing goes into a
// separate mask screen (an image, or on the device a texture) and the bracket
// copies back only the pixels whose mask byte lets them through. Nothing in the program requests a mask screen,
// so masked drawing stays off and the bracket returns at once; the mechanism
// is here for the draw target and the drawing calls to call.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {

// -1 without a mask buffer; else stores the wish and re-points the draw target. 0.
int SetMaskScreenUse(int flag);
int GetMaskScreenUse();
// Makes the mask buffer and the mask-screen image when flag is not 0. 0.
int SetupMaskScreen(int createFlag);
int FreeMaskScreen();
// After a device loss: the mask screen made again when one is wanted, then
// mask use switched on again when it was wished. 0.
int RestoreMaskScreen();
int EndMaskSystem();
int DeleteMaskHandle(int handle);
int DeleteMaskHandleAll();
int BeginMaskedDraw(int x1, int y1, int x2, int y2);
int EndMaskedDraw(int x1, int y1, int x2, int y2);

// 1 while drawing goes to the mask screen.
int IsMaskedDrawActive();
// The mask-screen image, or null.
SOFTSURFACE* MaskScreenImage();

namespace detail {
// The device's mask screen while masked drawing is on (0 otherwise, or
// without a device), and its textures released (graphics end, device loss).
uint32_t DeviceMaskScreen();
void ReleaseDeviceMaskTextures();
// The mask byte buffer (null when none) and its pitch.
uint8_t* MaskBytes(int* pitch);
// The mask use wish set directly, without the buffer check (the draw-state reset).
void SetMaskUseFlag(int flag);
}  // namespace detail

}  // namespace veziv
