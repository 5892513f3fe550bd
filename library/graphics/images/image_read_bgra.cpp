// The library's raw "BGRA" format: a 16-byte header and 8- or 16-bit channels.
#include <cstring>
#include <vector>

#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_stream.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

int ReadBgraToRasterImage(ImageStream* stream, RasterImage* image) {
  const ImageStream& s = *stream;
  uint8_t h[16];
  if (!detail::ReadStreamExact(s, h, 16) || std::memcmp(h, "BGRA", 4) != 0) return -1;
  const uint32_t format = detail::LoadLe32(h + 4), width = detail::LoadLe32(h + 8), height = detail::LoadLe32(h + 12);
  if (format != 0x08080808u && format != 0x10101010u) return -1;
  if (!detail::PictureFitsReadBudget(width, height, 4)) return -1;
  const int64_t outBytes = int64_t(width) * height * 4;
  // Refuse a file too short for its size before taking the memory.
  if (detail::StreamSize(s) - 16 < (format == 0x08080808u ? outBytes : outBytes * 2)) return -1;

  auto* out = static_cast<uint8_t*>(detail::AllocRasterMemory(size_t(outBytes)));
  if (!out) return -1;
  bool ok = true;
  if (format == 0x08080808u) {
    ok = detail::ReadStreamExact(s, out, size_t(outBytes));
  } else {
    std::vector<uint8_t> row(size_t(width) * 8);
    for (uint32_t y = 0; ok && y < height; ++y) {
      ok = detail::ReadStreamExact(s, row.data(), row.size());
      for (size_t i = 0; ok && i < size_t(width) * 4; ++i) out[size_t(y) * width * 4 + i] = row[2 * i + 1];
    }
  }
  if (!ok) {
    detail::FreeRasterMemory(out);
    return -1;
  }
  SetPixelFormatDescA8R8G8B8(&image->format);
  image->width = int32_t(width);
  image->height = int32_t(height);
  image->pitch = int32_t(width * 4);
  image->pixels = out;
  image->levelCount = 0;
  return 0;
}

}  // namespace veziv
