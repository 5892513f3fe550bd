// The unscaled blit's entry: refuses what it cannot draw, clips the source
// against the draw area, picks the run-table or general path, prepares the
// pointers, pitches and table rows, and hands over to a family's loop.
#include <algorithm>
#include <climits>
#include <cstring>

#include "library/softrender/blit/blit.h"
#include "library/softrender/blit/blit_setup.h"

namespace veziv::softrender {

namespace {

int32_t Saturate32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

ClipBox ClipToDrawArea(int64_t left, int64_t top, int64_t right, int64_t bottom, const DrawRect& area,
                       const SOFTSURFACE& target) {
  // An unordered area is ordered, and no area reaches outside the target view.
  DrawRect clip{std::max(std::min(area.left, area.right), 0), std::max(std::min(area.top, area.bottom), 0),
                std::min(std::max(area.left, area.right), target.width),
                std::min(std::max(area.top, area.bottom), target.height)};
  if (clip.right <= clip.left || clip.bottom <= clip.top) return ClipBox{0, 0, 0, 0};
  // Positions beyond the 32-bit range clip as the range's ends do.
  DrawRect r{Saturate32(left), Saturate32(top), Saturate32(right), Saturate32(bottom)};
  ClipRectToRect(&r, &clip);
  return ClipBox{r.left, r.top, r.right, r.bottom};
}

bool IsTinted(const SoftDrawSnapshot& draw) { return (draw.drawBrightness & 0xFFFFFFu) != 0xFFFFFFu; }

uint32_t ClampedParam(const SoftDrawSnapshot& draw) {
  return static_cast<uint32_t>(std::clamp<int32_t>(draw.blendParam, 0, 255));
}

RuleTables MakeRuleTables(const SoftDrawSnapshot& draw, uint32_t p) {
  const auto& product = draw.tables->ProductTable;
  return RuleTables{{product[draw.drawBrightness & 0xFF], product[(draw.drawBrightness >> 8) & 0xFF],
                     product[(draw.drawBrightness >> 16) & 0xFF]},
                    product[p],
                    p};
}

bool Drawable(const SoftSurfaceShared& source) {
  if (source.type != kSoftType16 && source.type != kSoftType32) return false;
  return source.paletteFlag != 1 || source.palette != nullptr;
}

void MarkDrawn(SOFTSURFACE& target) { target.base->runTableValid = 0; }

LoopOptions ChooseOptions(const SoftDrawSnapshot& draw, const SoftSurfaceShared& source,
                          const SOFTSURFACE* blendImage, int32_t transparencyFlag) {
  return LoopOptions{blendImage != nullptr, IsTinted(draw), source.alphaFlag == 1, transparencyFlag != 0};
}

bool TakesRunTablePath(const SOFTSURFACE& source, int32_t transparencyFlag, int32_t w, int32_t h) {
  const SoftSurfaceShared& b = *source.base;
  // The table describes the whole image from its first pixel, so a view of
  // part of the image must not walk it.
  const bool wholeImage = source.width == b.width && source.height == b.height && source.pixels == b.pixels;
  // A table built before the transparent value changed classes other pixels
  // as transparent than the general loops do.
  const bool sameKey = b.alphaFlag == 1 || b.runTableTransparentValue == b.transparentValue;
  return transparencyFlag == 1 && b.runTableValid == 1 && b.runTable && w == source.width && h == source.height &&
         wholeImage && sameKey;
}

uint32_t PackTransparentValue(const SoftSurfaceShared& source) {
  const uint32_t t = source.transparentValue;
  if (source.paletteFlag == 1) return t | t << 8 | t << 16 | t << 24;
  if (source.type == kSoftType16) return (t & 0xFFFF) | t << 16;
  return t;
}

}  // namespace veziv::softrender

namespace veziv {

using namespace softrender;

void SoftSurfaceBlit(SOFTSURFACE* target, const SOFTSURFACE* source, int32_t x, int32_t y,
                     int32_t transparencyFlag, const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw) {
  if (!target || !source || !target->base || !source->base || !draw.tables) return;
  const SoftSurfaceShared& sb = *source->base;
  const SoftSurfaceShared& tb = *target->base;
  if (sb.type != tb.type || tb.paletteFlag == 1 || tb.alphaFlag == 1 || !Drawable(sb)) return;
  if (blendImage && !blendImage->base) blendImage = nullptr;

  const ClipBox box = ClipToDrawArea(x, y, int64_t{x} + source->width, int64_t{y} + source->height,
                                     draw.drawArea, *target);
  const int32_t w = static_cast<int32_t>(box.right - box.left);
  const int32_t h = static_cast<int32_t>(box.bottom - box.top);
  if (w <= 0 || h <= 0) return;
  const int64_t sx = box.left - x, sy = box.top - y;

  const bool runTablePath = TakesRunTablePath(*source, transparencyFlag, w, h);

  const uint32_t p = ClampedParam(draw);
  BlitSetup k{};
  k.w = w;
  k.h = h;
  k.srcPitch = sb.pitch;
  k.src = source->pixels + sy * sb.pitch + sx * sb.bytesPerPixel;
  k.dstPitch = tb.pitch;
  k.dst = target->pixels + box.top * tb.pitch + box.left * tb.bytesPerPixel;
  if (blendImage) {
    k.blendPitch = blendImage->base->pitch;
    k.blend = blendImage->pixels + sy * k.blendPitch + sx;
    k.blendAlpha = draw.blendAlphaTable;
    if (!k.blendAlpha) return;
  }
  k.rules = MakeRuleTables(draw, p);
  k.differenceRow = &draw.tables->SignedProductTable[p][256];
  k.blend6Block = &draw.tables->Blend6Table[p / 4][0][0];
  k.key = sb.transparentValue;
  k.packedKey = PackTransparentValue(sb);
  k.mmx = draw.mmxUsable;
  k.runTable = runTablePath ? sb.runTable : nullptr;

  k.palette = sb.palette;
  const LoopOptions o = ChooseOptions(draw, sb, blendImage, transparencyFlag);
  const bool palette = sb.paletteFlag == 1, sixteen = sb.type == kSoftType16;
  BlendRule rule;
  if (!ChooseRule(draw.blendMode, p, palette, &rule)) return;

  BlitLoop loop;
  if (runTablePath)
    loop = ChooseRunLoop(rule, o, sixteen, palette);
  else if (palette)
    loop = sixteen ? ChoosePalette16Loop(rule, p, o) : ChoosePalette32Loop(rule, p, o, draw.mmxUsable);
  else
    loop = sixteen ? ChooseGeneral16Loop(rule, p, o) : ChooseGeneral32Loop(rule, p, o, draw.mmxUsable);
  loop(k);
  MarkDrawn(*target);
}

}  // namespace veziv
