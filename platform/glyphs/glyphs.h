// Fonts for the library's glyph cache: a font made from a face name (CP932),
// a cell height, a weight and an italic flag; its three text metrics; and one
// glyph at a time as a bitmap in the two layouts the cache reads. Built on
// FreeType and fontconfig, with our own table for the Japanese face names the
// game asks for. No FreeType or fontconfig type crosses this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::glyphs {

struct Font;

// In pixels: the cell height (ascent plus descent), the ascent, and the widest
// advance of the face.
struct FontMetrics {
  int height = 0;
  int ascent = 0;
  int max_char_width = 0;
};

enum class GlyphFormat {
  kMono = 1,  // one bit a pixel, the most significant bit leftmost
  kGray = 5,  // one byte a pixel, levels 0 (none) to 16 (full)
};

struct GlyphBox {
  int width = 0;     // the black box; 0 x 0 for a glyph without pixels
  int height = 0;
  int origin_x = 0;  // the box's left edge from the pen
  int origin_y = 0;  // the box's top edge above the baseline
  int advance = 0;   // whole pixels
};

// height > 0 is the cell height in pixels, height < 0 the em height; 0 takes
// an em of 12. weight is 100 to 900 (400 regular); a face lighter than asked
// by 200 or more is emboldened, and one without italics is slanted. The face
// name is looked up in our own table first ("ＭＳ 明朝" is IPA Mincho, "ＭＳ
// ゴシック" and the empty name IPA Gothic), then by fontconfig. Null when no
// font file can be had, or for a cell above 2048 pixels.
Font* OpenFont(std::string_view face_cp932, int height, int weight, bool italic);
void CloseFont(Font* font);

FontMetrics GetFontMetrics(const Font& font);
// The family name of the face the font was made from (UTF-8), such as "IPAGothic".
std::string FontFamily(const Font& font);

// Bytes of one bitmap row: rows are padded to a multiple of 4 bytes.
int GlyphRowPitch(GlyphFormat format, int width);

// The glyph of a CP932 code (a single byte, or lead << 8 | trail). A code the
// face lacks is taken from another installed face that has it; a code that
// names no character, or that no face has, gives the face's default glyph.
// Returns the bitmap's size in bytes (rows top-down, GlyphRowPitch apart), 0
// for a glyph without pixels; with a buffer of at least that size the rows
// are written to it. -1 for a buffer too small. The box is always filled.
int RenderGlyph(Font& font, uint32_t code, GlyphFormat format, GlyphBox* box, uint8_t* buffer, size_t size);

}  // namespace platform::glyphs
