// What the box, the line and the circle share: the colour prepared once per
// call (each channel times its brightness level / 256, only when the brightness
// is not white), and the choice of a flat-colour rule and target format, handed
// to a shape's loop as compile-time tags so that each loop is generated once
// per rule and format. Pixels and rows are drawn by the triangles' flat span
// forms. Internal to the renderer.
#pragma once

#include <cstdint>
#include <type_traits>

#include "library/softrender/blend/blend_rules.h"
#include "library/softrender/blit/blit_setup.h"
#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"
#include "library/softrender/triangle/triangle_span_loops.h"

namespace veziv::softrender {

// The colour with the brightness applied by a shift: 255 becomes 254 under any
// partial tint, and byte 3 of a 32-bit colour is kept. A 16-bit colour is
// scaled field by field and repacked.
constexpr uint32_t PrepareShapeColour(uint32_t colour, int32_t type, uint32_t brightness) {
  if ((brightness & 0xFFFFFFu) == 0xFFFFFFu) return colour;
  uint32_t out = type == kSoftType16 ? 0 : colour & 0xFF000000u;
  for (int c = 0; c < 3; ++c) {
    const uint32_t level = (brightness >> (8 * c)) & 0xFF;
    if (type == kSoftType16) {
      const int shift = c == 0 ? 0 : c == 1 ? 5 : 11;
      const uint32_t mask = c == 1 ? 0x3F : 0x1F;
      out |= ((((colour >> shift) & mask) * level) >> 8) << shift;
    } else {
      out |= ((Byte(colour, c) * level) >> 8) << (8 * c);
    }
  }
  return out;
}

// One pixel of a flat shape: the prepared colour as an untinted source
// without weights, by the rule R of the target format F.
template <class F, BlendRule R>
inline void DrawFlatPixel(uint8_t* dp, const TriangleSpanSetup& k) {
  F::template Draw<R, false, false, false, false>(dp, k.colour, 0, 1, 0, k.rules);
}

// count pixels of row `row` from column `first`, through the flat span loops
// the triangles use.
template <class F, BlendRule R>
inline void DrawFlatRow(const TriangleSpanSetup& k, int64_t row, int64_t first, int64_t count) {
  FlatSpans<F>::template Run<R>(k, TriangleSpan{int32_t(row), int32_t(first), int32_t(count), 0, 0, 0, 0});
}

template <BlendRule R>
using RuleTag = std::integral_constant<BlendRule, R>;

template <class Format, class Fn>
void CallWithRule(BlendRule rule, Fn& fn) {
  switch (rule) {
    case BlendRule::Copy: fn(Format{}, RuleTag<BlendRule::Copy>{}); break;
    case BlendRule::Alpha: fn(Format{}, RuleTag<BlendRule::Alpha>{}); break;
    case BlendRule::Add: fn(Format{}, RuleTag<BlendRule::Add>{}); break;
    case BlendRule::Subtract: fn(Format{}, RuleTag<BlendRule::Subtract>{}); break;
    case BlendRule::Multiply: fn(Format{}, RuleTag<BlendRule::Multiply>{}); break;
    case BlendRule::Invert: fn(Format{}, RuleTag<BlendRule::Invert>{}); break;
    case BlendRule::MultiplyBlend: fn(Format{}, RuleTag<BlendRule::MultiplyBlend>{}); break;
  }
}

// Whether a flat shape can be drawn into target at all: a set-up target of
// type 0 or 1 without palette or alpha, with the snapshot's tables.
inline bool FlatTargetUsable(const SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
  if (!target || !target->base || !draw.tables) return false;
  const SoftSurfaceShared& b = *target->base;
  return b.paletteFlag != 1 && b.alphaFlag != 1 && (b.type == kSoftType32 || b.type == kSoftType16);
}

// Sets up k (target, prepared colour, rule tables) and calls
// fn(SpanFormat<type>, RuleTag<R>) with the rule of the snapshot's mode and
// parameter. False, without calling, when the mode draws nothing.
template <class Fn>
bool WithFlatRule(SOFTSURFACE& target, uint32_t colour, const SoftDrawSnapshot& draw, TriangleSpanSetup* k,
                  Fn fn) {
  const uint32_t p = ClampedParam(draw);
  BlendRule rule;
  if (!ChooseRule(draw.blendMode, p, false, &rule)) return false;
  const int32_t type = target.base->type;
  *k = TriangleSpanSetup{};
  k->target = target.pixels;
  k->targetPitch = target.base->pitch;
  k->colour = PrepareShapeColour(colour, type, draw.drawBrightness);
  k->rules = {MakeRuleTables(draw, p), &draw.tables->SignedProductTable[p][256]};
  MarkDrawn(target);
  if (type == kSoftType32) CallWithRule<SpanFormat<kSoftType32>>(rule, fn);
  else CallWithRule<SpanFormat<kSoftType16>>(rule, fn);
  return true;
}

// The draw area ordered and limited to the target view; empty when
// right <= left or bottom <= top.
inline ClipBox DrawAreaInView(const SOFTSURFACE& target, const SoftDrawSnapshot& draw) {
  return ClipToDrawArea(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, draw.drawArea, target);
}

}  // namespace veziv::softrender
