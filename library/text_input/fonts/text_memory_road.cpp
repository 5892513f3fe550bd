// The memory road: glyphs written pixel by pixel from a font's memory cache
// into a software image, straight into the draw target or through a
// screen-sized work image that is then blended onto it as one picture.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/graphics/screen/primary_soft_surface.h"
#include "library/graphics/graphs/soft_renderer_calls.h"
#include "library/softrender/surface/softsurface.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/text_drawing.h"
#include "library/text_input/fonts/text_roads.h"

namespace veziv {
namespace detail {
namespace {

// Pixel stores for the target's layouts.
struct Store8 {
  void operator()(uint8_t* p, uint32_t colour, int) const { p[0] = static_cast<uint8_t>(colour); }
};
struct Store16 {
  void operator()(uint8_t* p, uint32_t colour, int) const {
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
  }
};
// A 16-bit pixel with alpha: the colour word, then the alpha byte.
struct Store16Alpha {
  void operator()(uint8_t* p, uint32_t colour, int alpha) const {
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(alpha);
  }
};
struct Store32 {
  void operator()(uint8_t* p, uint32_t colour, int) const { std::memcpy(p, &colour, 4); }
};
struct Store32Alpha {
  void operator()(uint8_t* p, uint32_t colour, int alpha) const {
    const uint32_t v = (colour & 0xFFFFFFu) | uint32_t(alpha) << 24;
    std::memcpy(p, &v, 4);
  }
};

// What a cell holds: one bit a pixel, body and edge bytes, or smoothed levels.
enum class CellKind { kBits, kEdged, kSmooth };

struct CellWalk {
  const FontHandleData* font;
  int cx, cy;          // the cell's place in the cache
  int i0, i1, j0, j1;  // its columns and rows that are drawn
  uint8_t* first;      // the target pixel of (i0, j0)
  ptrdiff_t stepI, stepJ;
};

template <CellKind kKind, typename Store>
void WriteCellPixels(const CellWalk& w, const TextColours& colours, const MixTable& mix, Store store) {
  for (int j = w.j0; j < w.j1; ++j) {
    const uint8_t* row = w.font->memoryCache + static_cast<ptrdiff_t>(w.cy + j) * w.font->memoryPitch;
    uint8_t* p = w.first + (j - w.j0) * w.stepJ;
    for (int i = w.i0; i < w.i1; ++i, p += w.stepI) {
      if constexpr (kKind == CellKind::kBits) {
        const int bit = w.cx + i;
        if ((row[bit >> 3] >> (7 - (bit & 7)) & 1) != 0) store(p, colours.text, 255);
      } else if constexpr (kKind == CellKind::kEdged) {
        const uint8_t v = row[w.cx + i];
        if (v == 1) store(p, colours.text, 255);
        else if (v == 2) store(p, colours.edge, 255);
      } else {
        const MixedPixel& m = mix.pixels[row[w.cx + i]];
        store(p, m.colour, m.alpha);
      }
    }
  }
}

template <CellKind kKind>
void WriteCell(const CellWalk& w, const SoftSurfaceShared& b, const TextColours& colours, const MixTable& mix) {
  if (b.bytesPerPixel == 1) WriteCellPixels<kKind>(w, colours, mix, Store8{});
  else if (b.bytesPerPixel == 2) WriteCellPixels<kKind>(w, colours, mix, Store16{});
  else if (b.type == kSoftType16) {
    if (b.alphaFlag == 1) WriteCellPixels<kKind>(w, colours, mix, Store16Alpha{});
    else WriteCellPixels<kKind>(w, colours, mix, Store16{});
  } else if (b.alphaFlag == 1) {
    WriteCellPixels<kKind>(w, colours, mix, Store32Alpha{});
  } else {
    WriteCellPixels<kKind>(w, colours, mix, Store32{});
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
                        SOFTSURFACE* target, const DrawRect& clip, const TextColours& colours, MixTable* mix) {
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

  int cx = 0, cy = 0;
  CellPositionOf(font, cell.cellIndex, &cx, &cy);
  if (smooth && !mix->built) mix->Build(edged, colours.text, colours.edge, base.type == kSoftType16);
  CellWalk w{&font, cx, cy, i0, i1, j0, j1, nullptr, 0, 0};
  const ptrdiff_t bpp = base.bytesPerPixel, pitch = base.pitch;
  // Across, column i steps one pixel right and row j one row down; turned,
  // column i steps one row down and row j one pixel left.
  const int x0 = spot.vertical ? box.right - 1 - j0 : box.left + i0;
  const int y0 = spot.vertical ? box.top + i0 : box.top + j0;
  w.first = target->pixels + y0 * pitch + x0 * bpp;
  w.stepI = spot.vertical ? pitch : bpp;
  w.stepJ = spot.vertical ? -bpp : pitch;
  if (font.type == FontTypeNormal) WriteCell<CellKind::kBits>(w, base, colours, *mix);
  else if (!smooth) WriteCell<CellKind::kEdged>(w, base, colours, *mix);
  else WriteCell<CellKind::kSmooth>(w, base, colours, *mix);
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
  // On the device the string always goes through the work image, which the
  // device then draws.
  if (!smooth && (mode == 0 || (mode == 1 && param == 255)) && !detail::GpuInUse()) {
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
  // The work image is the screen's size: a string larger than that which
  // starts before the draw area is drawn into it from the first of its
  // pixels that can land in the area, so that its visible part is there.
  auto skip = [](int areaStart, int at, int length) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{areaStart} - at, 0, std::max(length - 1, 0)));
  };
  const int skipX = skip(keptArea.left, x, size[0]);
  const int skipY = skip(keptArea.top, y, size[1]);
  DrawRect workArea{0, 0, size[0] - skipX, size[1] - skipY};
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
  ProcessTextWithFont(1, -skipX, -skipY, 0, 1.0, 1.0, text, colour, work, &workArea, 1, font, edgeColour, -1, vertical,
                      nullptr);

  SetDrawColorScale(255, 255, 255);
  DrawRect box{x, y, x + size[0], y + size[1]};
  ClipRectToRect(&box, &keptArea);
  SetDrawAreaDirect(box);
  ActiveDrawers().softImage(work, workArea.right, workArea.bottom, x + skipX, y + skipY, 1);
  SetDrawAreaDirect(keptArea);
  SetDrawColorScalePacked(keptBrightness);
  return 0;
}

}  // namespace veziv
