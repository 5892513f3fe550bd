// Cell and cache sizes, edge masks, and the writing of glyph bitmaps into the
// memory cache's cells and the staging image's squares.
#include "library/text_input/fonts/glyph_raster.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace veziv::detail {
namespace {

// Columns set in each row of the masks of edges 2 to 4, top row first.
struct Span {
  int8_t first, last;
};
constexpr Span kMask2[] = {{1, 3}, {0, 4}, {0, 4}, {0, 4}, {1, 3}};
constexpr Span kMask3[] = {{3, 3}, {1, 5}, {1, 5}, {0, 6}, {1, 5}, {1, 5}, {3, 3}};
constexpr Span kMask4[] = {{2, 6}, {1, 7}, {0, 8}, {0, 8}, {0, 8}, {0, 8}, {0, 8}, {1, 7}, {2, 6}};

// A side beyond this is no font the cache can hold.
constexpr int64_t kMaxCellSide = 4096;

struct Offset {
  int dx, dy;
};

// The offsets an edge reaches, in rows from the top, each row left to right.
const std::vector<Offset>& ReachedOffsets(int edge) {
  static std::vector<Offset> offsets;
  static int built_for = -1;
  if (built_for != edge) {
    offsets.clear();
    for (int dy = -edge; dy <= edge; ++dy)
      for (int dx = -edge; dx <= edge; ++dx)
        if (EdgeMaskReaches(edge, dx, dy)) offsets.push_back({dx, dy});
    built_for = edge;
  }
  return offsets;
}

void StorePixel(RasterImage* image, int x, int y, uint32_t value) {
  uint8_t* p = static_cast<uint8_t*>(image->pixels) + static_cast<ptrdiff_t>(y) * image->pitch +
               static_cast<ptrdiff_t>(x) * image->format.bytesPerPixel;
  for (int i = 0; i < image->format.bytesPerPixel; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

FontCacheLayout ComputeFontCacheLayout(int maxCharWidth, int textHeight, int edge, bool textureCache) {
  FontCacheLayout layout;
  int64_t side = int64_t{maxCharWidth} + 2 + 2 * int64_t{edge};
  side = (side + 7) / 8 * 8;
  int64_t height = int64_t{textHeight} + 2 * int64_t{edge};
  if (height % 2 != 0) ++height;
  if (side < height) side = height;
  if (side <= 0 || side > kMaxCellSide) return layout;
  layout.cellSide = static_cast<int>(side);
  layout.glyphHeight = static_cast<int>(height);
  const int s = layout.cellSide;
  if (textureCache) {
    int width = 512, tall = 512;
    int count = (width / s) * (tall / s);
    while (count < 10) {
      if (width > tall) tall *= 2;
      else width *= 2;
      count = (width / s) * (tall / s);
    }
    layout.cacheWidth = width;
    layout.cacheHeight = tall;
    layout.cellCount = std::min(count, 2024);
    layout.cellsPerColumn = tall / s;
  } else {
    const int count = std::clamp(0x50000 / (s * s), 20, 2024);
    layout.cacheWidth = s;
    layout.cacheHeight = count * s;
    layout.cellCount = count;
    layout.cellsPerColumn = count;
  }
  return layout;
}

void CellPosition(const FontCacheLayout& layout, int index, int* x, int* y) {
  *x = layout.cellSide * (index / layout.cellsPerColumn);
  *y = layout.cellSide * (index % layout.cellsPerColumn);
}

bool EdgeMaskReaches(int edge, int dx, int dy) {
  if (edge <= 0 || std::abs(dx) > edge || std::abs(dy) > edge) return false;
  if (edge == 1) return std::abs(dx) + std::abs(dy) == 1;
  if (edge > 4) return true;
  const Span* rows = edge == 2 ? kMask2 : edge == 3 ? kMask3 : kMask4;
  const Span row = rows[dy + edge];
  return dx + edge >= row.first && dx + edge <= row.last;
}

uint32_t StagingPixelValue(const PixelFormatDesc& format, int level) {
  const uint32_t colour = format.redMask | format.greenMask | format.blueMask;
  if (level <= 0) return 0;
  if (format.alphaWidth == 0) return colour;
  // level << (alpha width - 4) within the field, less one: 16 fills it.
  const uint64_t scaled = (uint64_t{static_cast<uint32_t>(level)} << (format.alphaShift + format.alphaWidth)) >> 4;
  const uint64_t alpha = scaled > 0 ? scaled - 1 : 0;
  return (static_cast<uint32_t>(alpha) & (format.alphaMask | colour)) | colour;
}

void WriteMemoryCell(int type, int edge, const GlyphBitmap& glyph, uint8_t* cell, int pitch) {
  const int e = edge > 0 && (type & 1) != 0 ? edge : 0;
  if (type == 0) {
    for (int y = 0; y < glyph.height; ++y)
      for (int x = 0; x < glyph.width; ++x)
        if (glyph.Level(x, y) != 0) cell[static_cast<ptrdiff_t>(y) * pitch + (x >> 3)] |= uint8_t(0x80 >> (x & 7));
    return;
  }
  // The body over the box widened by the edge on every side (0 outside the
  // glyph): type 1 marks a set pixel 1, the others keep its level less one.
  const int wide = glyph.width + 2 * e, tall = glyph.height + 2 * e;
  const size_t area = static_cast<size_t>(wide) * static_cast<size_t>(tall);
  static std::vector<uint8_t> body, reach;
  body.assign(area, 0);
  for (int y = 0; y < glyph.height; ++y) {
    uint8_t* row = body.data() + static_cast<size_t>(y + e) * static_cast<size_t>(wide) + e;
    for (int x = 0; x < glyph.width; ++x) {
      const int g = glyph.Level(x, y);
      row[x] = static_cast<uint8_t>(type == 1 ? (g != 0 ? 1 : 0) : (g > 0 ? g - 1 : 0));
    }
  }
  // The edge: at each pixel, the most any body pixel the mask reaches it from
  // gives (a pixel of level 1 gives nothing); one pass over the body for
  // each offset of the mask, a row at a time.
  reach.assign(area, 0);
  if (e > 0) {
    for (const Offset o : ReachedOffsets(e)) {
      const int x0 = std::max(0, o.dx), x1 = std::min(wide, wide + o.dx);
      for (int y = std::max(0, o.dy); y < std::min(tall, tall + o.dy); ++y) {
        uint8_t* to = reach.data() + static_cast<size_t>(y) * static_cast<size_t>(wide);
        const uint8_t* from = body.data() + static_cast<size_t>(y - o.dy) * static_cast<size_t>(wide) - o.dx;
        for (int x = x0; x < x1; ++x) to[x] = std::max(to[x], from[x]);
      }
    }
  }
  for (int y = 0; y < tall; ++y) {
    uint8_t* out = cell + static_cast<ptrdiff_t>(y) * pitch;
    const uint8_t* b = body.data() + static_cast<size_t>(y) * static_cast<size_t>(wide);
    const uint8_t* r = reach.data() + static_cast<size_t>(y) * static_cast<size_t>(wide);
    for (int x = 0; x < wide; ++x) {
      if (type == 1) out[x] = b[x] != 0 ? 1 : r[x] != 0 ? 2 : 0;
      else out[x] = static_cast<uint8_t>(b[x] | r[x] << 4);
    }
  }
}

void WriteStagingCell(int edge, const GlyphBitmap& glyph, RasterImage* staging, int x, int y, int edgeX) {
  const PixelFormatDesc& format = staging->format;
  const int e = edge > 0 ? edge : 0;
  for (int j = 0; j < glyph.height; ++j)
    for (int i = 0; i < glyph.width; ++i)
      if (const int g = glyph.Level(i, j); g > 0) StorePixel(staging, x + e + i, y + e + j, StagingPixelValue(format, g));
  if (e == 0) return;
  // The edge gathered in sixteenths over the box widened by the edge on each side.
  const int wide = glyph.width + 2 * e, tall = glyph.height + 2 * e;
  static std::vector<uint8_t> cover;
  cover.assign(static_cast<size_t>(wide) * static_cast<size_t>(tall), 0);
  const std::vector<Offset>& reach = ReachedOffsets(e);
  for (int j = 0; j < glyph.height; ++j) {
    for (int i = 0; i < glyph.width; ++i) {
      const int g = glyph.Level(i, j);
      if (g == 0) continue;
      for (const Offset o : reach) {
        uint8_t& c = cover[static_cast<size_t>(j + e + o.dy) * static_cast<size_t>(wide) + static_cast<size_t>(i + e + o.dx)];
        c = static_cast<uint8_t>(glyph.mono ? 16 : CombineEdgeCoverage(c, g));
      }
    }
  }
  for (int j = 0; j < tall; ++j)
    for (int i = 0; i < wide; ++i)
      if (const int c = cover[static_cast<size_t>(j) * static_cast<size_t>(wide) + static_cast<size_t>(i)]; c > 0)
        StorePixel(staging, edgeX + i, y + j, StagingPixelValue(format, c));
}

}  // namespace veziv::detail
