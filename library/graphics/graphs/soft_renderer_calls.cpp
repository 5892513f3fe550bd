// The software renderer's entry points behind the drawing calls.
#include "library/graphics/graphs/soft_renderer_calls.h"

#include "library/softrender/blit/blit.h"
#include "library/softrender/shapes/rotated_blit.h"
#include "library/softrender/shapes/shapes.h"
#include "library/softrender/triangle/triangle.h"

namespace veziv {
SoftRendererHooks RealSoftRenderer() {
  SoftRendererHooks calls{};
  calls.blit = SoftSurfaceBlit;
  calls.blitScaled = SoftSurfaceBlitScaled;
  calls.blitRotated = SoftSurfaceBlitRotated;
  calls.fillTriangle = SoftSurfaceFillTriangle;
  calls.fillBox = SoftSurfaceFillBox;
  calls.line = SoftSurfaceLine;
  calls.lineList = SoftSurfaceLineList;
  calls.circle = SoftSurfaceCircle;
  return calls;
}

SoftRendererHooks& SoftRenderer() {
  static SoftRendererHooks state = RealSoftRenderer();
  return state;
}

}  // namespace veziv
