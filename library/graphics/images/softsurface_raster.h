// Software images and the graphics layer's image records: the pixel format of
// each image type, copies between two images, filling an image from a decoded
// picture, and the movie player's pixel layouts of the image types. Depends on
// the renderer's image records and the image records of graphics.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {

struct RasterImage;

// The cached format description of a (type, alpha, palette) combination; null
// for a type above 3. Palette variants keep the type's masks with 8 colour bits.
const PixelFormatDesc* SoftSurfacePixelFormat(int type, int alphaFlag, int paletteFlag);

// Copies srcRect (null: the whole source view) of source into destination at
// (dstX, dstY), converting between the two formats. The rectangle is cut to
// both views. The converter's result: -1 for nothing to copy.
int SoftSurfaceCopyRect(SOFTSURFACE* destination, const SOFTSURFACE* source, const DrawRect* srcRect, int dstX,
                        int dstY);

// Converts the rectangle (srcX, srcY, width, height) of image, with its alpha
// image when given, into view at (dstX, dstY); keyAlpha gives pixels of the
// view's transparent colour alpha 0. Then sets the palette of a palette view,
// and builds the alpha plane and run table when the whole view was filled.
// Negative when the conversion fails (the rectangle must lie inside both).
int SoftSurfaceFromRaster(const RasterImage* image, const RasterImage* alphaImage, SOFTSURFACE* view, int srcX,
                          int srcY, int width, int height, int dstX, int dstY, int keyAlpha);

// The movie player's description of a pixel layout: 32 bytes, RGB flag 0x40.
struct MoviePixelFormat {
  uint32_t size;
  uint32_t flags;
  uint32_t fourCC;
  uint32_t bitCount;
  uint32_t redMask;
  uint32_t greenMask;
  uint32_t blueMask;
  uint32_t alphaMask;
};
static_assert(sizeof(MoviePixelFormat) == 32);

// The cached movie description of a (type, alpha, palette) combination, as
// SoftSurfacePixelFormat; null for a type above 3.
const MoviePixelFormat* GetMoviePixelFormat(int type, int alphaFlag, int paletteFlag);
// Fills desc from a movie description: bits, bytes, masks with their shifts
// and widths, and the bits of no channel.
void BuildPixelFormatFromMovieFormat(const MoviePixelFormat* record, PixelFormatDesc* desc);
void ClearPixelFormatInfo(MoviePixelFormat* record);

}  // namespace veziv
