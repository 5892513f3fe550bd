// Truevision TGA reader: colour-mapped and true-colour images, plain and RLE,
// 16, 24 and 32 bits, any of the four orientations.
#include <algorithm>
#include <cstring>
#include <vector>

#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_stream.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

using detail::LoadLe16;

namespace {

constexpr int kMaxSide = 8192;

// Unpacks RLE packets of bytesEach-byte values into out; false when the data
// ends before every pixel is made. A packet running past the last pixel stops there.
bool DecodePackets(const uint8_t* data, size_t size, int bytesEach, size_t pixels, uint8_t* out) {
  size_t i = 0, made = 0;
  while (made < pixels) {
    if (i >= size) return false;
    uint8_t h = data[i++];
    size_t n = (h & 0x7F) + 1u;
    if (n > pixels - made) n = pixels - made;
    if (h & 0x80) {
      if (size - i < size_t(bytesEach)) return false;
      for (size_t k = 0; k < n; ++k) std::memcpy(out + (made + k) * bytesEach, data + i, bytesEach);
      i += bytesEach;
    } else {
      if ((size - i) / bytesEach < n) return false;
      std::memcpy(out + made * bytesEach, data + i, n * bytesEach);
      i += n * bytesEach;
    }
    made += n;
  }
  return true;
}

}  // namespace

int ReadTgaToRasterImage(ImageStream* stream, RasterImage* image) {
  const ImageStream& s = *stream;
  const int64_t size = detail::StreamSize(s);
  if (size < 18) return -1;
  bool footer = false;
  if (size >= 26 + 18 && detail::SeekStream(s, size - 26)) {
    uint8_t f[26];
    footer = detail::ReadStreamExact(s, f, 26) && std::memcmp(f + 8, "TRUEVISION-XFILE", 16) == 0 &&
             detail::LoadLe32(f) == 0;
  }
  uint8_t h[18];
  if (!detail::SeekStream(s, 0) || !detail::ReadStreamExact(s, h, 18)) return -1;
  const int idLength = h[0], mapType = h[1], type = h[2];
  const int mapFirst = LoadLe16(h + 3), mapLength = LoadLe16(h + 5), mapEntryBits = h[7];
  const int width = LoadLe16(h + 12), height = LoadLe16(h + 14), pixelDepth = h[16], descriptor = h[17];
  const bool mapped = type == 1 || type == 9;
  const int depth = mapped ? mapEntryBits : pixelDepth;
  if (type != 1 && type != 2 && type != 9 && type != 10) return -1;
  if (LoadLe16(h + 8) != 0 || LoadLe16(h + 10) != 0) return -1;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return -1;
  if (depth != 16 && depth != 24 && depth != 32) return -1;
  if (mapped && pixelDepth != 8) return -1;
  if (mapped && mapFirst + mapLength > 256) return -1;

  const int bytes = depth / 8;
  const size_t pixels = size_t(width) * size_t(height);
  // The identification field, then the colour map, come before the pixels.
  int64_t position = 18 + idLength;
  uint8_t map[256][4] = {};
  const int64_t mapBytes = int64_t(mapLength) * ((mapEntryBits + 7) / 8);
  if (mapped) {
    std::vector<uint8_t> packed(size_t(mapLength) * bytes);
    if (!detail::SeekStream(s, position) || !detail::ReadStreamExact(s, packed.data(), packed.size())) return -1;
    for (int i = 0; i < mapLength; ++i) std::memcpy(map[mapFirst + i], packed.data() + i * bytes, bytes);
    position += mapBytes;
  } else if (mapType == 1) {
    position += mapBytes;
  }
  const int64_t dataEnd = footer ? size - 26 : size;
  if (position > dataEnd || !detail::SeekStream(s, position)) return -1;
  // Checked before any pixel memory is taken: the picture fits the budget,
  // plain data holds every pixel, and an RLE packet makes at most 128 pixels.
  if (!detail::PictureFitsReadBudget(width, height, bytes)) return -1;
  const int64_t available = dataEnd - position;
  const bool rle = type == 9 || type == 10;
  const int64_t plainBytes = int64_t(pixels) * (type == 1 ? 1 : bytes);
  if (rle ? int64_t(pixels) / 128 > available : available < plainBytes) return -1;

  // The output and, for RLE, the packed data are all that is held: plain data
  // is read straight into the output, and indices are kept at the output's
  // end and widened into their entries from the front.
  const size_t outBytes = pixels * bytes;
  detail::RasterMemoryOwner out;
  out.pixels = static_cast<uint8_t*>(detail::AllocRasterMemory(outBytes));
  if (!out.pixels) return -1;
  uint8_t* const target = mapped ? out.pixels + (outBytes - pixels) : out.pixels;
  const int each = mapped ? 1 : bytes;
  if (!rle) {
    if (!detail::ReadStreamExact(s, target, pixels * each)) return -1;
  } else {
    // Every pixel a packet of its own is the most RLE data the picture can use.
    const int64_t wanted = std::min<int64_t>(available, int64_t(pixels) * (each + 1));
    std::vector<uint8_t> data(static_cast<size_t>(wanted));
    if (!detail::ReadStreamExact(s, data.data(), data.size())) return -1;
    if (!DecodePackets(data.data(), data.size(), each, pixels, target)) return -1;
  }
  if (mapped)
    for (size_t i = 0; i < pixels; ++i) std::memcpy(out.pixels + i * bytes, map[target[i]], bytes);

  // Turned in place so that rows run top-down and pixels left to right.
  const int pitch = width * bytes;
  const bool bottomUp = !(descriptor & 0x20), rightToLeft = (descriptor & 0x10) != 0;
  if (bottomUp)
    for (int y = 0; y < height / 2; ++y)
      std::swap_ranges(out.pixels + size_t(y) * pitch, out.pixels + size_t(y + 1) * pitch,
                       out.pixels + size_t(height - 1 - y) * pitch);
  if (rightToLeft)
    for (int y = 0; y < height; ++y) {
      uint8_t* row = out.pixels + size_t(y) * pitch;
      for (int x = 0; x < width / 2; ++x)
        std::swap_ranges(row + x * bytes, row + (x + 1) * bytes, row + (width - 1 - x) * bytes);
    }

  if (depth == 16)
    SetPixelFormatDescFromMasks(&image->format, 16, 0x7C00, 0x3E0, 0x1F, 0);
  else if (depth == 24)
    SetPixelFormatDesc24Bit(&image->format);
  else
    SetPixelFormatDescA8R8G8B8(&image->format);
  image->width = width;
  image->height = height;
  image->pitch = pitch;
  image->pixels = out.Release();
  image->levelCount = 0;
  return 0;
}

}  // namespace veziv
