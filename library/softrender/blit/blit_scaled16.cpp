// The 16-bit (5:6:5) direct-colour loops of the scaled blit: one loop per rule
// and option set from the shared 16-bit rules on the shared stepping, and the
// lean loops without blend image, tint or source alpha: the copy (whose
// transparency test compares the low 16 bits of the transparent value) and
// the subtract at p = 255.
#include "library/softrender/blend/blend_rules16.h"
#include "library/softrender/blit/blit_scaled_walk.h"

namespace veziv::softrender {
namespace {

template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
struct Scaled16 {
  static void Run(const ScaledSetup& k) {
    const RuleTables16 t{k.rules, k.differenceRow};
    WalkScaled<false, 2>(k, [&k, &t](uint8_t* dp, ptrdiff_t so, ptrdiff_t bo) {
      uint32_t b = 1;
      if constexpr (Blend) b = k.blendAlpha[k.blend[bo]];
      const uint32_t s = Alpha ? Load32(k.src + so) : Load16(k.src + so);
      DrawPixel16<R, Blend, Tint, Alpha, Transp, kScaledForms>(dp, s & 0xFFFF, (s >> 16) & 0xFF, b, k.key, t);
    });
  }
};

template <bool Transp>
void LeanCopy16(const ScaledSetup& k) {
  const uint32_t key = k.key & 0xFFFF;
  WalkScaled<true, 2>(k, [&k, key](uint8_t* dp, ptrdiff_t so, ptrdiff_t) {
    const uint16_t s = Load16(k.src + so);
    if (Transp && s == key) return;
    Store16(dp, s);
  });
}

template <bool Transp>
void LeanSubtract16(const ScaledSetup& k) {
  WalkScaled<true, 2>(k, [&k](uint8_t* dp, ptrdiff_t so, ptrdiff_t) {
    const uint32_t s = Load16(k.src + so);
    if (Transp && s == k.key) return;
    Store16(dp, static_cast<uint16_t>(PackedSubtract565(Load16(dp), s)));
  });
}

}  // namespace

ScaledLoop ChooseScaled16Loop(BlendRule rule, uint32_t p, const LoopOptions& o) {
  if (!o.blend && !o.tint && !o.alpha) {
    if (rule == BlendRule::Copy) return o.transp ? LeanCopy16<true> : LeanCopy16<false>;
    if (rule == BlendRule::Subtract && p == 255) return o.transp ? LeanSubtract16<true> : LeanSubtract16<false>;
  }
  return PickOptionLoop<Scaled16, ScaledLoop>(rule, o);
}

}  // namespace veziv::softrender
