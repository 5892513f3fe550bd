// The hardware road's drawers: the drawing calls' table filled with the
// device's back end, and where its draws go (the back buffer, the textures of
// a graph drawn into, or the mask screen while masked drawing is on).
#include <cmath>
#include <vector>

#include "library/foundation/core/helpers.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/window/window_state.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/mask_screen.h"

namespace veziv {
namespace {

int GraphDevice(const GraphRecord* record, int x, int y, int transparency) {
  return DeviceDrawGraph(record, x, y, static_cast<float>(x), static_cast<float>(y), transparency);
}

int GraphStretchedDevice(const GraphRecord* record, int x1, int y1, int x2, int y2, int transparency) {
  return DeviceDrawGraphStretched(x1, y1, x2, y2, record, transparency);
}

int GraphTurnedDevice(const GraphRecord* record, float x, float y, double scale, double angle, int transparency,
                      int turn) {
  return DeviceDrawGraphTurned(record, x, y, scale, angle, transparency, turn);
}

int PolygonDevice(const PolygonVertex* vertices, int count, int primitiveType, const GraphRecord* record, int flag,
                  int remapTexture) {
  // The device's vertices are made in the library's memory for the draw.
  static_assert(sizeof(DeviceVertex) == sizeof(TexturedVertex));
  auto* device = static_cast<DeviceVertex*>(AllocLibMemory(sizeof(DeviceVertex) * size_t(count)));
  if (device == nullptr) return -1;
  detail::BuildPolygonDeviceVertices(vertices, count, device);
  std::vector<TexturedVertex> textured(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const DeviceVertex& d = device[i];
    textured[static_cast<size_t>(i)] = {d.x, d.y, d.z, d.rhw, d.colour, d.u, d.v};
  }
  FreeLibMemory(device);
  return DeviceDrawUserVertices(record, primitiveType, textured.data(), count, 0, remapTexture, flag);
}

// A thick line is a coloured triangle strip of four vertices through the
// vertex primitive: (x1 + px, y1 + py), (x2 + px, y2 + py), (x1 - px, y1 - py),
// (x2 - px, y2 - py), each truncated to whole pixels as the software road's
// corners are.
int ThickLineDevice(int x1, int y1, int x2, int y2, double px, double py, uint32_t colour) {
  int r = 0, g = 0, b = 0;
  UnpackScreenColor(colour, &r, &g, &b);
  const uint8_t cb = static_cast<uint8_t>(b), cg = static_cast<uint8_t>(g), cr = static_cast<uint8_t>(r);
  auto at = [&](double x, double y) {
    return PolygonVertex{static_cast<float>(TruncateDoubleToInt(x)), static_cast<float>(TruncateDoubleToInt(y)), 0.0f,
                         0.0f, cb, cg, cr, 255};
  };
  const PolygonVertex strip[4] = {at(x1 + px, y1 + py), at(x2 + px, y2 + py), at(x1 - px, y1 - py),
                                  at(x2 - px, y2 - py)};
  return PolygonDevice(strip, 4, kTriangleStrip, nullptr, 0, 0);
}

// Where draws go now: the mask screen while masked drawing is on, the graph
// drawn into, or the back buffer (the sub back buffer while it stands in).
void TargetChangedDevice() {
  if (IsMaskedDrawActive()) {
    if (detail::DeviceMaskScreen() != 0) SetRenderTargetSurface(detail::DeviceMaskScreen());
    return;
  }
  if (const GraphRecord* record = GetGraphRecord(GetCurrentDrawTarget())) {
    SetRenderTargetGraph(record);
    return;
  }
  const gpu::TextureId sub = detail::SubBackBuffer();
  SetRenderTargetSurface(sub != 0 && detail::CurrentRenderTarget() == sub ? sub : 0);
}

int ClearTargetDevice() {
  detail::ClearDeviceTarget(0xFF000000u);
  return 0;
}

bool SubtractBracketDevice() { return detail::DeviceCache().blendOpCapable == 0; }

// In full screen the timed frames are drawn in the sub back buffer.
void BeforeTimedPresentDevice() {
  if (!detail::WindowState().windowed) UseSubBackBuffer();
}

constexpr Drawers kDeviceDrawers = {
    "device",          GraphDevice,         GraphStretchedDevice, GraphTurnedDevice, DeviceDrawFreeQuad,
    DeviceDrawFreeQuadF, DeviceFillBox,     DeviceDrawBoxFrame,   DeviceDrawCircle,  DeviceDrawLine,
    ThickLineDevice,   PolygonDevice,       DeviceDrawSoftImage,  TargetChangedDevice, ClearTargetDevice,
    SubtractBracketDevice, BeforeTimedPresentDevice,
};

}  // namespace

namespace detail {
const Drawers& DeviceDrawers() { return kDeviceDrawers; }
}  // namespace detail

}  // namespace veziv
