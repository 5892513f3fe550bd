// Modes 0 and 1 with source alpha (no blend image) in eight-pixel AVX2 form,
// for machines that have it: rows of pixels and textured rows.
#include <array>

#include "library/softrender/blend/blend_vector.h"
#include "library/softrender/blend/blend_wide.h"

namespace veziv::softrender {

#if defined(__x86_64__) || defined(__i386__)
namespace {

template <BlendRule R, bool Tint, bool Transp>
__attribute__((target("avx2"))) int32_t AlphaMixEight(uint8_t* dp, const uint8_t* sp, int32_t n,
                                                      const RuleTables& t) {
  const wide::WideWeights k = wide::MakeWeights(t);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8)
    wide::MixEight<R, Tint, Transp>(reinterpret_cast<__m256i*>(dp + ptrdiff_t{4} * i),
                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp + ptrdiff_t{4} * i)), k);
  return i;
}

template <BlendRule R, bool Tint, bool Transp>
__attribute__((target("avx2"))) int32_t TexelMixEight(uint8_t* dp, int32_t n, const TexelStep& w,
                                                      const RuleTables& t) {
  if (n < 8 || w.pitch <= 0 || w.pitch >= 32768 || w.shift < 16) return 0;
  wide::MixTexelRun<R, Tint, Transp>(dp, n, w.u, w.v, wide::MakeTexelRow(w.source, w.pitch, w.shift, w.du, w.dv, t));
  return n;
}


template <template <BlendRule, bool, bool> class Form, class Fn>
Fn Pick(BlendRule rule, bool tint, bool transp) {
  if (!__builtin_cpu_supports("avx2")) return nullptr;
  const int i = (tint ? 2 : 0) + (transp ? 1 : 0);
  if (rule == BlendRule::Copy)
    return std::array<Fn, 4>{Form<BlendRule::Copy, false, false>::fn, Form<BlendRule::Copy, false, true>::fn,
                             Form<BlendRule::Copy, true, false>::fn, Form<BlendRule::Copy, true, true>::fn}[i];
  if (rule == BlendRule::Alpha)
    return std::array<Fn, 4>{Form<BlendRule::Alpha, false, false>::fn, Form<BlendRule::Alpha, false, true>::fn,
                             Form<BlendRule::Alpha, true, false>::fn, Form<BlendRule::Alpha, true, true>::fn}[i];
  return nullptr;
}

template <BlendRule R, bool Tint, bool Transp>
struct RowForm {
  static constexpr WideAlphaMix fn = AlphaMixEight<R, Tint, Transp>;
};
template <BlendRule R, bool Tint, bool Transp>
struct TexelForm {
  static constexpr WideTexelMix fn = TexelMixEight<R, Tint, Transp>;
};

}  // namespace

WideAlphaMix ChooseWideAlphaMix(BlendRule rule, bool tint, bool transp) {
  return Pick<RowForm, WideAlphaMix>(rule, tint, transp);
}
WideTexelMix ChooseWideTexelMix(BlendRule rule, bool tint, bool transp) {
  return Pick<TexelForm, WideTexelMix>(rule, tint, transp);
}
#else
WideAlphaMix ChooseWideAlphaMix(BlendRule, bool, bool) { return nullptr; }
WideTexelMix ChooseWideTexelMix(BlendRule, bool, bool) { return nullptr; }
#endif

}  // namespace veziv::softrender
