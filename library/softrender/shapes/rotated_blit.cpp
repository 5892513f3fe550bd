// The rotated blit's entry and set-up: refusals, the turned corners, the
// bounding box with its margin clipped to the draw area, the texel position
// of the box's first pixel and the column and row steps, then a row loop per
// box row. Floating point is used only here, rounded to float where the
// fixed-point values are taken.
#include <algorithm>
#include <cmath>

#include "library/foundation/core/helpers.h"
#include "library/softrender/shapes/rotated_blit.h"
#include "library/softrender/shapes/rotated_scan.h"
#include "library/softrender/triangle/triangle.h"
#include "library/softrender/triangle/triangle_spans.h"

namespace veziv::softrender {

namespace {

constexpr double kOne = kFixedOne;

// The value rounded to float, then truncated toward zero; values beyond the
// 64-bit range are held at its ends.
int64_t TruncateRounded(double value) {
  const double f = std::trunc(double(static_cast<float>(value)));
  if (f >= 9.2e18) return INT64_MAX;
  if (f <= -9.2e18) return INT64_MIN;
  return static_cast<int64_t>(f);
}

// sin and cos of angle, taken in long double and rounded to float (as
// SinCosFloat gives them), times one texel, truncated.
void FixedSinCos(float angle, int64_t* sine, int64_t* cosine) {
  float s, c;
  SinCosFloat(angle, &s, &c);
  *sine = TruncateRounded(s * kOne);
  *cosine = TruncateRounded(c * kOne);
}

// The corners from the fixed sine and cosine of the angle.
RotatedCorners TurnCornersBy(uint32_t width, uint32_t height, int32_t centreX, int32_t centreY, int64_t st,
                             int64_t ct, float scale) {
  const double hw = double(width) * scale * 0.5, hh = double(height) * scale * 0.5;
  const double P = static_cast<float>(double(ct) * hw), Q = static_cast<float>(double(st) * hw);
  const double R = static_cast<float>(double(ct) * hh), S = static_cast<float>(double(st) * hh);
  const double cornerX[4] = {S - P, -P - S, P - S, P + S};
  const double cornerY[4] = {-R - Q, R - Q, R + Q, Q - R};
  RotatedCorners c;
  for (int i = 0; i < 4; ++i) {
    c.x[i] = TruncateRounded(cornerX[i]) + int64_t{centreX} * (1 << kFixedShift);
    c.y[i] = TruncateRounded(cornerY[i]) + int64_t{centreY} * (1 << kFixedShift);
  }
  return c;
}

}  // namespace

RotatedCorners TurnCorners(uint32_t width, uint32_t height, int32_t centreX, int32_t centreY, float angle,
                           float scale) {
  int64_t st, ct;
  FixedSinCos(angle, &st, &ct);
  return TurnCornersBy(width, height, centreX, centreY, st, ct, scale);
}

bool SetUpRotatedScan(uint32_t width, uint32_t height, int32_t centreX, int32_t centreY, float angle, float scale,
                      const DrawRect& drawArea, const SOFTSURFACE& target, RotatedScan* scan) {
  // A zero scale has no inverse; its image has no area either.
  if (!std::isfinite(scale) || scale == 0 || !std::isfinite(angle)) return false;
  const float inv = static_cast<float>(1.0 / scale);
  if (!std::isfinite(inv)) return false;

  // The turn back by -angle: the sine is odd and the cosine even, exactly so
  // in the library's long double forms.
  int64_t st, ct;
  FixedSinCos(angle, &st, &ct);
  const int64_t sn = -st, cn = ct;
  const RotatedCorners c = TurnCornersBy(width, height, centreX, centreY, st, ct, scale);
  int64_t minX = c.x[0], maxX = c.x[0], minY = c.y[0], maxY = c.y[0];
  for (int i = 1; i < 4; ++i) {
    minX = std::min(minX, c.x[i]);
    maxX = std::max(maxX, c.x[i]);
    minY = std::min(minY, c.y[i]);
    maxY = std::max(maxY, c.y[i]);
  }
  // Whole pixels toward zero, with a margin of 2 before and 4 after.
  const int64_t one = 1 << kFixedShift;
  const ClipBox box = ClipToDrawArea(minX / one - 2, minY / one - 2, maxX / one + 4, maxY / one + 4, drawArea, target);
  if (box.right <= box.left || box.bottom <= box.top) return false;

  const int64_t du = TruncateRounded(double(ct) * inv), dv = TruncateRounded(double(sn) * inv);
  const int64_t halfW = int64_t{width >> 1} * one, halfH = int64_t{height >> 1} * one;
  // The walk is checked in 128 bits: a vanishing scale makes the steps and
  // texels saturate, and the sums below must not overflow on the way to
  // refusing them.
  using Wide = __int128;
  // Texel coordinates of the box pixel (x, y), from its offset to the centre.
  const auto texel = [&](int64_t x, int64_t y, Wide* u, Wide* v) {
    const int64_t dx = x - centreX, dy = y - centreY;
    *u = Wide{TruncateRounded(double(dx * cn - dy * sn) * inv)} + halfW;
    *v = Wide{TruncateRounded(double(dy * cn + dx * sn) * inv)} + halfH;
  };
  Wide u, v, u2, v2;
  texel(box.left, box.top, &u, &v);
  texel(box.left, box.bottom, &u2, &v2);
  const int64_t rows = box.bottom - box.top, columns = box.right - box.left;
  const Wide rowU = (u2 - u) / rows, rowV = (v2 - v) / rows;

  // Every coordinate of the box must fit the 32-bit fixed point: the walk over
  // it is affine, so its four corners bound it (the steps' truncation drifts
  // by less than one unit a pixel).
  const Wide limit = (Wide{1} << 31) - 4 * (columns + rows) - 4;
  for (int64_t j : {int64_t{0}, rows - 1})
    for (int64_t i : {int64_t{0}, columns - 1}) {
      const Wide cu = u + Wide{i} * du + Wide{j} * rowU, cv = v + Wide{i} * dv + Wide{j} * rowV;
      if (cu <= -limit || cu >= limit || cv <= -limit || cv >= limit) return false;
    }
  // A single row or column checks no step across it: a step that does not
  // fit 64 bits is no walk at all.
  const Wide stepLimit = Wide{INT64_MAX};
  if (rowU > stepLimit || rowU < -stepLimit || rowV > stepLimit || rowV < -stepLimit) return false;
  const int64_t sizeLimit = int64_t{1} << (31 - kFixedShift);
  if (int64_t{width} >= sizeLimit || int64_t{height} >= sizeLimit) return false;

  scan->box = box;
  scan->u = static_cast<uint32_t>(u);
  scan->v = static_cast<uint32_t>(v);
  scan->du = static_cast<uint32_t>(du);
  scan->dv = static_cast<uint32_t>(dv);
  scan->rowU = static_cast<uint32_t>(rowU);
  scan->rowV = static_cast<uint32_t>(rowV);
  return true;
}

}  // namespace veziv::softrender

