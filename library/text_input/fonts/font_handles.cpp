// The font table and records: making a font (defaults, the platform font,
// the size rules and the cache of either road), deleting it, and the
// read-outs.
#include <cstring>
#include <memory>

#include "library/foundation/core/helpers.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/core/random.h"
#include "library/veziv.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/graphics/images/texture_formats.h"
#include "library/text_input/fonts/font_handles.h"

#include "library/graphics/device/gpu_setup.h"
#include "library/text_input/fonts/font_rasterizer.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/glyph_raster.h"

namespace veziv {
namespace {

// A cache that needs more than this is refused as memory that cannot be had.
constexpr size_t kMaxCacheBytes = size_t{64} << 20;

struct FontRecordPolicy {
  static FontHandleData* AllocateRecord() {
    auto* record = static_cast<FontHandleData*>(AllocLibMemoryZeroed(sizeof(FontHandleData)));
    if (record == nullptr) WriteLogText("フォント管理用メモリの確保に失敗しました\n");
    return record;
  }
  static void FreeRecord(FontHandleData* record) { FreeLibMemory(record); }
  static void OnTableFull() {
    char line[128];
    FormatText(line, sizeof line, "作成できるフォントハンドル数 %d の限界を超えました", kFontHandleSlots);
    WriteLogText(line);  // as it stands, without a line end
  }
};

using FontTable = FirstFreeHandleTable<FontHandleData, kFontHandleKind, kFontHandleSlots, FontRecordPolicy>;

struct FontSystem {
  std::unique_ptr<FontTable> table = std::make_unique<FontTable>();
  detail::DefaultFontWish wish;
  int defaultFont = -1;
  int textureCacheWanted = 0;
};

// Never destroyed: a font still live when the process ends keeps its
// platform font, which a table torn down at exit would lose track of.
FontSystem& Fonts() {
  static FontSystem* const system = new FontSystem;
  return *system;
}

// The platform font of the record, trying what stands in for the charset
// fallbacks: the face itself, or for the default face the Gothic with and
// without italics and then no name at all.
bool OpenPlatformFont(FontHandleData* record) {
  const detail::FontRasterizer& r = detail::FontRasterizerCalls();
  const int weight = record->thickness * 100;
  if (record->face[0] != '\0') {
    record->platformFont = r.open(record->face, record->size, weight, record->italic);
    if (record->platformFont == nullptr) WriteLogText("指定のフォントの作成に失敗しました\n");
  } else {
    record->platformFont = r.open("ＭＳ ゴシック", record->size, weight, record->italic);
    if (record->platformFont == nullptr) record->platformFont = r.open("ＭＳ ゴシック", record->size, weight, 0);
    if (record->platformFont == nullptr) record->platformFont = r.open(nullptr, record->size, weight, 0);
    if (record->platformFont == nullptr) WriteLogText("フォントの作成に失敗しました\n");
  }
  return record->platformFont != nullptr;
}

void StoreLayout(FontHandleData* record, const detail::FontCacheLayout& layout) {
  record->cellSide = layout.cellSide;
  record->glyphHeight = layout.glyphHeight;
  record->cacheWidth = layout.cacheWidth;
  record->cacheHeight = layout.cacheHeight;
  record->cellCount = layout.cellCount;
  record->cellsPerColumn = layout.cellsPerColumn;
}

// The texture road: the cache graphs and the staging image. 0, 1 when the
// graphs could not be made (the memory road takes over), -1 on failure.
int SetUpTextureCache(FontHandle handle, FontHandleData* record, const detail::FontCacheLayout& layout) {
  StoreLayout(record, layout);
  const bool edged = (record->type & 1) != 0, smooth = (record->type & 2) != 0;
  const size_t wide = size_t(layout.cacheWidth) * (edged ? 2 : 1);
  if (wide * size_t(layout.cacheHeight) * 4 > kMaxCacheBytes) {
    WriteLogText("テクスチャ文字キャッシュの作成に失敗しました\n");
    return 1;
  }
  record->cacheGraphNeeded = 1;
  if (CreateTextCacheGraph(handle) != 0) {
    WriteLogText("テクスチャ文字キャッシュの作成に失敗しました\n");
    return 1;
  }
  const PixelFormatDesc* format = GetTexturePixelFormat(smooth ? 1 : 0, detail::TextCacheGraphBits(), smooth ? 0 : 1, 0);
  if (format == nullptr || InitRasterImageWithFormat(int(wide), layout.cacheHeight, format, &record->staging) != 0) {
    WriteLogText("文字キャッシュ基本イメージ用のメモリの確保に失敗しました\n");
    return -1;
  }
  std::memset(record->staging.pixels, 0, size_t(record->staging.pitch) * size_t(record->staging.height));
  return 0;
}

// The memory road: one column of cells. 0 or -1.
int SetUpMemoryCache(FontHandle handle, FontHandleData* record, const detail::FontCacheLayout& layout) {
  StoreLayout(record, layout);
  record->memoryBits = record->type == FontTypeNormal ? 1 : 8;
  record->memoryPitch = (layout.cellSide * record->memoryBits + 7) / 8;
  const size_t bytes = size_t(layout.cacheHeight) * size_t(record->memoryPitch);
  record->memoryCache = bytes <= kMaxCacheBytes ? static_cast<uint8_t*>(AllocLibMemoryZeroed(bytes)) : nullptr;
  if (record->memoryCache == nullptr) {
    WriteLogText("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontHandle");
    return -1;
  }
  if (CreateTextCacheGraph(handle) != 0) {
    WriteLogText("フォント用描画スクリーンの作成に失敗しました\n");
    return -1;
  }
  return 0;
}

}  // namespace

FontHandle CreateFontHandle(const char* face, int size, int thickness, int type, int charsetIndex, int edgeSize,
                            int italic, int slot, int check) {
  if (IsWindowEnded()) return -1;
  if (type == -1) type = FontTypeNormal;
  if (edgeSize > 1) type |= 1;
  if (size == -1) size = 16;
  if (thickness == -1) thickness = 6;
  if (edgeSize == -1) edgeSize = 1;
  if (charsetIndex == -1) charsetIndex = detail::DefaultCharsetIndex();

  FontTable& table = *Fonts().table;
  const FontHandle handle = table.Create(slot, check);
  if (handle < 0) return -1;
  FontHandleData* record = table.Get(handle);
  record->bodyGraph = -1;
  record->edgeGraph = -1;
  if (GetScreenColorBitDepth() == 8) type &= ~2;
  record->thickness = thickness;
  record->type = type & 3;
  record->size = size;
  // A negative edge has no pixels to spread.
  record->edgeSize = edgeSize < 0 ? 0 : edgeSize;
  record->italic = italic;
  record->spacing = 0;
  record->check = HandleCheck(handle);
  // With the device in use the glyph cache lives in textures.
  record->textureCache = Fonts().textureCacheWanted || detail::GpuInUse() ? 1 : 0;
  detail::CopyFaceName(record->face, face);

  if (!OpenPlatformFont(record)) {
    DeleteFontHandle(handle);
    return -1;
  }
  const platform::glyphs::FontMetrics metrics = detail::FontRasterizerCalls().metrics(record->platformFont);
  const int edge = (record->type & 1) != 0 ? record->edgeSize : 0;
  if (record->textureCache) {
    const int result = SetUpTextureCache(handle, record, detail::ComputeFontCacheLayout(metrics.max_char_width, metrics.height, edge, true));
    if (result < 0) {
      DeleteFontHandle(handle);
      return -1;
    }
    if (result > 0) record->textureCache = 0;
  }
  if (!record->textureCache) {
    const detail::FontCacheLayout layout = detail::ComputeFontCacheLayout(metrics.max_char_width, metrics.height, edge, false);
    if (layout.cellSide == 0 || SetUpMemoryCache(handle, record, layout) != 0) {
      if (layout.cellSide == 0) WriteLogText("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontHandle");
      DeleteFontHandle(handle);
      return -1;
    }
  }
  ClearFontGlyphCache(handle);
  record->charsetIndex = charsetIndex;
  record->lostFlag = nullptr;
  return handle;
}

int DeleteFontHandle(FontHandle font) {
  FontTable& table = *Fonts().table;
  FontHandleData* record = table.Get(font);
  if (record == nullptr) return -1;
  if (record->platformFont != nullptr) detail::FontRasterizerCalls().close(record->platformFont);
  record->platformFont = nullptr;
  FreeLibMemory(record->memoryCache);
  record->memoryCache = nullptr;
  // The body graph's loss raises the record's own flag, which goes with it.
  if (record->bodyGraph != -1) FreeGraphHandle(record->bodyGraph, 0);
  if (record->edgeGraph != -1) FreeGraphHandle(record->edgeGraph, 0);
  record->bodyGraph = record->edgeGraph = -1;
  FreeRasterImage(&record->staging);
  if (record->lostFlag != nullptr) *record->lostFlag = 1;
  table.Delete(font);
  return 0;
}

int AttachFontLossFlag(FontHandle font, int* flag) {
  FontHandleData* record = GetFontRecord(font);
  if (record == nullptr) return -1;
  record->lostFlag = flag;
  if (flag != nullptr) *flag = 0;
  return 0;
}

int SetFontCharSpacing(int spacing, FontHandle font) {
  FontHandleData* record = GetFontRecord(font);
  if (record == nullptr) return -1;
  record->spacing = spacing;
  return 0;
}

int GetFontHandleInfo(char* face, int* size, int* thickness, FontHandle font) {
  const FontHandleData* record = GetFontRecord(font);
  if (record == nullptr) return -1;
  if (face != nullptr) std::memcpy(face, record->face, kFontFaceBytes);
  if (size != nullptr) *size = record->size;
  if (thickness != nullptr) *thickness = record->thickness;
  return 0;
}

int GetFontHandleSize(FontHandle font) {
  const FontHandleData* record = GetFontRecord(font);
  return record == nullptr ? -1 : record->size;
}

int GetFontHandleUseTexture(FontHandle font) {
  const FontHandleData* record = GetFontRecord(font);
  return record == nullptr ? -1 : record->textureCache;
}

int IsValidFontHandle(FontHandle font) { return Fonts().table->IsValid(font) ? 1 : 0; }

FontHandleData* GetFontRecord(FontHandle font) { return Fonts().table->Get(font); }

int IsDoubleByteLead(const char* p, int charsetIndex) {
  const auto c = static_cast<unsigned char>(*p);
  if (charsetIndex == 2) return c >= 0x80 ? 1 : 0;
  return detail::IsShiftJisLeadByte(c) ? 1 : 0;
}

namespace detail {

DefaultFontWish& DefaultWish() { return Fonts().wish; }
int& DefaultFontHandle() { return Fonts().defaultFont; }
FontHandle FontHandleAtSlot(int slot) { return Fonts().table->HandleAt(slot); }
void SetFontTextureCacheWanted(int flag) { Fonts().textureCacheWanted = flag; }
int FontTextureCacheWanted() { return Fonts().textureCacheWanted; }
int DefaultCharsetIndex() { return 1; }

FontCacheLayout LayoutOf(const FontHandleData& font) {
  FontCacheLayout layout;
  layout.cellSide = font.cellSide;
  layout.glyphHeight = font.glyphHeight;
  layout.cacheWidth = font.cacheWidth;
  layout.cacheHeight = font.cacheHeight;
  layout.cellCount = font.cellCount;
  layout.cellsPerColumn = font.cellsPerColumn;
  return layout;
}

void CellPositionOf(const FontHandleData& font, int cellIndex, int* x, int* y) {
  CellPosition(LayoutOf(font), cellIndex, x, y);
}
int TextCacheGraphBits() { return GetScreenColorBitDepth() == 16 ? 16 : 32; }
void ResetFontTableCounter() { Fonts().table = std::make_unique<FontTable>(); }

void CopyFaceName(char (&to)[kFontFaceBytes], const char* face) {
  std::memset(to, 0, sizeof to);
  if (face == nullptr) return;
  size_t i = 0;
  while (face[i] != '\0') {
    const size_t step = IsShiftJisLeadByte(static_cast<unsigned char>(face[i])) && face[i + 1] != '\0' ? 2 : 1;
    if (i + step > sizeof to - 1) break;
    i += step;
  }
  std::memcpy(to, face, i);
}

}  // namespace detail
}  // namespace veziv
