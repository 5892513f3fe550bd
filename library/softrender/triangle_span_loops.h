// The span loop templates of the triangle families: one driver over a row of
// texels, the texel fetches of each source kind, and the flat-colour driver.
// Triangles differ from the blits in two policies: an alpha source is mixed
// by its alpha also when the transparency flag is clear, and alpha 0 is
// skipped only in the rules that have that test.
#pragma once

#include "library/softrender/triangle_spans.h"

namespace veziv::softrender {

inline constexpr FormRules kSpanForms{false, false};

// Texel fetches: read the texel at (col, row) and draw it through the rule.
struct Direct32Texels {
  static constexpr int kTargetBytes = 4;
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  static void Draw(uint8_t* dp, const TriangleSpanSetup& k, uint32_t col, uint32_t row, uint32_t g) {
    const uint32_t s = Load32(k.source + row * k.sourcePitch + ptrdiff_t{4} * col);
    DrawPixel32<R, Blend, Tint, Alpha, Transp, kSpanForms>(dp, s, g, k.key, k.rules.common);
  }
};

// The index is tested, not its colour; palette sources have no alpha.
struct Palette32Texels {
  static constexpr int kTargetBytes = 4;
  template <BlendRule R, bool Blend, bool Tint, bool, bool Transp>
  static void Draw(uint8_t* dp, const TriangleSpanSetup& k, uint32_t col, uint32_t row, uint32_t g) {
    const uint32_t i = k.source[row * k.sourcePitch + col];
    if (Transp && i == k.key) return;
    DrawPixel32<R, Blend, Tint, false, false, kSpanForms>(dp, Load32(k.palette + 4 * i), g, 0, k.rules.common);
  }
};

// With alpha a texel is 4 bytes: the colour word, the alpha, a byte nobody reads.
struct Direct16Texels {
  static constexpr int kTargetBytes = 2;
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  static void Draw(uint8_t* dp, const TriangleSpanSetup& k, uint32_t col, uint32_t row, uint32_t g) {
    const uint8_t* sp = k.source + row * k.sourcePitch + ptrdiff_t{Alpha ? 4 : 2} * col;
    DrawPixel16<R, Blend, Tint, Alpha, Transp, kSpanForms>(dp, Load16(sp), Alpha ? sp[2] : 0, g, k.key, k.rules);
  }
};

struct Palette16Texels {
  static constexpr int kTargetBytes = 2;
  template <BlendRule R, bool Blend, bool Tint, bool, bool Transp>
  static void Draw(uint8_t* dp, const TriangleSpanSetup& k, uint32_t col, uint32_t row, uint32_t g) {
    const uint32_t i = k.source[row * k.sourcePitch + col];
    if (Transp && i == k.key) return;
    DrawPixel16<R, Blend, Tint, false, false, kSpanForms>(dp, Load16(k.palette + 2 * i), 0, g, 0, k.rules);
  }
};

// One row of a textured triangle: a texel outside the source leaves its pixel
// alone (and reads no blend weight), and the coordinates step on regardless.
template <class Texels>
struct TexturedSpans {
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  struct Loop {
    static void Run(const TriangleSpanSetup& k, const TriangleSpan& s) {
      constexpr int kBytes = Texels::kTargetBytes;
      uint8_t* dp = k.target + s.row * k.targetPitch + ptrdiff_t{kBytes} * s.first;
      uint32_t u = s.u, v = s.v;
      for (int32_t i = 0; i < s.count; ++i, dp += kBytes, u += s.du, v += s.dv) {
        if (u >= k.widthBound || v >= k.heightBound) continue;
        const uint32_t col = u >> kFixedShift, row = v >> kFixedShift;
        uint32_t g = 1;
        if constexpr (Blend) g = k.blendAlpha[k.blend[row * k.blendPitch + col]];
        Texels::template Draw<R, Blend, Tint, Alpha, Transp>(dp, k, col, row, g);
      }
    }
  };
};

template <class Texels>
TriangleSpanLoop PickTexturedSpanLoop(BlendRule rule, const LoopOptions& o) {
  return PickOptionLoop<TexturedSpans<Texels>::template Loop, TriangleSpanLoop>(rule, o);
}

}  // namespace veziv::softrender
