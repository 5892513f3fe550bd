// The pure arithmetic of the glyph cache: the cell size and cache size a
// font's metrics give, the edge masks, and the writing of one glyph bitmap
// into a cell of the memory cache or of the staging image, with its edge.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/graphics/images/raster_image.h"

namespace veziv::detail {

// What the cache of a font looks like.
struct FontCacheLayout {
  int cellSide = 0;       // cells are square
  int glyphHeight = 0;    // text height plus the edges, made even
  int cacheWidth = 0;     // pixels (the staging image and the graphs are twice as wide when edged)
  int cacheHeight = 0;
  int cellCount = 0;
  int cellsPerColumn = 0;
};

// edge: the edge size of an edged font, 0 otherwise. The memory cache is one
// column of 20 to 2024 cells; the texture cache starts at 512 x 512 and grows
// until it holds 10 cells.
FontCacheLayout ComputeFontCacheLayout(int maxCharWidth, int textHeight, int edge, bool textureCache);

// Where cell index lies in the cache: cells run down each column, then on to the next.
void CellPosition(const FontCacheLayout& layout, int index, int* x, int* y);

// 1 when a body pixel spreads its edge to the pixel (dx, dy) away from it:
// the four neighbours for edge 1, the masks of edges 2 to 4, the whole square
// above 4. Offsets beyond the edge size are never reached.
bool EdgeMaskReaches(int edge, int dx, int dy);

// A glyph bitmap as the platform font gives it: rows pitch bytes apart, one
// bit a pixel (most significant first) or one byte a pixel of level 0..16.
struct GlyphBitmap {
  const uint8_t* bits = nullptr;
  int pitch = 0;
  int width = 0;
  int height = 0;
  bool mono = true;
  // 0..16; a set bit is 16.
  int Level(int x, int y) const {
    const uint8_t* row = bits + static_cast<ptrdiff_t>(y) * pitch;
    if (mono) return (row[x >> 3] >> (7 - (x & 7)) & 1) ? 16 : 0;
    return row[x] > 16 ? 16 : row[x];
  }
};

// The grey edge rule: a pixel already covered `old` sixteenths, reached from
// a body pixel of level g.
inline int CombineEdgeCoverage(int old, int g) { return (256 - (16 - old) * (16 - g)) >> 4; }

// A staging pixel of level 1..16 (0 for level 0): every colour bit set (white)
// and the alpha field (level << (alpha width - 4)) - 1, so level 16 is opaque.
uint32_t StagingPixelValue(const PixelFormatDesc& format, int level);

// Writes the glyph (already cut to side - 2 x edge) into a memory-cache cell
// of `side` rows starting at `cell`, pitch bytes a row, at (edge, edge):
// type 0 one bit a pixel; type 1 body 1 and edge 2; type 2 level - 1; type 3
// body level - 1 in the low nibble and the edge in the high one. The cell's
// rows must be cleared first.
void WriteMemoryCell(int type, int edge, const GlyphBitmap& glyph, uint8_t* cell, int pitch);

// Writes the glyph into the staging image: the body into the cell square at
// (x, y) and, with an edge, the edge into the square at (edgeX, y); levels
// become alpha by StagingPixelValue. The squares must be cleared first.
void WriteStagingCell(int edge, const GlyphBitmap& glyph, RasterImage* staging, int x, int y, int edgeX);

}  // namespace veziv::detail
