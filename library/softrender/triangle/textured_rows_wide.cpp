// The rows of a rotated blit's textured walk for modes 0 and 1 with source
// alpha, without blend image, into 32 bits, in eight-pixel AVX2 form for
// machines that have it: the walk's constants made once for all rows, each
// row's run inside the source gathered and mixed eight pixels at a time.
#include "library/softrender/blend/blend_wide.h"
#include "library/softrender/triangle/span_inside.h"
#include "library/softrender/triangle/triangle_span_loops.h"
#include "library/softrender/triangle/triangle_spans.h"

namespace veziv::softrender {

#if defined(__x86_64__) || defined(__i386__)
namespace {

template <BlendRule R, bool Tint, bool Transp>
__attribute__((target("avx2"))) void TexturedRowsEight(const TriangleSpanSetup& k, TriangleSpan row, int32_t bottom,
                                                       uint32_t rowU, uint32_t rowV, TriangleSpanLoop each) {
  if (k.sourcePitch <= 0 || k.sourcePitch >= 32768) {
    for (; row.row < bottom; ++row.row, row.u += rowU, row.v += rowV) each(k, row);
    return;
  }
  const wide::TexelRow w = wide::MakeTexelRow(k.source, k.sourcePitch, kFixedShift, row.du, row.dv, k.rules.common);
  // Every row steps alike: the inside runs divide by the same steps.
  const SpanSteps steps = MakeSpanSteps(row.du, row.dv);
  for (; row.row < bottom; ++row.row, row.u += rowU, row.v += rowV) {
    const SpanInside inside = FindSpanInside(row, k.widthBound, k.heightBound, steps);
    const int32_t n = inside.last - inside.first;
    if (inside.linear && n <= 0) continue;
    uint8_t* const dp = k.target + row.row * k.targetPitch + ptrdiff_t{4} * (ptrdiff_t{row.first} + inside.first);
    // Short runs, coordinates that wrap and a source that meets the row take
    // the row's own loop.
    if (!inside.linear || n < 8 || SourceMeetsRow(k, dp, n)) {
      each(k, row);
      continue;
    }
    wide::MixTexelRun<R, Tint, Transp>(dp, n, row.u + uint32_t(inside.first) * row.du,
                                       row.v + uint32_t(inside.first) * row.dv, w);
  }
}

template <BlendRule R>
TriangleRowsLoop PickRows(bool tint, bool transp) {
  if (tint) return transp ? TexturedRowsEight<R, true, true> : TexturedRowsEight<R, true, false>;
  return transp ? TexturedRowsEight<R, false, true> : TexturedRowsEight<R, false, false>;
}

}  // namespace

TriangleRowsLoop ChooseWideRowsLoop(SpanSource kind, BlendRule rule, const LoopOptions& o) {
  if (kind != SpanSource::kDirect || o.blend || !o.alpha || !__builtin_cpu_supports("avx2")) return nullptr;
  if (rule == BlendRule::Copy) return PickRows<BlendRule::Copy>(o.tint, o.transp);
  if (rule == BlendRule::Alpha) return PickRows<BlendRule::Alpha>(o.tint, o.transp);
  return nullptr;
}
#else
TriangleRowsLoop ChooseWideRowsLoop(SpanSource, BlendRule, const LoopOptions&) { return nullptr; }
#endif

}  // namespace veziv::softrender
