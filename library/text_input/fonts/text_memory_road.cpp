// The memory road: glyphs written pixel by pixel from a font's memory cache
// into a software image, straight into the draw target or through a
// screen-sized work image that is then blended onto it as one picture.
#include <algorithm>

#include "library/graphics/draw_state.h"
#include "library/graphics/screen_mode.h"
#include "library/graphics/soft_renderer_calls.h"
#include "library/graphics/softsurface.h"
#include "library/text_input/fonts/glyph_raster.h"
#include "library/text_input/fonts/text_drawing.h"
#include "library/text_input/fonts/text_roads.h"

namespace veziv {
namespace detail {
namespace {

void StorePixel(SOFTSURFACE* target, int x, int y, uint32_t colour, int alpha) {
  const SoftSurfaceShared& b = *target->base;
  uint8_t* p = target->pixels + static_cast<ptrdiff_t>(y) * b.pitch + static_cast<ptrdiff_t>(x) * b.bytesPerPixel;
  switch (b.bytesPerPixel) {
    case 1:
      p[0] = static_cast<uint8_t>(colour);
      break;
    case 2:
      p[0] = static_cast<uint8_t>(colour);
      p[1] = static_cast<uint8_t>(colour >> 8);
      break;
    default:
      if (b.type == kSoftType16) {
        // A 16-bit pixel with alpha: the colour word, then the alpha byte.
        p[0] = static_cast<uint8_t>(colour);
        p[1] = static_cast<uint8_t>(colour >> 8);
        if (b.alphaFlag == 1) p[2] = static_cast<uint8_t>(alpha);
      } else {
        p[0] = static_cast<uint8_t>(colour);
        p[1] = static_cast<uint8_t>(colour >> 8);
        p[2] = static_cast<uint8_t>(colour >> 16);
        p[3] = b.alphaFlag == 1 ? static_cast<uint8_t>(alpha) : static_cast<uint8_t>(colour >> 24);
      }
      break;
  }
}

}  // namespace

MixedPixel MixAntialiasPixel(int cellByte, bool edged, uint32_t text, uint32_t edge, bool sixteen) {
  const int b = cellByte & 15, e = edged ? cellByte >> 4 & 15 : 0;
  if (b == 0) return e > 0 ? MixedPixel{edge, e * 16} : MixedPixel{0, 0};
  if (b == 15) return MixedPixel{text, 255};
  const int a = (15 - b) * e + 16 * b;
  const int t = b * 4096 / a;
  struct Channel {
    int shift, bits;
  };
  const Channel channels8[3] = {{16, 8}, {8, 8}, {0, 8}}, channels16[3] = {{11, 5}, {5, 6}, {0, 5}};
  uint32_t colour = 0;
  for (const Channel c : sixteen ? channels16 : channels8) {
    const int mask = (1 << c.bits) - 1;
    const int tc = int(text >> c.shift) & mask, ec = int(edge >> c.shift) & mask;
    colour |= uint32_t(ec + (tc - ec) * t / 256) << c.shift;
  }
  return MixedPixel{colour, a};
}

void DrawGlyphIntoImage(const FontHandleData& font, const FontGlyphCell& cell, const GlyphSpot& spot,
                        SOFTSURFACE* target, const DrawRect& clip, const TextColours& colours) {
  if (!SoftSurfaceIsValid(target) || font.memoryCache == nullptr) return;
  SoftSurfaceShared& base = *target->base;
  const bool smooth = (font.type & 2) != 0, edged = (font.type & 1) != 0;
  // Smoothed glyphs need a picture with alpha to be blended from.
  if (smooth && base.alphaFlag != 1) return;
  DrawRect limit{0, 0, target->width, target->height};
  ClipRectToRect(&limit, &clip);
  const DrawRect box = GlyphBox(font, cell, spot);
  // The cell's columns i and rows j that land inside the limit.
  int i0 = 0, i1 = cell.width, j0 = 0, j1 = cell.height;
  if (!spot.vertical) {
    i0 = std::max(i0, limit.left - box.left);
    i1 = std::min(i1, limit.right - box.left);
    j0 = std::max(j0, limit.top - box.top);
    j1 = std::min(j1, limit.bottom - box.top);
  } else {
    // Column i goes to row box.top + i, row j to column box.right - 1 - j.
    i0 = std::max(i0, limit.top - box.top);
    i1 = std::min(i1, limit.bottom - box.top);
    j0 = std::max(j0, box.right - limit.right);
    j1 = std::min(j1, box.right - limit.left);
  }
  if (i0 >= i1 || j0 >= j1) return;
  base.runTableValid = 0;
  base.alphaPlaneValid = 0;

  FontCacheLayout layout;
  layout.cellSide = font.cellSide;
  layout.cellsPerColumn = font.cellsPerColumn;
  int cx = 0, cy = 0;
  CellPosition(layout, cell.cellIndex, &cx, &cy);
  const bool sixteen = base.type == kSoftType16;
  for (int j = j0; j < j1; ++j) {
    const uint8_t* row = font.memoryCache + static_cast<ptrdiff_t>(cy + j) * font.memoryPitch;
    for (int i = i0; i < i1; ++i) {
      const int x = spot.vertical ? box.right - 1 - j : box.left + i;
      const int y = spot.vertical ? box.top + i : box.top + j;
      if (font.type == FontTypeNormal) {
        if ((row[(cx + i) >> 3] >> (7 - ((cx + i) & 7)) & 1) != 0) StorePixel(target, x, y, colours.text, 255);
      } else if (!smooth) {
        const uint8_t v = row[cx + i];
        if (v == 1) StorePixel(target, x, y, colours.text, 255);
        else if (v == 2) StorePixel(target, x, y, colours.edge, 255);
      } else {
        const MixedPixel m = MixAntialiasPixel(row[cx + i], edged, colours.text, colours.edge, sixteen);
        StorePixel(target, x, y, m.colour, m.alpha);
      }
    }
  }
}

}  // namespace detail

int DrawTextWithMemoryCache(const char* text, uint32_t colour, int font, uint32_t edgeColour, int vertical, int x,
                            int y) {
  const FontHandleData* record = GetFontRecord(font);
  if (record == nullptr) return 0;
  int size[2] = {0, 0};
  if (ProcessTextWithFont(0, 0, 0, 0, 1.0, 1.0, text, colour, nullptr, nullptr, 0, font, edgeColour, -1, vertical,
                          size) < 0) {
    return 0;
  }
  const bool smooth = (record->type & 2) != 0;
  const int mode = GetBlendMode(), param = GetBlendParam();
  if (!smooth && (mode == 0 || (mode == 1 && param == 255))) {
    const DrawRect area = GetDrawArea();
    ProcessTextWithFont(1, x, y, 0, 1.0, 1.0, text, colour, CurrentDrawTargetImage(), &area, 1, font, edgeColour, -1,
                        vertical, nullptr);
    return 0;
  }

  // Blended text goes through a work image so that the blend applies to the string as one picture.
  SOFTSURFACE* work = GetStringWorkSoftSurface(smooth ? 1 : 0);
  if (work == nullptr) return 0;
  const DrawRect keptArea = GetDrawArea();
  const uint32_t keptBrightness = GetDrawColorWord() & 0xFFFFFFu;
  int screenWidth = 0, screenHeight = 0;
  GetScreenSizeOrDefault(&screenWidth, &screenHeight);
  DrawRect workArea{0, 0, size[0], size[1]};
  const DrawRect screen{0, 0, screenWidth, screenHeight};
  ClipRectToRect(&workArea, &screen);
  SetDrawAreaDirect(workArea);
  if (smooth) {
    SoftSurfaceFillRaw(work, &workArea, 0);
  } else {
    const detail::TextColours colours = detail::TakeTextColours(colour, edgeColour);
    uint32_t key = work->base->transparentValue;
    while (key == colours.text || key == colours.edge) ++key;
    work->base->transparentValue = key;
    SoftSurfaceFillRaw(work, &workArea, key);
  }
  ProcessTextWithFont(1, 0, 0, 0, 1.0, 1.0, text, colour, work, &workArea, 1, font, edgeColour, -1, vertical, nullptr);

  SetDrawColorScale(255, 255, 255);
  DrawRect box{x, y, x + size[0], y + size[1]};
  ClipRectToRect(&box, &keptArea);
  SetDrawAreaDirect(box);
  SOFTSURFACE* target = CurrentDrawTargetImage();
  SoftDrawSnapshot draw;
  FillSoftDrawSnapshot(&draw);
  if (SoftSurfaceIsValid(target) && SoftRenderer().blit) {
    SoftRenderer().blit(target, work, x, y, 1, CurrentBlendImage(), draw);
  }
  SetDrawAreaDirect(keptArea);
  SetDrawColorScalePacked(keptBrightness);
  return 0;
}

}  // namespace veziv
