// Windows bitmap reader: 4-, 8- and 24-bit images, RLE8 and RLE4, and the 1-,
// 16- and 32-bit and bit-field images, which are turned into 24-bit BGR here.
// Sizes are checked against the data present (for RLE, against what the data
// can plausibly fill); RLE runs stop at the image edge.
#include <algorithm>
#include <cstring>
#include <vector>

#include "library/foundation/memory_log/log.h"
#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_stream.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

using detail::LoadLe16;
using detail::LoadLe32;

namespace {

struct BmpInfo {
  int32_t width;
  int32_t rows;
  bool bottomUp;
  int bitCount;
  uint32_t compression;
  uint8_t palette[256][4];
  uint32_t masks[3];
};

// Densest plausible RLE data: rows that each hold nothing but their 2-byte
// end of line, at the widest picture accepted. A file claiming more pixels
// for its data is refused before the picture is allocated.
constexpr int64_t kRleMaxPixelsPerByte = detail::kMaxPictureSide / 2;

// The row of the output that file row i goes to.
int OutputRow(const BmpInfo& info, int fileRow) { return info.bottomUp ? info.rows - 1 - fileRow : fileRow; }

// RLE8 and RLE4: the write position stays inside the image; anything outside is dropped.
bool DecodeRle(const BmpInfo& info, const std::vector<uint8_t>& data, uint8_t* out, int pitch, bool fourBit) {
  int x = 0, row = 0;
  size_t i = 0;
  auto put = [&](uint8_t index) {
    if (x < info.width && row < info.rows) out[int64_t(OutputRow(info, row)) * pitch + x] = index;
    ++x;
  };
  while (i + 1 < data.size()) {
    uint8_t n = data[i], v = data[i + 1];
    i += 2;
    if (n > 0) {
      for (int k = 0; k < n && x < info.width; ++k) put(fourBit ? (k & 1 ? v & 0xF : v >> 4) : v);
      continue;
    }
    if (v == 0) {
      x = 0;
      ++row;
    } else if (v == 1) {
      return true;
    } else if (v == 2) {
      if (i + 1 >= data.size()) return true;
      x += data[i];
      row += data[i + 1];
      i += 2;
    } else {
      size_t bytes = fourBit ? (size_t(v) + 1) / 2 : v;
      size_t padded = (bytes + 1) & ~size_t(1);
      if (i + bytes > data.size()) return false;
      for (int k = 0; k < v; ++k) put(fourBit ? (k & 1 ? data[i + k / 2] & 0xF : data[i + k / 2] >> 4) : data[i + k]);
      i += std::min(padded, data.size() - i);
    }
    if (row >= info.rows) return true;
  }
  return true;
}

// Widens an n-bit channel to 8 bits by repeating its bits, (v << 3) | (v >> 2)
// for 5 bits. Our choice for the 16-bit and bit-field images: full stays full
// and the result matches what image editors show for these files.
uint8_t ReplicateBits(uint32_t v, int width) {
  if (width <= 0) return 0;
  if (width >= 8) return uint8_t(v >> (width - 8));
  uint32_t result = 0;
  int filled = 0;
  while (filled < 8) {
    result = result << width | v;
    filled += width;
  }
  return uint8_t(result >> (filled - 8));
}

}  // namespace

