// The font calls of the glyph cache, on platform/glyphs by default.
#include "library/text_input/fonts/font_rasterizer.h"

namespace veziv::detail {
namespace {

namespace pg = platform::glyphs;

constexpr FontRasterizer kReal = {
    .open = [](const char* face, int height, int weight, int italic) -> void* {
      return pg::OpenFont(face != nullptr ? face : "", height, weight, italic != 0);
    },
    .close = [](void* font) { pg::CloseFont(static_cast<pg::Font*>(font)); },
    .metrics = [](const void* font) { return pg::GetFontMetrics(*static_cast<const pg::Font*>(font)); },
    .glyph = [](void* font, uint32_t code, int format, pg::GlyphBox* box, uint8_t* buffer, size_t size) {
      return pg::RenderGlyph(*static_cast<pg::Font*>(font), code,
                             format == 1 ? pg::GlyphFormat::kMono : pg::GlyphFormat::kGray, box, buffer, size);
    },
};

FontRasterizer g_rasterizer = kReal;

}  // namespace

FontRasterizer& FontRasterizerCalls() { return g_rasterizer; }

void UseRealFontRasterizer() { g_rasterizer = kReal; }

}  // namespace veziv::detail
