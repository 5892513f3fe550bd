// The span loops of 32-bit targets.
#include "library/softrender/triangle/triangle_span_loops.h"

namespace veziv::softrender {

template TriangleSpanLoop ChooseSpanLoop<kSoftType32>(SpanSource, BlendRule, const LoopOptions&);

}  // namespace veziv::softrender
