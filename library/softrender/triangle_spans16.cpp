// The span loops of 16-bit targets: direct-colour and palette sources.
#include "library/softrender/triangle_span_loops.h"

namespace veziv::softrender {

TriangleSpanLoop ChooseDirect16SpanLoop(BlendRule rule, const LoopOptions& o) {
  return PickTexturedSpanLoop<Direct16Texels>(rule, o);
}

TriangleSpanLoop ChoosePalette16SpanLoop(BlendRule rule, const LoopOptions& o) {
  return PickTexturedSpanLoop<Palette16Texels>(rule, {o.blend, o.tint, false, o.transp});
}

}  // namespace veziv::softrender
