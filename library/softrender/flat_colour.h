// What the box, the line and the circle share: the colour prepared once per
// call (each channel times its brightness level / 256, only when the brightness
// is not white), and the choice of a flat-colour rule and target format, handed
// to a shape's loop as compile-time tags so that each loop is generated once
// per rule and format. Internal to the renderer.
#pragma once

#include <cstdint>
#include <type_traits>

#include "library/graphics/draw_snapshot.h"
#include "library/graphics/softsurface.h"
#include "library/softrender/blend_rules.h"
#include "library/softrender/blit_setup.h"

namespace veziv::softrender {

// The colour with the brightness applied by a shift: 255 becomes 254 under any
// partial tint, and byte 3 of a 32-bit colour is kept. A 16-bit colour is
// scaled field by field and repacked.
constexpr uint32_t PrepareFlatColour(uint32_t colour, int32_t type, uint32_t brightness) {
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

// The prepared colour and the tables of the call's parameter.
struct FlatPen {
  uint32_t colour;
  RuleTables rules;
};

// 32-bit targets: the rules of the blend module with a constant, untinted
// source and no weight but the parameter.
struct Flat32 {
  static constexpr int kBytes = 4;
  template <BlendRule R>
  static void Draw(uint8_t* dp, const FlatPen& pen) {
    Store32(dp, BlendPixel32<R, false, 0>(Load32(dp), pen.colour, 1, pen.rules));
  }
};

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

// Prepares the pen and calls fn(Format, RuleTag<R>) with the target's format
// and the rule of the snapshot's mode and parameter. False, without calling,
// when the mode draws nothing or the format has no flat rules.
template <class Fn>
bool WithFlatRule(const SOFTSURFACE& target, uint32_t colour, const SoftDrawSnapshot& draw, FlatPen* pen, Fn fn) {
  const uint32_t p = ClampedParam(draw);
  BlendRule rule;
  if (!ChooseRule(draw.blendMode, p, false, &rule)) return false;
  const int32_t type = target.base->type;
  pen->colour = PrepareFlatColour(colour, type, draw.brightness);
  pen->rules = MakeRuleTables(draw, p);
  if (type == kSoftType32) {
    CallWithRule<Flat32>(rule, fn);
    return true;
  }
  return false;
}

// The draw area ordered and limited to the target view; empty when
// right <= left or bottom <= top.
inline ClipBox DrawAreaInView(const SOFTSURFACE& target, const SoftDrawSnapshot& draw) {
  return ClipToDrawArea(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, draw.drawArea, target);
}

}  // namespace veziv::softrender
