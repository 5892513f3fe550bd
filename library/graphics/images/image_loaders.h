// Reading image files into RasterImage records: the chain of format readers
// over a library stream, and the load calls over a file or a memory block.
#pragma once

#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/streams.h"
#include "library/graphics/images/raster_image.h"

namespace veziv {

// The stream every reader receives: the six stream operations and the stream value.
struct ImageStream {
  StreamFunctionTable table;
  StreamValue stream;
};

// Each reader starts at position 0 on a zeroed record; 0 when it accepted the
// data and filled the record, -1 (nothing left allocated) otherwise.
int ReadBmpToRasterImage(ImageStream* stream, RasterImage* image);
int ReadJpegToRasterImage(ImageStream* stream, RasterImage* image);
int ReadPngToRasterImage(ImageStream* stream, RasterImage* image);
int ReadBgraToRasterImage(ImageStream* stream, RasterImage* image);
int ReadTgaToRasterImage(ImageStream* stream, RasterImage* image);
int ReadDdsToRasterImage(ImageStream* stream, RasterImage* image);

// Tries the readers in order; 0 at the first that accepts, -1 when all refuse.
int LoadRasterImageByLoaders(ImageStream* stream, RasterImage* image);
// Opens the file, or the memory block when memoryFlag is not 0, loads it and
// mirrors it when asked. The caller owns the pixels of the out image.
int LoadRasterImageFromSource(const char* fileName, const void* memory, int memorySize, int memoryFlag,
                              int mirror, RasterImage* out);
int LoadRasterImage(const char* fileName, const void* memory, int memorySize, int memoryFlag, RasterImage* out,
                    int mirror);
// The colour image and its "_a" companion: -1 when the colour image fails, 1
// when there is no alpha image, 0 when both were loaded.
int LoadRasterImageWithAlpha(const char* fileName, const void* colourBlock, int colourSize, int colourMemoryFlag,
                             const void* alphaBlock, int alphaSize, int alphaMemoryFlag, RasterImage* colour,
                             RasterImage* alpha, int mirror);

}  // namespace veziv
