// The span loops of 16-bit targets.
#include "library/softrender/triangle/triangle_span_loops.h"

namespace veziv::softrender {

template TriangleSpanLoop ChooseSpanLoop<kSoftType16>(SpanSource, BlendRule, const LoopOptions&);

}  // namespace veziv::softrender
