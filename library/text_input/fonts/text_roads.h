// The string engine's pieces shared by its files: the colours taken through
// the draw brightness, one glyph drawn on either road, and the mix of an
// anti-aliased cell pixel. Internal to the fonts.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"
#include "library/softrender/surface/softsurface.h"
#include "library/text_input/fonts/font_handles.h"

namespace veziv::detail {

// One pixel of an anti-aliased cell: body level in the low nibble, edge level
// in the high one (0 without an edge), over text and edge colours with 8-bit
// channels or, for sixteen, 5-, 6- and 5-bit ones.
struct MixedPixel {
  uint32_t colour = 0;
  int alpha = 0;
};
MixedPixel MixAntialiasPixel(int cellByte, bool edged, uint32_t text, uint32_t edge, bool sixteen);

struct TextColours {
  uint32_t text = 0;      // in the screen's format, the brightness applied
  uint32_t edge = 0;
  uint32_t textWord = 0;  // 0xFF000000 | r << 16 | g << 8 | b of the same
  uint32_t edgeWord = 0;
};
TextColours TakeTextColours(uint32_t colour, uint32_t edgeColour);

// Every cell byte's mix for one string's colours, made once per string.
struct MixTable {
  bool built = false;
  MixedPixel pixels[256];
  void Build(bool edged, uint32_t text, uint32_t edge, bool sixteen) {
    for (int b = 0; b < 256; ++b) pixels[b] = MixAntialiasPixel(b, edged, text, edge, sixteen);
    built = true;
  }
};

// Where a glyph goes: the string's origin and the pen (already scaled).
struct GlyphSpot {
  int x = 0;
  int y = 0;
  double pen = 0.0;
  bool vertical = false;
};

// The texture road: the cell drawn from the cache graphs (edge first, then
// body) at the draw state's area. scaleFlag stretches by the two factors.
void DrawGlyphFromGraphs(const FontHandleData& font, const FontGlyphCell& cell, const GlyphSpot& spot,
                         bool scaleFlag, double scaleX, double scaleY, const TextColours& colours);

// The memory road: the cell written into target's pixels within clip; the
// mix table is built on the first smoothed glyph and kept for the string.
void DrawGlyphIntoImage(const FontHandleData& font, const FontGlyphCell& cell, const GlyphSpot& spot,
                        SOFTSURFACE* target, const DrawRect& clip, const TextColours& colours, MixTable* mix);

// The box of the glyph in a cell on the screen: left, top, right, bottom.
DrawRect GlyphBox(const FontHandleData& font, const FontGlyphCell& cell, const GlyphSpot& spot);

}  // namespace veziv::detail
