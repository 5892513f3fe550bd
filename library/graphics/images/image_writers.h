// Storing a RasterImage as a Windows bitmap, a PNG or a JPEG file. The writers
// never change the image; an existing file of the same name is replaced.
#pragma once

#include <cstdio>

#include "library/graphics/images/raster_image.h"

namespace veziv {

// 8-bit palette images keep their indices; 16-, 24- and 32-bit images become
// 24-bit bitmaps. 0, or -1 when the image cannot be stored or the file written.
int SaveRasterImageAsBmp(const char* fileName, const RasterImage* image);
// An 8-bit RGB PNG (alpha dropped); level is the zlib compression level.
int WritePngFile(const char* fileName, const RasterImage* image, int level);
// A baseline JPEG of the given quality (libjpeg clamps it to its range).
int WriteJpegFile(const char* fileName, const RasterImage* image, int quality);

namespace detail {
// Red, green, blue of a pixel of an uncompressed image, palette images through their entries.
void ReadPixelRgb(const RasterImage& image, int x, int y, uint8_t rgb[3]);
// Opens fileName for writing from scratch as a C stream; null when it cannot.
FILE* CreateImageFile(const char* fileName);
}  // namespace detail

}  // namespace veziv
