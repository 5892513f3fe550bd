// The span loops of 32-bit targets: direct-colour and palette sources.
#include "library/softrender/triangle_span_loops.h"

namespace veziv::softrender {

TriangleSpanLoop ChooseDirect32SpanLoop(BlendRule rule, const LoopOptions& o) {
  return PickTexturedSpanLoop<Direct32Texels>(rule, o);
}

TriangleSpanLoop ChoosePalette32SpanLoop(BlendRule rule, const LoopOptions& o) {
  return PickTexturedSpanLoop<Palette32Texels>(rule, {o.blend, o.tint, false, o.transp});
}

}  // namespace veziv::softrender
