#include "library/graphics/screen/fresh_graphics_test_support.h"

#include <memory>

#include "library/foundation/core/rect_matrix.h"
#include "library/foundation/window/call_sites.h"
#include "library/graphics/graphs/draw_state_block.h"
#include "library/graphics/graphs/graph_table_state.h"
#include "library/graphics/graphs/lights_camera_state.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"

namespace veziv::detail {

void StartGraphTableAfresh() {
  GraphState& state = GraphTableState();
  state.table->DeleteAll([](GraphHandle handle) { FreeGraphHandle(handle, 0); });
  state.table = std::make_unique<GraphTable>();
  state.settings = NewGraphSettings{};
}

void StartMaskScreenAfresh() {
  EndMaskSystem();
  DeleteMaskHandleAll();
  SetMaskUseFlag(0);
}

void StartDrawStateAfresh() { DrawStateRecord() = DrawStateBlock{}; }

void StartLightsAfresh() {
  LightCameraState& s = LightsAndCameraState();
  s.lights = std::make_unique<LightTable>();
  s.current = -1;
  s.lightsChanged = 0;
  s.fullRefresh = 0;
  s.highestDeviceIndex = -1;
  s.camera = DrawCamera{};
}

DrawCamera& CameraRecord() { return LightsAndCameraState().camera; }

void StartGraphicsContextAfresh() {
  GraphicsCalls() = DefaultGraphicsCalls();
  Screen() = GraphicsScreen{};
}

void StartScreenModeAfresh() {
  Screen() = GraphicsScreen{};
  Display() = DisplayState{};
  GraphicsLifecycleCalls() = DefaultGraphicsLifecycle();
  SetScreenSizeSource(nullptr);
  ResetCallSites();
}

}  // namespace veziv::detail
