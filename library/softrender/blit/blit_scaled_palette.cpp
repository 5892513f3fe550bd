// The palette-source loops of the scaled blit, 32-bit and 16-bit: each sampled
// index is looked up in the source's own palette and the entry drawn by the
// direct-colour rules of the target's depth, on the shared stepping. The
// transparency test compares the index with the whole transparent value (a
// value above 255 leaves no index out). Without blend image and tint, mode 0
// copies whole entries and mode 3 at p = 255 subtracts whole entries (32-bit:
// MMX or packed form), both on the lean stepping.
#include "library/softrender/blend/blend_rules16.h"
#include "library/softrender/blit/blit_scaled_walk.h"

namespace veziv::softrender {
namespace {

template <BlendRule R, bool Blend, bool Tint, bool, bool Transp>
struct ScaledPalette32 {
  static void Run(const ScaledSetup& k) {
    WalkScaled<false, 4>(k, [&k](uint8_t* dp, ptrdiff_t so, ptrdiff_t bo) {
      const uint8_t index = k.src[so];
      if (Transp && index == k.key) return;
      uint32_t b = 1;
      if constexpr (Blend) b = k.blendAlpha[k.blend[bo]];
      DrawPixel32<R, Blend, Tint, false, false, kScaledForms>(dp, Load32(k.palette + 4 * index), b, 0, k.rules);
    });
  }
};

template <BlendRule R, bool Blend, bool Tint, bool, bool Transp>
struct ScaledPalette16 {
  static void Run(const ScaledSetup& k) {
    const RuleTables16 t{k.rules, k.differenceRow};
    WalkScaled<false, 2>(k, [&k, &t](uint8_t* dp, ptrdiff_t so, ptrdiff_t bo) {
      const uint8_t index = k.src[so];
      if (Transp && index == k.key) return;
      uint32_t b = 1;
      if constexpr (Blend) b = k.blendAlpha[k.blend[bo]];
      DrawPixel16<R, Blend, Tint, false, false, kScaledForms>(dp, Load16(k.palette + 2 * index), 0, b, 0, t);
    });
  }
};

// op(D, entry) on each drawn pixel, lean stepping.
template <int DstBytes, bool Transp, uint32_t (*Op)(uint32_t, uint32_t)>
void LeanEntries(const ScaledSetup& k) {
  WalkScaled<true, DstBytes>(k, [&k](uint8_t* dp, ptrdiff_t so, ptrdiff_t) {
    const uint8_t index = k.src[so];
    if (Transp && index == k.key) return;
    if constexpr (DstBytes == 4)
      Store32(dp, Op(Load32(dp), Load32(k.palette + 4 * index)));
    else
      Store16(dp, static_cast<uint16_t>(Op(Load16(dp), Load16(k.palette + 2 * index))));
  });
}

constexpr uint32_t Replace(uint32_t, uint32_t s) { return s; }

}  // namespace

ScaledLoop ChooseScaledPalette32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx) {
  if (!o.blend && !o.tint) {
    const bool t = o.transp;
    if (rule == BlendRule::Copy) return t ? LeanEntries<4, true, Replace> : LeanEntries<4, false, Replace>;
    if (rule == BlendRule::Subtract && p == 255) {
      if (mmx == 1)
        return t ? LeanEntries<4, true, SaturatingSubtractBytes> : LeanEntries<4, false, SaturatingSubtractBytes>;
      return t ? LeanEntries<4, true, PackedSubtract> : LeanEntries<4, false, PackedSubtract>;
    }
  }
  return PickPaletteLoop<ScaledPalette32, ScaledLoop>(rule, o);
}

ScaledLoop ChooseScaledPalette16Loop(BlendRule rule, uint32_t p, const LoopOptions& o) {
  if (!o.blend && !o.tint) {
    const bool t = o.transp;
    if (rule == BlendRule::Copy) return t ? LeanEntries<2, true, Replace> : LeanEntries<2, false, Replace>;
    if (rule == BlendRule::Subtract && p == 255)
      return t ? LeanEntries<2, true, PackedSubtract565> : LeanEntries<2, false, PackedSubtract565>;
  }
  return PickPaletteLoop<ScaledPalette16, ScaledLoop>(rule, o);
}

}  // namespace veziv::softrender
