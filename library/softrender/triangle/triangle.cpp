// The triangle and quad entries: refusals, the draw area limited to the
// target, the family and loop chosen once per call, the flat colour prepared,
// then the edge walk hands each row to the loop.
#include "library/softrender/triangle/triangle.h"

#include <algorithm>

#include "library/softrender/triangle/quad_split.h"
#include "library/softrender/triangle/triangle_spans.h"

namespace veziv::softrender {
namespace {

// The draw area inside the target view; an inverted area stays empty.
DrawRect TargetDrawArea(const SOFTSURFACE& target, const DrawRect& area) {
  return {std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, target.width),
          std::min(area.bottom, target.height)};
}

// The flat colour with the brightness applied through the product table; a
// 32-bit colour keeps its top byte, a 16-bit one is taken from its low 16 bits.
uint32_t PrepareFlatColour(uint32_t colour, int32_t targetType, const RuleTables& t) {
  if (targetType == kSoftType32) {
    return (colour & 0xFF000000u) | t.tint[2][Byte(colour, 2)] << 16 | t.tint[1][Byte(colour, 1)] << 8 |
           t.tint[0][Byte(colour, 0)];
  }
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) out |= t.tint[c][Field565(colour, c)] << kFieldShift565[c];
  return out;
}

TriangleSpanLoop ChooseLoop(int32_t type, SpanSource kind, BlendRule rule, const LoopOptions& o) {
  return type == kSoftType32 ? ChooseSpanLoop<kSoftType32>(kind, rule, o) : ChooseSpanLoop<kSoftType16>(kind, rule, o);
}

uint32_t TexelBound(int32_t size) {
  // Sizes beyond 16383 texels saturate; no coordinate reaches past them anyway.
  return static_cast<uint32_t>(std::min<int64_t>(int64_t{std::max(size, 0)} << kFixedShift, UINT32_MAX));
}

}  // namespace
}  // namespace veziv::softrender

namespace veziv {

using namespace softrender;

void SoftSurfaceFillTriangle(SOFTSURFACE* target, const SOFTSURFACE* source, const TriangleVertex* vertices,
                             int32_t transparencyFlag, const SOFTSURFACE* blendImage, uint32_t colour,
                             const SoftDrawSnapshot& draw) {
  if (!target || !target->base || !vertices || !draw.tables) return;
  if (source && !source->base) return;
  const SoftSurfaceShared& tb = *target->base;
  if (tb.paletteFlag == 1 || tb.alphaFlag == 1) return;
  if (tb.type != kSoftType16 && tb.type != kSoftType32) return;
  if (source && source->base->type != tb.type) return;
  if (source && source->base->paletteFlag == 1 && !source->base->palette) return;

  const uint32_t p = ClampedParam(draw);
  BlendRule rule;
  // Palette sources subtract a zero colour at p = 0 instead of drawing nothing.
  if (!ChooseRule(draw.blendMode, p, source && source->base->paletteFlag == 1, &rule)) return;

  TriangleSetup walk;
  if (!SetUpTriangle(vertices, source != nullptr, &walk)) return;

  TriangleSpanSetup k{};
  k.target = target->pixels;
  k.targetPitch = tb.pitch;
  k.rules = {MakeRuleTables(draw, p), &draw.tables->SignedProductTable[p][256]};
  TriangleSpanLoop loop;
  if (!source) {
    k.colour = PrepareFlatColour(colour, tb.type, k.rules.common);
    loop = ChooseLoop(tb.type, SpanSource::kFlat, rule, {});
  } else {
    const SoftSurfaceShared& sb = *source->base;
    if (blendImage && blendImage->base) {
      if (!draw.blendAlphaTable) return;
      k.blend = blendImage->pixels;
      k.blendPitch = blendImage->base->pitch;
      k.blendAlpha = draw.blendAlphaTable;
    }
    k.source = source->pixels;
    k.sourcePitch = sb.pitch;
    k.widthBound = TexelBound(source->width);
    k.heightBound = TexelBound(source->height);
    k.palette = sb.palette;
    k.key = sb.transparentValue;
    const LoopOptions o = ChooseOptions(draw, sb, k.blend ? blendImage : nullptr, transparencyFlag);
    loop = ChooseLoop(tb.type, sb.paletteFlag == 1 ? SpanSource::kPalette : SpanSource::kDirect, rule, o);
  }
  auto drawSpan = [loop, &k](const TriangleSpan& span) { loop(k, span); };
  MarkDrawn(*target);
  WalkTriangle(walk, TargetDrawArea(*target, draw.drawArea), MakeSpanSink(drawSpan));
}

void SoftSurfaceFillQuad(SOFTSURFACE* target, const SOFTSURFACE* source, const int32_t* corners,
                         int32_t transparencyFlag, const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw) {
  if (!target || !source || !corners) return;
  const int32_t w = source->width, h = source->height;
  const TriangleVertex quad[4] = {{corners[0], corners[1], 0, 0},
                                  {corners[2], corners[3], w, 0},
                                  {corners[4], corners[5], 0, h},
                                  {corners[6], corners[7], w, h}};
  if (!QuadBoxMeetsArea(quad, draw.drawArea)) return;
  TriangleVertex triangles[6];
  SplitQuad(quad, QuadCornerOrder::kZ, triangles);
  SoftSurfaceFillTriangle(target, source, triangles, transparencyFlag, blendImage, 0, draw);
  SoftSurfaceFillTriangle(target, source, triangles + 3, transparencyFlag, blendImage, 0, draw);
}

}  // namespace veziv
