// Helpers for the reader and writer tests: a little-endian byte builder, a
// memory stream over a byte vector, and pixel lookups in a loaded image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/graphics/image_loaders.h"
#include "library/graphics/raster_memory.h"

namespace veziv::testing_support {

struct Bytes {
  std::vector<uint8_t> data;
  Bytes& u8(uint32_t v) {
    data.push_back(uint8_t(v));
    return *this;
  }
  Bytes& u16(uint32_t v) { return u8(v).u8(v >> 8); }
  Bytes& u32(uint32_t v) { return u16(v).u16(v >> 16); }
  Bytes& text(const std::string& s) {
    data.insert(data.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& raw(const std::vector<uint8_t>& v) {
    data.insert(data.end(), v.begin(), v.end());
    return *this;
  }
  Bytes& zeros(size_t n) {
    data.insert(data.end(), n, 0);
    return *this;
  }
  size_t size() const { return data.size(); }
};

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

}  // namespace veziv::testing_support
