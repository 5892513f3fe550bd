// The pixel formats of the texture format indices (the texture type numbers
// of creation requests), and the format a request or a few wishes give.
// What the glyph cache reads to lay out its staging image.
#pragma once

#include "library/graphics/graphs/graph_tiling.h"
#include "library/graphics/images/pixel_format.h"

namespace veziv {

// Indices 0..13: 16- and 32-bit without alpha, with alpha, with key alpha,
// DXT1..DXT5 and the three render-target kinds. Null outside them.
const PixelFormatDesc* GetTextureFormatPixelFormatDesc(int index);
// The format of the request's texture type number; null for a compressed
// format number above 5, which names no format.
const PixelFormatDesc* GetPixelFormatForRequest(const GraphCreateRequest& request);
// The format of a plain texture request with these wishes: alpha channel,
// colour bits (16, else 32), transparent colour in use, render-target kind.
const PixelFormatDesc* GetTexturePixelFormat(int alpha, int colorBits, int transColor, int renderTarget);

}  // namespace veziv