int ReadBmpToRasterImage(ImageStream* stream, RasterImage* image) {
  const ImageStream& s = *stream;
  const int64_t size = detail::StreamSize(s);
  uint8_t fileHeader[14];
  if (!detail::ReadStreamExact(s, fileHeader, 14) || fileHeader[0] != 'B' || fileHeader[1] != 'M') return -1;
  const uint32_t dataOffset = LoadLe32(fileHeader + 10);

  uint8_t info[44];
  if (!detail::ReadStreamExact(s, info, 44)) return -1;
  const uint32_t headerSize = LoadLe32(info);
  const int32_t width = int32_t(LoadLe32(info + 4));
  const int32_t height = int32_t(LoadLe32(info + 8));
  BmpInfo bmp{};
  bmp.bitCount = LoadLe16(info + 14);
  bmp.compression = LoadLe32(info + 16);
  if (headerSize < 40 || width <= 0 || height == 0 || height == INT32_MIN) return -1;
  bmp.width = width;
  bmp.rows = height < 0 ? -height : height;
  if (width > detail::kMaxPictureSide || bmp.rows > detail::kMaxPictureSide) return -1;
  bmp.bottomUp = height > 0;

  if (bmp.bitCount == 1 || bmp.bitCount == 4 || bmp.bitCount == 8) {
    // The palette follows the whole information header, whatever its version.
    if (!detail::SeekStream(s, 14 + int64_t(headerSize))) return -1;
    detail::ReadStreamBytes(s, bmp.palette, size_t(4) << bmp.bitCount);
  } else if (bmp.bitCount == 16 || bmp.bitCount == 32 || bmp.compression == 3) {
    for (int k = 0; k < 3; ++k) bmp.masks[k] = LoadLe32(info + 40);
    // Only bit fields use them; a small plain image may not even hold them.
    uint8_t more[8] = {};
    detail::ReadStreamBytes(s, more, 8);
    bmp.masks[1] = LoadLe32(more);
    bmp.masks[2] = LoadLe32(more + 4);
  }

  const int64_t rowSize = ((int64_t(bmp.bitCount) * width + 7) / 8 + 3) / 4 * 4;
  if (size < 0 || dataOffset > size || !detail::SeekStream(s, dataOffset)) return -1;
  std::vector<uint8_t> data(size_t(size - dataOffset));
  if (!detail::ReadStreamExact(s, data.data(), data.size())) return -1;

  const int rows = bmp.rows;
  const bool rle8 = bmp.compression == 1 && bmp.bitCount == 8;
  const bool rle4 = bmp.compression == 2 && bmp.bitCount == 4;
  const bool plain = bmp.compression == 0 && (bmp.bitCount == 4 || bmp.bitCount == 8 || bmp.bitCount == 24);
  const bool converted = (bmp.compression == 0 && (bmp.bitCount == 1 || bmp.bitCount == 16 || bmp.bitCount == 32)) ||
                         (bmp.compression == 3 && (bmp.bitCount == 16 || bmp.bitCount == 32));
  if (!rle8 && !rle4 && !plain && !converted) return -1;
  if (!rle8 && !rle4 && rows > int64_t(data.size()) / rowSize) return -1;
  if ((rle8 || rle4) && int64_t(rows) * width > int64_t(data.size()) * kRleMaxPixelsPerByte) return -1;

  const int outBytes = (rle8 || rle4 || bmp.bitCount == 4 || bmp.bitCount == 8) ? 1 : 3;
  const int64_t pitch = rle8 ? rowSize : (int64_t(outBytes) * width + 3) / 4 * 4;
  if (rows > detail::MaxReadBytes() / pitch) return -1;
  detail::RasterMemoryOwner out;
  out.pixels = static_cast<uint8_t*>(detail::AllocRasterMemoryZeroed(size_t(pitch * rows)));
  if (!out.pixels) {
    if (converted)
      return WriteLogText("２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n");
    return -1;
  }

  if (rle8 || rle4) {
    if (!DecodeRle(bmp, data, out.pixels, int(pitch), rle4)) return -1;
  } else {
    uint32_t masks[3] = {0x7C00, 0x3E0, 0x1F};
    if (bmp.compression == 3) std::copy(bmp.masks, bmp.masks + 3, masks);
    uint8_t shift[3], widthBits[3];
    for (int k = 0; k < 3; ++k) detail::MaskShiftAndWidth(masks[k], &shift[k], &widthBits[k]);
    for (int row = 0; row < rows; ++row) {
      const uint8_t* in = data.data() + row * rowSize;
      uint8_t* o = out.pixels + int64_t(OutputRow(bmp, row)) * pitch;
      switch (bmp.bitCount) {
        case 1:
          for (int x = 0; x < width; ++x) {
            const uint8_t* e = bmp.palette[(in[x / 8] >> (7 - x % 8)) & 1];
            o[3 * x] = e[0];
            o[3 * x + 1] = e[1];
            o[3 * x + 2] = e[2];
          }
          break;
        case 4:
          for (int x = 0; x < width; ++x) o[x] = x & 1 ? in[x / 2] & 0xF : in[x / 2] >> 4;
          break;
        case 8:
        case 24:
          std::memcpy(o, in, size_t(width) * outBytes);
          break;
        default: {
          const int bytes = bmp.bitCount / 8;
          for (int x = 0; x < width; ++x) {
            uint32_t v = detail::LoadPixelValue(in + x * bytes, bytes);
            if (bmp.bitCount == 32 && bmp.compression == 0) {
              o[3 * x] = uint8_t(v);
              o[3 * x + 1] = uint8_t(v >> 8);
              o[3 * x + 2] = uint8_t(v >> 16);
              continue;
            }
            // Red, green, blue masks in that order; the output is blue first.
            for (int k = 0; k < 3; ++k)
              o[3 * x + 2 - k] = widthBits[k] ? ReplicateBits((v & masks[k]) >> shift[k], widthBits[k]) : 0;
          }
        }
      }
    }
  }

  if (outBytes == 1) {
    SetPixelFormatDesc8BitPalette(&image->format);
    const int entries = bmp.bitCount == 8 ? 256 : 16;
    for (int i = 0; i < entries; ++i) {
      std::memcpy(image->format.palette[i], bmp.palette[i], 3);
      image->format.palette[i][3] = 0;
    }
  } else {
    SetPixelFormatDesc24Bit(&image->format);
  }
  image->width = width;
  image->height = rows;
  image->pitch = int32_t(pitch);
  image->pixels = out.Release();
  image->levelCount = 0;
  return 0;
}

}  // namespace veziv
