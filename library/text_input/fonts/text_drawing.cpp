// The public string calls: drawing with a font (the mask bracket and the
// choice of road), with the default font, printf-style, and measuring.
#include "library/text_input/fonts/text_drawing.h"

#include <cstdarg>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/core/random.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/text_input/fonts/font_handles.h"

namespace veziv {
namespace {

// Formatted texts are cut to this, never inside a double-byte character.
constexpr size_t kFormattedBytes = 2048;

}  // namespace

int DrawTextWithFont(int x, int y, const char* text, uint32_t colour, int font, uint32_t edgeColour, int vertical) {
  if (text == nullptr || text[0] == '\0' || IsDrawingSuppressed()) return 0;
  const FontHandleData* record = GetFontRecord(font);
  if (record == nullptr) return WriteLogText("フォントハンドル値が異常です\n");
  const detail::GraphicsHooks& calls = detail::GraphicsCalls();
  if (!calls.window_is_active()) calls.wait_while_window_inactive();

  const bool masked = IsMaskedDrawActive() != 0;
  DrawRect box{};
  if (masked || (GetBlendMode() == 3 && record->textureCache) || GetCurrentDrawTarget() == kTargetAutoPresent) {
    const DrawRect area = GetDrawArea();
    box = vertical ? DrawRect{x, y, x + record->size + 3, area.bottom} : DrawRect{x, y, area.right, y + record->size + 3};
    if (box.left >= area.right) return 0;
    if (masked) BeginMaskedDraw(box.left, box.top, box.right, box.bottom);
  }
  // The software renderer subtracts by itself: subtract blending needs no bracket here.
  const int result = record->textureCache ? DrawTextWithTextureCache(x, y, colour, edgeColour, vertical, font, text)
                                          : DrawTextWithMemoryCache(text, colour, font, edgeColour, vertical, x, y);
  if (masked) EndMaskedDraw(box.left, box.top, box.right, box.bottom);
  return result;
}

int DrawTextDefaultFont(int x, int y, const char* text, uint32_t colour, uint32_t edgeColour) {
  EnsureDefaultFont();
  return DrawTextWithFont(x, y, text, colour, GetLibraryDefaultFont(), edgeColour, 0);
}

namespace {

// With defaultFont the default font is made as it is wished and drawn with.
int DrawFormatted(int x, int y, uint32_t colour, int font, bool defaultFont, const char* format, va_list args) {
  char text[kFormattedBytes];
  if (FormatTextArgs(text, sizeof text, format, args) < 0) return 0;
  if (defaultFont) {
    EnsureDefaultFont();
    font = GetLibraryDefaultFont();
  }
  return DrawTextWithFont(x, y, text, colour, font, 0, 0);
}

}  // namespace

int DrawFormattedTextWithFont(int x, int y, uint32_t colour, int font, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = DrawFormatted(x, y, colour, font, false, format, args);
  va_end(args);
  return result;
}

int DrawFormattedTextDefaultFont(int x, int y, uint32_t colour, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = DrawFormatted(x, y, colour, -1, true, format, args);
  va_end(args);
  return result;
}

int MeasureTextWithFont(const char* text, int byteCount, int font, int vertical) {
  return ProcessTextWithFont(0, 0, 0, 0, 1.0, 1.0, text, 0, nullptr, nullptr, 0, font, 0, byteCount, vertical,
                             nullptr);
}

int MeasureTextDefaultFont(const char* text, int byteCount, int vertical) {
  EnsureDefaultFont();
  return MeasureTextWithFont(text, byteCount, GetLibraryDefaultFont(), vertical);
}

int DrawTextWithTextureCache(int x, int y, uint32_t colour, uint32_t edgeColour, int vertical, int font,
                             const char* text) {
  const FontHandleData* record = GetFontRecord(font);
  if (record == nullptr || !record->textureCache) return 0;
  // The graphs were deleted from outside: made again, and the cache with them.
  if (record->cacheGraphNeeded) CreateTextCacheGraph(font);
  const DrawRect area = GetDrawArea();
  ProcessTextWithFont(1, x, y, 0, 1.0, 1.0, text, colour, nullptr, &area, 1, font, edgeColour, -1, vertical, nullptr);
  return 0;
}

}  // namespace veziv
