// ProcessTextWithFont: a string walked through a font's glyph cache, its
// advance added up or each glyph drawn on the font's road; and the colours
// the string is drawn in.
#include <cstring>

#include "library/foundation/core/helpers.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/text_drawing.h"
#include "library/text_input/fonts/text_roads.h"

namespace veziv {
namespace {

constexpr int kShortText = 256;
FontCharEntry g_chars[kShortText];
// Above 0 while a string is being walked: a string drawn meanwhile (the
// on-screen log, from a present that a wait for the window ran) takes its
// own list.
int g_walking = 0;

// The cell of the listed character, rendered alone when the batch left it
// out or a later batch took its cell; null when it cannot be cached.
const FontGlyphCell* TakeCell(FontHandle font, FontHandleData& record, const FontCharEntry& c) {
  FontCodeEntry& entry = record.codes[c.Code()];
  if (entry.cached != 1) RenderGlyphsToTextCache(font, 1, &c);
  if (entry.cached != 1 || entry.cell == nullptr) {
    WriteLogText("テキストキャッシュの作成に失敗しました");
    return nullptr;
  }
  return entry.cell;
}

bool IsSpace(const FontCharEntry& c) {
  return (c.bytes[0] == 0x20 && c.bytes[1] == 0) || (c.bytes[0] == 0x81 && c.bytes[1] == 0x40);
}

// The blend image and brightness, which the texture road changes per glyph.
struct KeptDrawState {
  int graph = -1, borderParam = 0, borderRange = 0;
  uint32_t brightness = 0;
  void Keep() {
    GetBlendImageSelection(&graph, &borderParam, &borderRange);
    brightness = GetDrawColorWord() & 0xFFFFFFu;
    SelectBlendImageGraph(-1, 0, 0);
  }
  void PutBack() const {
    SetDrawColorScalePacked(brightness);
    SelectBlendImageGraph(graph, borderParam, borderRange);
  }
};

}  // namespace

namespace detail {

TextColours TakeTextColours(uint32_t colour, uint32_t edgeColour) {
  const uint32_t word = GetDrawColorWord();
  const int br = int(word >> 16 & 0xFF), bg = int(word >> 8 & 0xFF), bb = int(word & 0xFF);
  const uint32_t black = PackColorForScreen(0, 0, 0);
  auto take = [&](uint32_t value, uint32_t* packed, uint32_t* brightness) {
    int r = 0, g = 0, b = 0;
    UnpackScreenColor(value, &r, &g, &b);
    r = r * br / 255;
    g = g * bg / 255;
    b = b * bb / 255;
    *packed = PackColorForScreen(r, g, b) & ~black;
    *brightness = 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
  };
  TextColours c;
  take(colour, &c.text, &c.textWord);
  take(edgeColour, &c.edge, &c.edgeWord);
  return c;
}

DrawRect GlyphBox(const FontHandleData& font, const FontGlyphCell& cell, const GlyphSpot& spot) {
  const int pen = TruncateDoubleToInt(spot.pen);
  if (spot.vertical) {
    const int right = spot.x + (font.glyphHeight - cell.yOffset);
    const int top = spot.y + pen + cell.xOffset;
    return DrawRect{right - cell.height, top, right, top + cell.width};
  }
  const int left = spot.x + pen + cell.xOffset, top = spot.y + cell.yOffset;
  return DrawRect{left, top, left + cell.width, top + cell.height};
}

}  // namespace detail

int ProcessTextWithFont(int mode, int x, int y, int scaleFlag, double scaleX, double scaleY, const char* text,
                        uint32_t colour, SOFTSURFACE* target, const DrawRect* clip, int writeFlag, int font,
                        uint32_t edgeColour, int byteCount, int vertical, int* size) {
  (void)writeFlag;
  if (IsDrawingSuppressed() || !detail::Screen().started) return -1;
  FontHandleData* record = GetFontRecord(font);
  if (record == nullptr) return -1;
  // Only the graphs can be stretched, and a draw stretches only when asked to.
  if (!record->textureCache || (mode == 1 && !scaleFlag)) {
    scaleX = scaleY = 1.0;
    scaleFlag = 0;
  }
  const detail::TextColours colours = detail::TakeTextColours(colour, edgeColour);
  if (text == nullptr || text[0] == '\0') return 0;
  int length = static_cast<int>(std::strlen(text));
  if (byteCount != -1 && byteCount < length) length = byteCount < 0 ? 0 : byteCount;

  FontCharEntry* chars = g_chars;
  if (length > kShortText || g_walking > 0) {
    chars = static_cast<FontCharEntry*>(AllocLibMemory(sizeof(FontCharEntry) * size_t(length)));
    if (chars == nullptr) return -1;
  }
  int count = 0;
  CacheFontGlyphs(length, text, font, chars, &count);
  ++g_walking;

  const double scale = vertical ? scaleY : scaleX;
  double pen = 0.0;
  int result = 0;
  if (mode == 0) {
    int bytes = 0;
    for (int k = 0; k < count && bytes < length; ++k) {
      bytes += IsDoubleByteLead(reinterpret_cast<const char*>(chars[k].bytes), record->charsetIndex) ? 2 : 1;
      const FontGlyphCell* cell = TakeCell(font, *record, chars[k]);
      if (cell == nullptr) {
        result = -1;
        break;
      }
      pen += (cell->advance + record->spacing) * scale;
    }
  } else {
    KeptDrawState kept;
    if (record->textureCache) kept.Keep();
    const DrawRect area = clip != nullptr ? *clip : GetDrawArea();
    detail::MixTable mix;
    for (int k = 0; k < count; ++k) {
      const FontGlyphCell* cell = TakeCell(font, *record, chars[k]);
      if (cell == nullptr) {
        result = -1;
        break;
      }
      if (!IsSpace(chars[k]) && cell->width > 0 && cell->height > 0) {
        const detail::GlyphSpot spot{x, y, pen, vertical != 0};
        if (record->textureCache) {
          detail::DrawGlyphFromGraphs(*record, *cell, spot, scaleFlag != 0, scaleX, scaleY, colours);
        } else if (target != nullptr) {
          detail::DrawGlyphIntoImage(*record, *cell, spot, target, area, colours, &mix);
        }
      }
      pen += (cell->advance + record->spacing) * scale;
    }
    if (record->textureCache) kept.PutBack();
  }
  --g_walking;
  if (chars != g_chars) FreeLibMemory(chars);
  if (result != 0) return result;

  const int advance = TruncateDoubleToInt(pen);
  if (size != nullptr) {
    size[0] = vertical ? record->glyphHeight : advance;
    size[1] = vertical ? advance : record->glyphHeight;
  }
  return advance;
}

}  // namespace veziv
