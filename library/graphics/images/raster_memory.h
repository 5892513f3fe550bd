// Pixel memory and little-endian pixel access for the image code: every
// allocation of image data goes through here, and every load or store of a
// pixel value is done byte by byte (no casts over the buffer).
#pragma once

#include <cstddef>
#include <cstdint>

namespace veziv::detail {

// Memory for pixel data; null when size does not fit the allocator's 32-bit
// size or the memory cannot be had. A size of 0 still gives a block.
void* AllocRasterMemory(size_t size);
void* AllocRasterMemoryZeroed(size_t size);
void FreeRasterMemory(void* block);

// Pixel memory that a reader is filling: freed on every early return, handed
// over with Release once the picture is whole.
struct RasterMemoryOwner {
  uint8_t* pixels = nullptr;
  RasterMemoryOwner() = default;
  RasterMemoryOwner(const RasterMemoryOwner&) = delete;
  RasterMemoryOwner& operator=(const RasterMemoryOwner&) = delete;
  ~RasterMemoryOwner() { FreeRasterMemory(pixels); }
  uint8_t* Release() {
    uint8_t* p = pixels;
    pixels = nullptr;
    return p;
  }
};

inline uint32_t LoadPixelValue(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1: return p[0];
    case 2: return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    case 3: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    case 4: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    default: return 0;
  }
}

inline void StorePixelValue(uint8_t* p, int bytes, uint32_t v) {
  for (int i = 0; i < bytes && i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

inline uint16_t LoadLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t LoadLe32(const uint8_t* p) { return LoadPixelValue(p, 4); }
inline void StoreLe16(uint8_t* p, uint32_t v) { StorePixelValue(p, 2, v); }
inline void StoreLe32(uint8_t* p, uint32_t v) { StorePixelValue(p, 4, v); }

}  // namespace veziv::detail
