// Software decoder of DXT1-DXT5 images into A8R8G8B8. Blocks at the right and
// bottom edges that the image covers only in part are decoded too, clipped to
// the image, so no pixel is left unwritten.
#include <algorithm>
#include <cstring>

#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

namespace {

struct Rgba {
  uint32_t r, g, b, a;
};

void ColourBlock(const uint8_t* block, bool dxt1, uint32_t out[16]) {
  uint32_t c0 = detail::LoadLe16(block), c1 = detail::LoadLe16(block + 2);
  auto expand = [](uint32_t c) {
    return Rgba{(c >> 11) * 255 / 31, ((c >> 5) & 0x3F) * 255 / 63, (c & 0x1F) * 255 / 31, 255};
  };
  Rgba colour[4] = {expand(c0), expand(c1), {}, {}};
  const Rgba& a = colour[0];
  const Rgba& b = colour[1];
  if (!dxt1 || c0 > c1) {
    colour[2] = {(2 * a.r + b.r) / 3, (2 * a.g + b.g) / 3, (2 * a.b + b.b) / 3, 255};
    colour[3] = {(a.r + 2 * b.r) / 3, (a.g + 2 * b.g) / 3, (a.b + 2 * b.b) / 3, 255};
  } else {
    colour[2] = {(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2, 255};
    colour[3] = {colour[2].r, colour[2].g, colour[2].b, 0};
  }
  uint32_t indices = detail::LoadLe32(block + 4);
  for (int k = 0; k < 16; ++k) {
    const Rgba& c = colour[indices >> (2 * k) & 3];
    out[k] = c.a << 24 | c.r << 16 | c.g << 8 | c.b;
  }
}

void ExplicitAlpha(const uint8_t* block, uint32_t alpha[16]) {
  for (int k = 0; k < 16; ++k) alpha[k] = (block[k / 2] >> (4 * (k & 1)) & 0xF) * 255 / 15;
}

void InterpolatedAlpha(const uint8_t* block, uint32_t alpha[16]) {
  uint32_t a0 = block[0], a1 = block[1];
  uint32_t table[8] = {a0, a1};
  if (a0 > a1) {
    for (int i = 2; i < 8; ++i) table[i] = ((8 - i) * a0 + (i - 1) * a1) / 7;
  } else {
    for (int i = 2; i < 6; ++i) table[i] = ((6 - i) * a0 + (i - 1) * a1) / 5;
    table[6] = 0;
    table[7] = 255;
  }
  uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
  for (int k = 0; k < 16; ++k) alpha[k] = table[bits >> (3 * k) & 7];
}

}  // namespace

int DecompressRasterImageDxt(RasterImage* image) {
  const uint32_t kind = image->format.compressedKind;
  if (kind == 0) return 0;
  if (kind > 5 || image->width < 0 || image->height < 0 || !image->pixels) return -1;
  const int width = image->width, height = image->height;
  uint8_t* out = static_cast<uint8_t*>(detail::AllocRasterMemory(size_t(width) * 4 * size_t(height)));
  if (!out) return -1;
  const int blockBytes = kind == 1 ? 8 : 16;
  const int blocksX = (width + 3) / 4, blocksY = (height + 3) / 4;
  const uint8_t* block = static_cast<const uint8_t*>(image->pixels);
  for (int by = 0; by < blocksY; ++by) {
    for (int bx = 0; bx < blocksX; ++bx, block += blockBytes) {
      uint32_t colour[16];
      uint32_t alpha[16];
      const uint8_t* colourPart = kind == 1 ? block : block + 8;
      ColourBlock(colourPart, kind == 1, colour);
      if (kind == 2 || kind == 3) ExplicitAlpha(block, alpha);
      if (kind == 4 || kind == 5) InterpolatedAlpha(block, alpha);
      for (int j = 0; j < 4 && by * 4 + j < height; ++j)
        for (int i = 0; i < 4 && bx * 4 + i < width; ++i) {
          uint32_t p = colour[4 * j + i];
          if (kind != 1) p = (p & 0x00FFFFFFu) | alpha[4 * j + i] << 24;
          detail::StoreLe32(out + (size_t(by * 4 + j) * width + size_t(bx * 4 + i)) * 4, p);
        }
    }
  }
  detail::FreeRasterMemory(image->pixels);
  image->pixels = out;
  SetPixelFormatDescA8R8G8B8(&image->format);
  image->pitch = width * 4;
  // Only level 0 is decoded.
  image->levelCount = 0;
  return 0;
}

}  // namespace veziv
