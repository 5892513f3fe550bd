// Helpers for the reader and writer tests and the fuzz seed generator: the
// image files of tests/fixtures, a memory stream over a byte vector, and pixel
// lookups in a loaded image.
#pragma once

#include <cstdint>
#include <vector>

#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/raster_memory.h"
#include "tests/fixtures/image_files_test_support.h"

namespace veziv::test {

// Runs one reader over the bytes through a memory stream; the image is freed
// by the caller (FreeRasterImage is harmless on a refused, zeroed record).
inline int ReadWith(int (*reader)(ImageStream*, RasterImage*), const std::vector<uint8_t>& bytes,
                    RasterImage* image) {
  *image = RasterImage{};
  MemoryStreamState* state = OpenMemoryStream(bytes.data(), int(bytes.size()));
  ImageStream stream{*GetMemoryStreamTable(), reinterpret_cast<StreamValue>(state)};
  int result = reader(&stream, image);
  stream.table.close(stream.stream);
  return result;
}

struct Loaded {
  RasterImage image{};
  ~Loaded() { FreeRasterImage(&image); }
  RasterImage* operator->() { return &image; }
  RasterImage* get() { return &image; }
};

// The stored pixel value at (x, y).
inline uint32_t PixelAt(const RasterImage& im, int x, int y) {
  return detail::LoadPixelValue(static_cast<const uint8_t*>(im.pixels) + y * im.pitch + x * im.format.bytesPerPixel,
                                im.format.bytesPerPixel);
}

// The colour at (x, y) as 0xRRGGBB through the record's description.
inline uint32_t RgbAt(RasterImage& im, int x, int y) {
  int r = 0, g = 0, b = 0;
  if (GetRasterImagePixel(&im, x, y, &r, &g, &b, nullptr) != 0) return 0xDEADBEEF;
  return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

}  // namespace veziv::test
