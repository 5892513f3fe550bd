// The software renderer's entry points behind the drawing calls.
#include "library/graphics/soft_renderer_calls.h"

#include "library/softrender/blit.h"
#include "library/softrender/triangle.h"

namespace veziv {
namespace {

SoftRendererCalls g_calls = RealSoftRenderer();

}  // namespace

SoftRendererCalls RealSoftRenderer() {
  SoftRendererCalls calls{};
  calls.blit = SoftSurfaceBlit;
  calls.blitScaled = SoftSurfaceBlitScaled;
  calls.fillTriangle = SoftSurfaceFillTriangle;
  // Rotated blits, boxes, lines and circles join as the renderer
  // gains them; until then their adapters draw nothing.
  return calls;
}

SoftRendererCalls& SoftRenderer() { return g_calls; }

}  // namespace veziv
