// What the glyph cache asks of the platform's fonts, as one table of calls:
// the real fonts of platform/glyphs unless a test puts its own in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/glyphs/glyphs.h"

namespace veziv::detail {

struct FontRasterizer {
  // A font of the face (CP932), cell height, weight and italic flag, or null.
  void* (*open)(const char* face, int height, int weight, int italic);
  void (*close)(void* font);
  platform::glyphs::FontMetrics (*metrics)(const void* font);
  // format 1: one bit a pixel; 5: levels 0..16. The bitmap's size, 0 for a
  // glyph without pixels, -1 on failure; the bits when a large enough buffer is given.
  int (*glyph)(void* font, uint32_t code, int format, platform::glyphs::GlyphBox* box, uint8_t* buffer, size_t size);
};

FontRasterizer& FontRasterizerCalls();
// The platform's fonts again.
void UseRealFontRasterizer();

}  // namespace veziv::detail
