// Font handles: 40 fonts, each with a glyph cache of square cells into which
// characters are rasterised once and from which strings are drawn (a memory
// image on the software road, a pair of graphs when the cache lives in
// textures); making, reading and deleting fonts; the cache itself; and the
// library's default font with its setters, the reset and re-creation of all
// fonts, and the font system's start and end. Texts are CP932.
#pragma once

#include <cstdint>

#include "library/foundation/core/handles.h"
#include "library/graphics/images/raster_image.h"
#include "library/veziv.h"

namespace veziv {

inline constexpr int kFontGlyphCells = 2025;  // at most 2024 in use, the next one marks the end
inline constexpr int kFontMaxCacheCells = 2024;
inline constexpr int kFontCodeEntries = 65536;
inline constexpr int kFontFaceBytes = 256;

struct FontCodeEntry;

// One cache cell and the glyph in it.
struct FontGlyphCell {
  int16_t inUse;
  int16_t xOffset;  // the glyph box's left edge from the pen
  int16_t yOffset;  // its top edge from the line's top
  int16_t advance;  // with twice the edge size
  int32_t cellIndex;
  int16_t width;    // the glyph box, each with twice the edge size
  int16_t height;
  FontCodeEntry* owner;  // the code entry that maps here, or null
};

// Indexed by the character's bytes as they stand in the string: a single
// byte, or lead | trail << 8.
struct FontCodeEntry {
  int32_t cached;
  FontGlyphCell* cell;
};

// One character of a string: its one or two bytes as they stand, and a 0.
struct FontCharEntry {
  uint8_t bytes[3];
  int Code() const { return bytes[0] | bytes[1] << 8; }
};
static_assert(sizeof(FontCharEntry) == 3);

struct FontHandleData {
  int32_t check;
  int* lostFlag;  // the owner's flag, set to 1 when the font is deleted
  FontGlyphCell cells[kFontGlyphCells];
  FontCodeEntry codes[kFontCodeEntries];
  int32_t nextCell;   // round-robin replacement cursor
  int32_t cellCount;
  uint8_t* memoryCache;  // the memory cache (one column of cells), or null
  int32_t memoryPitch;
  int32_t memoryBits;    // 1 for FontTypeNormal, else 8
  char face[kFontFaceBytes];  // empty: the default face
  int32_t thickness;     // the weight is thickness x 100
  int32_t size;
  int32_t glyphHeight;
  int32_t italic;
  int32_t spacing;       // extra pixels after every character
  int32_t cellSide;
  void* platformFont;
  int32_t type;
  int32_t charsetIndex;  // 0, 1 or 2
  int32_t edgeSize;
  int32_t cacheWidth;
  int32_t cacheHeight;
  int32_t cellsPerColumn;
  int32_t bodyGraph;     // -1 when none
  int32_t edgeGraph;
  // 1 asks for the cache graphs to be made again; also the body graph's lost flag.
  int32_t cacheGraphNeeded;
  RasterImage staging;   // cells rasterised here before they go to the graphs
  int32_t textureCache;  // 1 when the cache lives in graphs
};

// Handles. Each returns -1 for a handle that is not a live font unless said otherwise.

// Null for a handle that is not a live font.
FontHandleData* GetFontRecord(FontHandle font);
// 1 when the byte starts a double-byte character: any byte with bit 7 set
// for charset index 2, else 0x81-0x9F and 0xE0-0xFC.
int IsDoubleByteLead(const char* p, int charsetIndex);

// The glyph cache.

// Renders every character of the first byteCount bytes (-1: all) that is not
// cached yet, as many as the cache has cells; the string's characters go to
// list and their number to count when those are given. 0.
int CacheFontGlyphs(int byteCount, const char* text, FontHandle font, FontCharEntry* list, int* count);
// Rasterises each listed character into the next cell, replacing what was
// there. Nothing while drawing is suppressed or graphics are not started. 0.
int RenderGlyphsToTextCache(FontHandle font, int count, const FontCharEntry* list);
// Forgets every cached character. 0.
int ClearFontGlyphCache(FontHandle font);
// Makes the cache graphs when they are asked for. 0, or -1 when they cannot be made.
int CreateTextCacheGraph(FontHandle font);

// The default font.

// Makes the default font again when it is missing or differs from the wish. 0.
int EnsureDefaultFont();

// Makes every font again under the same handle. 0.
int RecreateFontHandleAll();
// The font system's start and end, run by graphics start and end. 0.
int SetupFontSystem();
int TerminateFont();

}  // namespace veziv
