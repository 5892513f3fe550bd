// Choosing the road at graphics start: with the hardware road asked for
// (SetHardwareRenderingWanted), the OpenGL device is made for the screen;
// when it cannot be, the log says why and the software road draws.
#pragma once

#include "library/veziv.h"

namespace veziv {

// The device set-up of graphics start: the hardware device when wanted and
// possible, then the software road's own set-up (the display mode). 0 or -1.
int SetupGraphicsDevice();

namespace detail {
// 1 while the hardware device exists.
int GpuInUse();
// 1 when draws to the current target go to the device (the back screen).
int GpuDrawsToScreen();
// The device's finished frame into the software screen image, which the
// window shows.
void CopyGpuFrameToScreenImage();
// A software draw onto the back screen while the device draws it (strings,
// and the draws the device road does not take): the rectangle of the
// device's frame is brought into the screen image first, and what the
// software road drew goes back after. Nothing without the device.
void BeginSoftwareDrawOnScreen(const DrawRect& rect);
void EndSoftwareDrawOnScreen(const DrawRect& rect);
// Clears the device's back buffer (ClearDrawTarget on the back screen).
void ClearGpuBackBuffer();
// Graphics end: the device and its caches go.
void ReleaseGpuDevice();
}  // namespace detail

}  // namespace veziv