namespace veziv {

using namespace softrender;

namespace {

// Whole pixels of a fixed-point position, rounded down so that positions just
// left of or above 0 do not shift by one, held to the 32-bit range.
int32_t FloorToPixel(int64_t fixed) {
  return static_cast<int32_t>(std::clamp<int64_t>(fixed >> kFixedShift, INT32_MIN, INT32_MAX));
}

// The mirrored form: the turned corners handed to the quad fill so that the
// source's left edge lands on the turned right edge.
void DrawTurnedThroughQuad(SOFTSURFACE* target, const SOFTSURFACE* source, int32_t centreX, int32_t centreY,
                           float angle, float scale, int32_t transparencyFlag, const SOFTSURFACE* blendImage,
                           const SoftDrawSnapshot& draw) {
  if (!std::isfinite(scale) || scale == 0 || !std::isfinite(angle)) return;
  const RotatedCorners c = TurnCorners(uint32_t(source->width), uint32_t(source->height), centreX, centreY, angle,
                                       scale);
  int32_t corners[8];
  const int order[4] = {3, 0, 2, 1};
  for (int i = 0; i < 4; ++i) {
    corners[2 * i] = FloorToPixel(c.x[order[i]]);
    corners[2 * i + 1] = FloorToPixel(c.y[order[i]]);
  }
  SoftSurfaceFillQuad(target, source, corners, transparencyFlag, blendImage, draw);
}

}  // namespace

void SoftSurfaceBlitRotated(SOFTSURFACE* target, const SOFTSURFACE* source, int32_t centreX, int32_t centreY,
                            float angle, float scale, int32_t transparencyFlag, int32_t turnFlag,
                            const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw) {
  if (!target || !source || !target->base || !source->base || !draw.tables) return;
  const SoftSurfaceShared& sb = *source->base;
  const SoftSurfaceShared& tb = *target->base;
  if (sb.type != tb.type || tb.paletteFlag == 1 || tb.alphaFlag == 1) return;
  if (source->width <= 0 || source->height <= 0) return;
  if (blendImage && !blendImage->base) blendImage = nullptr;
  // The blend image is read at source texels, so it must cover the source.
  if (blendImage && (blendImage->width < source->width || blendImage->height < source->height)) return;
  if (turnFlag != 0) {
    DrawTurnedThroughQuad(target, source, centreX, centreY, angle, scale, transparencyFlag, blendImage, draw);
    return;
  }
  const bool palette = sb.paletteFlag == 1;
  if (palette && !sb.palette) return;
  if (tb.type != kSoftType16 && tb.type != kSoftType32) return;

  RotatedScan scan;
  if (!SetUpRotatedScan(uint32_t(source->width), uint32_t(source->height), centreX, centreY, angle, scale,
                        draw.drawArea, *target, &scan))
    return;
  const uint32_t p = ClampedParam(draw);
  BlendRule rule;
  // Palette sources subtract a zero colour at p = 0 instead of drawing nothing.
  if (!ChooseRule(draw.blendMode, p, palette, &rule)) return;

  TriangleSpanSetup k{};
  k.target = target->pixels;
  k.targetPitch = tb.pitch;
  k.source = source->pixels;
  k.sourcePitch = sb.pitch;
  k.widthBound = uint32_t(source->width) << kFixedShift;
  k.heightBound = uint32_t(source->height) << kFixedShift;
  if (blendImage) {
    k.blend = blendImage->pixels;
    k.blendPitch = blendImage->base->pitch;
    k.blendAlpha = draw.blendAlphaTable;
    if (!k.blendAlpha) return;
  }
  // Every loop reads the source's own palette, so no entry is stale.
  k.palette = palette ? sb.palette : nullptr;
  k.key = sb.transparentValue;
  k.rules = {MakeRuleTables(draw, p), &draw.tables->SignedProductTable[p][256]};
  const SpanSource kind = palette ? SpanSource::kPalette : SpanSource::kDirect;
  const LoopOptions o = ChooseOptions(draw, sb, blendImage, transparencyFlag);
  const TriangleSpanLoop loop = tb.type == kSoftType32 ? ChooseSpanLoop<kSoftType32>(kind, rule, o)
                                                       : ChooseSpanLoop<kSoftType16>(kind, rule, o);

  TriangleSpan row{static_cast<int32_t>(scan.box.top), static_cast<int32_t>(scan.box.left),
                   static_cast<int32_t>(scan.box.right - scan.box.left), scan.u, scan.v, scan.du, scan.dv};
  MarkDrawn(*target);
  const TriangleRowsLoop rows = tb.type == kSoftType32 ? ChooseWideRowsLoop(kind, rule, o) : nullptr;
  if (rows) {
    rows(k, row, int32_t(scan.box.bottom), scan.rowU, scan.rowV, loop);
    return;
  }
  for (; row.row < scan.box.bottom; ++row.row, row.u += scan.rowU, row.v += scan.rowV) loop(k, row);
}

}  // namespace veziv
