// Graphics tables started afresh between tests, as a process starts with
// them. Test support: linked into test programs only, never into the library
// a program links.
#pragma once

#include "library/graphics/graphs/lights_camera.h"

namespace veziv::detail {

// Every graph deleted, the table's check counter back to 0 and the new-graph
// settings at their defaults.
void StartGraphTableAfresh();
// The mask screen ended and freed, every mask deleted, the use wish off.
void StartMaskScreenAfresh();
// The draw state zeroed, the hardware road wished for, the auto-presenting
// timer disarmed.
void StartDrawStateAfresh();
// Every light deleted, the table's check counter back to 0, none current,
// the camera zeroed.
void StartLightsAfresh();
// The camera record itself: nothing in the library selects the orthographic
// mode or a scale other than 1, so tests set them here.
DrawCamera& CameraRecord();
// The screen record zeroed and the graphics call sites at their defaults.
void StartGraphicsContextAfresh();
// The screen record, the display-mode list, the graphics start and end, the
// window's call sites and the screen-size source back to their start.
void StartScreenModeAfresh();

}  // namespace veziv::detail
