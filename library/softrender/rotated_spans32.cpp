// The rotated blit's 32-bit row loops: a texel fetch (direct colour or
// palette index) times one rule and option set of the shared blend rules.
// A texel outside the source leaves its pixel alone and reads no weight.
#include "library/softrender/rotated_scan.h"

namespace veziv::softrender {
namespace {

// Source alpha weights the colour also without the transparency flag, and alpha
// 0 is skipped only by the rules that have that test.
constexpr FormRules kRotatedForms{false, false};

struct DirectTexels32 {
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  static void Draw(uint8_t* dp, const RotatedSetup& k, uint32_t col, uint32_t row, uint32_t g) {
    const uint32_t s = Load32(k.source + row * k.sourcePitch + ptrdiff_t{4} * col);
    DrawPixel32<R, Blend, Tint, Alpha, Transp, kRotatedForms>(dp, s, g, k.key, k.rules);
  }
};

// The index is tested, not its colour; palette sources have no alpha.
struct PaletteTexels32 {
  template <BlendRule R, bool Blend, bool Tint, bool, bool Transp>
  static void Draw(uint8_t* dp, const RotatedSetup& k, uint32_t col, uint32_t row, uint32_t g) {
    const uint32_t i = k.source[row * k.sourcePitch + col];
    if (Transp && i == k.key) return;
    DrawPixel32<R, Blend, Tint, false, false, kRotatedForms>(dp, Load32(k.palette + 4 * i), g, 0, k.rules);
  }
};

template <class Texels>
struct RotatedRows {
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  struct Loop {
    static void Run(const RotatedSetup& k, const RotatedRow& s) {
      uint8_t* dp = k.target + s.row * k.targetPitch + ptrdiff_t{4} * s.first;
      uint32_t u = s.u, v = s.v;
      for (int32_t i = 0; i < s.count; ++i, dp += 4, u += s.du, v += s.dv) {
        if (u >= k.widthBound || v >= k.heightBound) continue;
        const uint32_t col = u >> kRotatedShift, row = v >> kRotatedShift;
        uint32_t g = 1;
        if constexpr (Blend) g = k.blendAlpha[k.blend[row * k.blendPitch + col]];
        Texels::template Draw<R, Blend, Tint, Alpha, Transp>(dp, k, col, row, g);
      }
    }
  };
};

template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
using DirectLoop = RotatedRows<DirectTexels32>::Loop<R, Blend, Tint, Alpha, Transp>;
template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
using PaletteLoop = RotatedRows<PaletteTexels32>::Loop<R, Blend, Tint, Alpha, Transp>;

}  // namespace

RotatedRowLoop ChooseRotated32Loop(bool palette, BlendRule rule, const LoopOptions& o) {
  if (palette) return PickOptionLoop<PaletteLoop, RotatedRowLoop>(rule, o);
  return PickOptionLoop<DirectLoop, RotatedRowLoop>(rule, o);
}

}  // namespace veziv::softrender
