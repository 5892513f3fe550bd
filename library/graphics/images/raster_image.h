// The library's image record: a pixel format, the size, the row pitch and the
// pixel memory it owns, with creators, pixel access, the converter between
// formats, blits, scalers, the DXT decoder and the soft-image table.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"
#include "library/graphics/images/pixel_format.h"
#include "library/veziv.h"

namespace veziv {

// Records. Each creator fills the whole record; 0, or -1 without pixel memory.
int CreateRasterImageBuffer(int width, int height, RasterImage* image);
int CreateRasterImageArgb(int width, int height, RasterImage* image);
int InitRasterImageWithFormat(int width, int height, const PixelFormatDesc* desc, RasterImage* image);
int FreeRasterImage(RasterImage* image);
void ClearRasterImageRect(RasterImage* image, int x, int y, int width, int height);
int MirrorRasterImage(RasterImage* image);

// Pixels.
uint32_t GetRasterImagePixelArgb(const RasterImage* image, int x, int y);
int GetRasterImagePixel(RasterImage* image, int x, int y, int* red, int* green, int* blue, int* alpha);
int SetRasterImagePixel(RasterImage* image, int x, int y, int red, int green, int blue, int alpha);

// Copies the rectangle srcRect of the source into the destination at (dstX, dstY),
// changing the format. Returns -1 for an empty rectangle, the largest index for
// an index-to-index copy, else 0. Both rectangles must lie inside their images.
int ConvertPixelsBlock(void* dstPixels, int dstPitch, const PixelFormatDesc* dstFormat, const void* srcPixels,
                       int srcPitch, const PixelFormatDesc* srcFormat, const void* alphaPixels, int alphaPitch,
                       const PixelFormatDesc* alphaFormat, int dstX, int dstY, const DrawRect* srcRect,
                       int mirror, int keyAlpha, uint32_t transparentColor, int ditherMode, int colorToZero,
                       int alphaFromRed, int skipTransparent, int paletteRemap);

int BlitRasterImage(int srcX, int srcY, int width, int height, int dstX, int dstY, RasterImage* src,
                    RasterImage* dst);
int ScaleBlitRasterImage(int srcLeft, int srcTop, int srcRight, int srcBottom, RasterImage* src, int dstLeft,
                         int dstTop, int dstRight, int dstBottom, RasterImage* dst, int filter);
int ShrinkPixelsByHalf(const PixelFormatDesc* desc, void* dstPixels, int dstPitch, const void* srcPixels,
                       int srcPitch, int dstX, int unusedWord, int srcX, int firstRow, int srcWidth,
                       int srcHeight);
int DecompressRasterImageDxt(RasterImage* image);

// Soft images.
int FreeSoftImageHandle(int handle);
void ReleaseAllSoftImages();
void TerminateSoftImages();

}  // namespace veziv
