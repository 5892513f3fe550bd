// Strings drawn and measured through a font's glyph cache: with a font or
// the default font, plain or printf-style, across or down. Texts are CP932;
// colours are values in the screen's format (PackColorForScreen), taken
// through the current draw brightness.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"
#include "library/softrender/surface/softsurface.h"
#include "library/veziv.h"

namespace veziv {

// The two roads. Each returns 0.
int DrawTextWithTextureCache(int x, int y, uint32_t colour, uint32_t edgeColour, int vertical, int font,
                             const char* text);
int DrawTextWithMemoryCache(const char* text, uint32_t colour, int font, uint32_t edgeColour, int vertical, int x,
                            int y);

// Walks the string through the font's cache. mode 0 measures, 1 draws at (x,
// y): a texture-cache font through its graphs (scaled by the two factors when
// scaleFlag is set), a memory-cache font into target within clip. size, when
// given, receives the width and height of the text's box. The truncated total
// advance, or -1 (drawing suppressed, graphics not started, invalid font, a
// character that cannot be cached).
int ProcessTextWithFont(int mode, int x, int y, int scaleFlag, double scaleX, double scaleY, const char* text,
                        uint32_t colour, SOFTSURFACE* target, const DrawRect* clip, int writeFlag, int font,
                        uint32_t edgeColour, int byteCount, int vertical, int* size);

}  // namespace veziv
