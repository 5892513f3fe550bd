// The scaled blit's entry: normalises and mirrors the destination rectangle,
// hands an unscaled request to the unscaled blit, computes the 16.16 spans and
// the clipped start in 64 bits, and hands over to a family's loop.
#include <algorithm>

#include "library/softrender/blit/blit.h"
#include "library/softrender/blit/blit_setup.h"

namespace veziv {

using namespace softrender;

void SoftSurfaceBlitScaled(SOFTSURFACE* target, const SOFTSURFACE* source, const int32_t rect[4],
                           int32_t transparencyFlag, const SOFTSURFACE* blendImage,
                           const SoftDrawSnapshot& draw) {
  if (!target || !source || !rect || !target->base || !source->base || !draw.tables) return;
  const int64_t left = std::min(rect[0], rect[2]), right = std::max(rect[0], rect[2]);
  const int64_t top = std::min(rect[1], rect[3]), bottom = std::max(rect[1], rect[3]);
  const int dirX = rect[0] > rect[2] ? -1 : 1;
  const int dirY = rect[1] > rect[3] ? -1 : 1;
  const int64_t W = right - left, H = bottom - top;
  if (W == 0 || H == 0) return;
  if (W == source->width && H == source->height && dirX == 1 && dirY == 1) {
    SoftSurfaceBlit(target, source, static_cast<int32_t>(left), static_cast<int32_t>(top), transparencyFlag,
                    blendImage, draw);
    return;
  }

  const SoftSurfaceShared& sb = *source->base;
  const SoftSurfaceShared& tb = *target->base;
  if (sb.type != tb.type || tb.paletteFlag == 1 || tb.alphaFlag == 1 || !Drawable(sb)) return;
  if (blendImage && !blendImage->base) blendImage = nullptr;
  const int64_t sw = source->width, sh = source->height;
  if (sw <= 0 || sh <= 0) return;
  const int64_t spanX = (W << 16) / sw, spanY = (H << 16) / sh;
  if (spanX == 0 || spanY == 0) return;

  const ClipBox box = ClipToDrawArea(left, top, right, bottom, draw.drawArea, *target);
  const int64_t cw = box.right - box.left, ch = box.bottom - box.top;
  if (cw <= 0 || ch <= 0) return;
  const int64_t cx = box.left - left, cy = box.top - top;
  const int64_t sx0 = (cx << 16) / spanX, remX = (cx << 16) % spanX;
  const int64_t sy0 = (cy << 16) / spanY, remY = (cy << 16) % spanY;
  // The last drawn column and row must still be inside the source (the spans
  // are rounded down, which a source of 65536 pixels or more could overrun).
  if (((cx + cw - 1) << 16) / spanX >= sw || ((cy + ch - 1) << 16) / spanY >= sh) return;

  const uint32_t p = ClampedParam(draw);
  const int64_t firstCol = dirX == 1 ? sx0 : sw - 1 - sx0;
  const int64_t firstRow = dirY == 1 ? sy0 : sh - 1 - sy0;
  ScaledSetup k{};
  k.cw = static_cast<int32_t>(cw);
  k.ch = static_cast<int32_t>(ch);
  k.src = source->pixels;
  k.srcStart = firstRow * sb.pitch + firstCol * sb.bytesPerPixel;
  k.srcXStep = dirX * sb.bytesPerPixel;
  k.srcRowStep = dirY * sb.pitch;
  if (blendImage) {
    const int32_t bp = blendImage->base->pitch;
    k.blend = blendImage->pixels;
    k.blendStart = firstRow * bp + firstCol;
    k.blendXStep = dirX;
    k.blendRowStep = dirY * bp;
    k.blendAlpha = draw.blendAlphaTable;
    if (!k.blendAlpha) return;
  }
  k.dst = target->pixels + box.top * tb.pitch + box.left * tb.bytesPerPixel;
  k.dstPitch = tb.pitch;
  k.spanX = spanX;
  k.spanY = spanY;
  k.accX0 = spanX - remX;
  k.accY0 = spanY - remY;
  k.rules = MakeRuleTables(draw, p);
  k.differenceRow = &draw.tables->SignedProductTable[p][256];
  k.key = sb.transparentValue;
  k.mmx = draw.mmxUsable;

  k.palette = sb.palette;
  const LoopOptions o = ChooseOptions(draw, sb, blendImage, transparencyFlag);
  const bool palette = sb.paletteFlag == 1, sixteen = sb.type == kSoftType16;
  BlendRule rule;
  if (!ChooseRule(draw.blendMode, p, palette, &rule)) return;
  ScaledLoop loop;
  if (palette)
    loop = sixteen ? ChooseScaledPalette16Loop(rule, p, o) : ChooseScaledPalette32Loop(rule, p, o, draw.mmxUsable);
  else
    loop = sixteen ? ChooseScaled16Loop(rule, p, o) : ChooseScaled32Loop(rule, p, o, draw.mmxUsable);
  loop(k);
  MarkDrawn(*target);
}

}  // namespace veziv
