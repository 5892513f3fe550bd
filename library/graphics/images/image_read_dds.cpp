// DirectDraw surface reader: formats by FourCC number or by channel masks,
// DXT1-DXT5 kept compressed, and the mip levels stored behind level 0.
#include <algorithm>
#include <cstring>

#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_stream.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

using detail::LoadLe32;

namespace {

constexpr uint32_t kMaxLevels = 32;

struct FourCcFormat {
  uint32_t code;
  int bits;
  uint32_t r, g, b, a;
};

const FourCcFormat kFormats[] = {
    {20, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u},
    {22, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {23, 16, 0xF800, 0x7E0, 0x1F, 0},
    {24, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {25, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {26, 16, 0xF00, 0xF0, 0xF, 0xF000},
    {27, 8, 0xE0, 0x1C, 0x3, 0},
    {29, 16, 0xE0, 0x1C, 0x3, 0xFF00},
    {30, 16, 0xF00, 0xF0, 0xF, 0},
    {31, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000u},
    {32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u},
    {33, 32, 0xFF, 0xFF00, 0xFF0000, 0},
    {35, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000u},
    {0xFFFFFFFFu, 0, 0, 0, 0, 0},
};

uint32_t FourCc(const char* text) { return LoadLe32(reinterpret_cast<const uint8_t*>(text)); }

}  // namespace

int ReadDdsToRasterImage(ImageStream* stream, RasterImage* image) {
  const ImageStream& s = *stream;
  uint8_t h[128];
  if (!detail::ReadStreamExact(s, h, 4) || std::memcmp(h, "DDS", 3) != 0) return -1;
  if (!detail::ReadStreamExact(s, h + 4, 124)) return -1;
  const uint32_t flags = LoadLe32(h + 8), height = LoadLe32(h + 12), width = LoadLe32(h + 16);
  const uint32_t headerPitch = LoadLe32(h + 20), mipCount = LoadLe32(h + 28);
  const uint32_t pfFlags = LoadLe32(h + 80), fourCc = LoadLe32(h + 84), bitCount = LoadLe32(h + 88);
  const uint32_t caps = LoadLe32(h + 108);
  if (width == 0 || height == 0 || width > detail::kMaxPictureSide || height > detail::kMaxPictureSide) return -1;

  PixelFormatDesc desc{};
  bool described = false;
  if (pfFlags == 4) {
    for (const FourCcFormat* f = kFormats; f->code != 0xFFFFFFFFu; ++f)
      if (f->code == fourCc) {
        SetPixelFormatDescFromMasks(&desc, f->bits, f->r, f->g, f->b, f->a);
        described = true;
      }
  }
  uint32_t kind = 0;
  if (pfFlags & 4) {
    const char* names[] = {"DXT1", "DXT2", "DXT3", "DXT4", "DXT5"};
    for (uint32_t k = 0; k < 5; ++k)
      if (fourCc == FourCc(names[k])) kind = k + 1;
    if (kind == 0 && !described) return -1;
  } else {
    if ((pfFlags & 0x40) && !(pfFlags & 1)) return -1;
    if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return -1;
    SetPixelFormatDescFromMasks(&desc, int(bitCount), LoadLe32(h + 92), LoadLe32(h + 96), LoadLe32(h + 100),
                                LoadLe32(h + 104));
  }

  uint32_t levels = 0;
  if ((flags & 0x20000) && (caps & 0x400000) && (caps & 0x8)) levels = mipCount;
  if (levels > kMaxLevels) return -1;
  const uint32_t levelsRead = levels > 1 ? levels : 1;

  int64_t total = 0;
  int64_t pitch = 0;
  if (kind == 0) {
    const int64_t rowBytes = int64_t(desc.bytesPerPixel) * width;
    pitch = (flags & 0x8) ? int64_t(headerPitch) : rowBytes;
    if (pitch < rowBytes) return -1;
    for (int64_t level = 0, sizeOfLevel = pitch * height; level < levelsRead; ++level, sizeOfLevel /= 4)
      total += sizeOfLevel;
  } else {
    // Each level holds whole 4 x 4 blocks, a partly covered edge block included.
    const int64_t blockBytes = kind == 1 ? 8 : 16;
    for (uint32_t level = 0; level < levelsRead; ++level) {
      const int64_t w = level < 32 ? std::max<int64_t>(1, int64_t(width) >> level) : 1;
      const int64_t hh = level < 32 ? std::max<int64_t>(1, int64_t(height) >> level) : 1;
      total += (w + 3) / 4 * ((hh + 3) / 4) * blockBytes;
    }
    SetPixelFormatDescA8R8G8B8(&desc);
    desc.colorBits = kind == 1 ? 4 : 8;
    desc.compressedKind = kind;
  }
  if (total <= 0 || total > detail::MaxReadBytes() || pitch > INT32_MAX) return -1;
  // Block-compressed data is decoded into 32-bit pixels before any use.
  if (kind != 0 && !detail::PictureFitsReadBudget(width, height, 4)) return -1;
  if (detail::StreamSize(s) - 128 < total) return -1;

  void* pixels = detail::AllocRasterMemory(size_t(total));
  if (!pixels) return -1;
  if (!detail::SeekStream(s, 128) || !detail::ReadStreamExact(s, pixels, size_t(total))) {
    detail::FreeRasterMemory(pixels);
    return -1;
  }
  image->format = desc;
  image->width = int32_t(width);
  image->height = int32_t(height);
  image->pitch = int32_t(pitch);
  image->pixels = pixels;
  image->levelCount = int32_t(levels);
  return 0;
}

}  // namespace veziv
