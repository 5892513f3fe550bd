// The glyph cache of a font: forgetting it, gathering a string's new
// characters into one batch, rasterising characters into the round-robin
// cells (memory image or staging image and graphs), and making the cache graphs.
#include <algorithm>
#include <cstring>
#include <vector>

#include "library/foundation/start/library_start.h"
#include "library/foundation/memory_log/memory.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/font_rasterizer.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/glyph_raster.h"

namespace veziv {
namespace {

constexpr int kShortText = 256;
// Marks a code entry as already in the batch being gathered.
constexpr int32_t kInBatch = -1;

// The work lists of short strings; longer ones get one allocation of 8 bytes a byte.
struct BatchLists {
  FontCharEntry chars[kShortText];
  FontCharEntry fresh[kShortText];
  uint16_t codes[kShortText];
};
BatchLists g_lists;

std::vector<uint8_t>& GlyphScratch() {
  static std::vector<uint8_t> bits;
  return bits;
}

bool IsSpace(uint32_t code) { return code == 0x20 || code == 0x8140; }

// Sends the cell's pixels from the staging image to the cache graph.
void SendCellToGraph(FontHandleData& r, int x, int y, int width, int height, bool edged) {
  if (!edged) {
    const DrawRect square{x, y, x + r.cellSide, y + r.cellSide};
    TransferImageToGraph(&r.staging, nullptr, &square, x, y, r.bodyGraph, 0, nullptr, 0);
    return;
  }
  const DrawRect body{x, y, x + width, y + height};
  TransferImageToGraph(&r.staging, nullptr, &body, x, y, r.bodyGraph, 0, nullptr, 0);
  const DrawRect edge{r.cacheWidth + x, y, r.cacheWidth + x + width, y + height};
  TransferImageToGraph(&r.staging, nullptr, &edge, r.cacheWidth + x, y, r.bodyGraph, 0, nullptr, 0);
}

}  // namespace

int ClearFontGlyphCache(FontHandle font) {
  FontHandleData* r = GetFontRecord(font);
  if (r == nullptr) return -1;
  // A code entry is set only while it owns a cell (the batch mark is taken
  // back before CacheFontGlyphs returns): clearing the owners clears them all,
  // without writing the whole megabyte of the table.
  for (FontGlyphCell& cell : r->cells) {
    if (cell.owner != nullptr) *cell.owner = FontCodeEntry{};
  }
  std::memset(r->cells, 0, sizeof r->cells);
  const int count = std::clamp(r->cellCount, 0, kFontMaxCacheCells);
  for (int k = 0; k < count; ++k) r->cells[k].cellIndex = k;
  r->cells[count].cellIndex = -1;
  r->nextCell = 0;
  return 0;
}

int CacheFontGlyphs(int byteCount, const char* text, FontHandle font, FontCharEntry* list, int* count) {
  FontHandleData* r = GetFontRecord(font);
  if (r == nullptr) return -1;
  if (text == nullptr) text = "";
  int length = static_cast<int>(std::strlen(text));
  if (byteCount != -1 && byteCount < length) length = std::max(byteCount, 0);

  FontCharEntry* chars = g_lists.chars;
  FontCharEntry* fresh = g_lists.fresh;
  uint16_t* codes = g_lists.codes;
  void* block = nullptr;
  if (length > kShortText) {
    block = AllocLibMemory(size_t(length) * 8);
    if (block == nullptr) return -1;
    chars = static_cast<FontCharEntry*>(block);
    fresh = chars + length;
    codes = reinterpret_cast<uint16_t*>(fresh + length);
  }

  int characters = 0, batch = 0;
  for (int i = 0; i < length;) {
    FontCharEntry& c = chars[characters++];
    // A lead byte takes the byte after it, even the terminator of a string
    // that ends on a lead byte.
    const bool lead = IsDoubleByteLead(text + i, r->charsetIndex) != 0;
    c.bytes[0] = static_cast<uint8_t>(text[i]);
    c.bytes[1] = lead ? static_cast<uint8_t>(text[i + 1]) : 0;
    c.bytes[2] = 0;
    i += lead ? 2 : 1;
    FontCodeEntry& entry = r->codes[c.Code()];
    if (entry.cached == 0 && batch < r->cellCount) {
      entry.cached = kInBatch;
      fresh[batch] = c;
      codes[batch++] = static_cast<uint16_t>(c.Code());
    }
  }
  for (int k = 0; k < batch; ++k) r->codes[codes[k]].cached = 0;
  RenderGlyphsToTextCache(font, batch, fresh);

  if (count != nullptr) *count = characters;
  if (list != nullptr) std::memcpy(list, chars, sizeof(FontCharEntry) * size_t(characters));
  FreeLibMemory(block);
  return 0;
}

int RenderGlyphsToTextCache(FontHandle font, int count, const FontCharEntry* list) {
  FontHandleData* r = GetFontRecord(font);
  if (r == nullptr) return -1;
  if (IsDrawingSuppressed() || !detail::Screen().started || count <= 0 || r->cellCount <= 0) return 0;
  const detail::FontRasterizer& raster = detail::FontRasterizerCalls();
  const int ascent = raster.metrics(r->platformFont).ascent;
  const bool edged = (r->type & 1) != 0, smooth = (r->type & 2) != 0;
  const int e = edged ? r->edgeSize : 0;
  const int inner = std::max(r->cellSide - 2 * e, 0);

  for (int k = 0; k < count; ++k) {
    const FontCharEntry& c = list[k];
    FontGlyphCell& cell = r->cells[r->nextCell];
    if (cell.inUse && cell.owner != nullptr) {
      cell.owner->cached = 0;
      cell.owner->cell = nullptr;
      cell.owner = nullptr;
    }
    FontCodeEntry& entry = r->codes[c.Code()];
    entry.cached = 1;
    entry.cell = &cell;
    cell.owner = &entry;
    cell.inUse = 1;

    int x = 0, y = 0;
    detail::CellPositionOf(*r, cell.cellIndex, &x, &y);
    if (r->textureCache) {
      ClearRasterImageRect(&r->staging, x, y, r->cellSide, r->cellSide);
      if (edged) ClearRasterImageRect(&r->staging, r->cacheWidth + x, y, r->cellSide, r->cellSide);
    } else {
      std::memset(r->memoryCache + size_t(y) * size_t(r->memoryPitch), 0, size_t(r->cellSide) * size_t(r->memoryPitch));
    }

    const bool lead = IsDoubleByteLead(reinterpret_cast<const char*>(c.bytes), r->charsetIndex) != 0;
    const uint32_t code = lead ? uint32_t(c.bytes[0]) << 8 | c.bytes[1] : c.bytes[0];
    const int format = smooth ? 5 : 1;
    platform::glyphs::GlyphBox box;
    const int size = raster.glyph(r->platformFont, code, format, &box, nullptr, 0);
    if (size < 0) FatalErrorExit("GetGlyphOutline 関数が失敗しました");
    int width = 0, height = 0;
    cell.xOffset = cell.yOffset = 0;
    // A glyph without pixels is drawn as the spaces are: nothing, its advance kept.
    if (!IsSpace(code) && size > 0 && box.width > 0 && box.height > 0) {
      std::vector<uint8_t>& bits = GlyphScratch();
      const size_t rowBytes = size_t(size) / size_t(box.height);
      bits.assign(size_t(size) + 2 * rowBytes, 0);
      if (raster.glyph(r->platformFont, code, format, &box, bits.data(), bits.size()) < 0) {
        FatalErrorExit("GetGlyphOutline 関数が失敗しました");
      }
      // A box larger than the cell is cut to it, so it never reaches a neighbour.
      width = std::min(box.width, inner);
      height = std::min(box.height, inner);
      const detail::GlyphBitmap glyph{bits.data(), static_cast<int>(rowBytes & ~size_t{3}), width, height, !smooth};
      cell.xOffset = static_cast<int16_t>(box.origin_x);
      cell.yOffset = static_cast<int16_t>(ascent - box.origin_y);
      if (r->textureCache) {
        detail::WriteStagingCell(e, glyph, &r->staging, x, y, r->cacheWidth + x);
        SendCellToGraph(*r, x, y, width + 2 * e, height + 2 * e, edged);
      } else {
        uint8_t* at = r->memoryCache + size_t(y) * size_t(r->memoryPitch) + size_t(x) * size_t(r->memoryBits) / 8;
        detail::WriteMemoryCell(r->type, e, glyph, at, r->memoryPitch);
      }
    }
    cell.advance = static_cast<int16_t>(box.advance + 2 * e);
    cell.width = static_cast<int16_t>(width + 2 * e);
    cell.height = static_cast<int16_t>(height + 2 * e);
    r->nextCell = r->nextCell + 1 >= r->cellCount ? 0 : r->nextCell + 1;
  }
  return 0;
}

int CreateTextCacheGraph(FontHandle font) {
  FontHandleData* r = GetFontRecord(font);
  if (r == nullptr) return -1;
  if (r->cacheGraphNeeded != 1) return 0;
  // What is left of lost graphs goes first; freeing the body raises the flag once more.
  if (IsGraphHandleValid(r->edgeGraph)) FreeGraphHandle(r->edgeGraph, 0);
  if (IsGraphHandleValid(r->bodyGraph)) FreeGraphHandle(r->bodyGraph, 0);
  r->bodyGraph = r->edgeGraph = -1;
  r->cacheGraphNeeded = 0;

  const bool edged = (r->type & 1) != 0, smooth = (r->type & 2) != 0;
  const int alpha = GetBlankGraphAlphaFlag(), bits = GetNewGraphBitDepth(), keyed = GetTransColorUseFlag();
  const int hardware = GetHardwareRenderingWanted();
  int keyR = 0, keyG = 0, keyB = 0;
  GetTransparentColorRGB(&keyR, &keyG, &keyB);
  SetBlankGraphAlphaFlag(smooth ? 1 : 0);
  SetTransColorUseFlag(smooth ? 0 : 1);
  SetNewGraphBitDepth(detail::TextCacheGraphBits());
  SetHardwareRenderingWanted(1);
  // Glyphs are white on black: black is the key of a cache without alpha,
  // whatever colour the program keys its own pictures on.
  SetTransparentColorRGB(0, 0, 0);
  const int body = CreateEmptyGraph(r->cacheWidth * (edged ? 2 : 1), r->cacheHeight, 0);
  const int edge = body != -1 && edged ? MakeSubGraph(r->cacheWidth, 0, r->cacheWidth, r->cacheHeight, body) : -1;
  SetBlankGraphAlphaFlag(alpha);
  SetTransColorUseFlag(keyed);
  SetNewGraphBitDepth(bits);
  SetHardwareRenderingWanted(hardware);
  SetTransparentColorRGB(keyR, keyG, keyB);
  if (body == -1) return -1;
  r->bodyGraph = body;
  r->edgeGraph = edge;
  AttachGraphLossFlag(body, &r->cacheGraphNeeded);
  ClearGraphToColor(body, 255, 255, 255, 0);
  ClearFontGlyphCache(font);
  return 0;
}

}  // namespace veziv
