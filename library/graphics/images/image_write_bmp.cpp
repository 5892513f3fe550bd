// The bitmap writer, and the pieces the three writers share: reading a pixel
// as red, green, blue, and creating the output file.
#include <cstring>
#include <vector>

#include "library/foundation/memory_log/log.h"
#include "library/graphics/images/image_writers.h"
#include "library/graphics/images/raster_memory.h"
#include "platform/os/files.h"

namespace veziv {

namespace detail {

void ReadPixelRgb(const RasterImage& image, int x, int y, uint8_t rgb[3]) {
  const PixelFormatDesc& f = image.format;
  const uint8_t* p =
      static_cast<const uint8_t*>(image.pixels) + int64_t(y) * image.pitch + int64_t(x) * f.bytesPerPixel;
  uint32_t v = LoadPixelValue(p, f.bytesPerPixel);
  if (f.bytesPerPixel == 1) {
    rgb[0] = f.palette[v][2];
    rgb[1] = f.palette[v][1];
    rgb[2] = f.palette[v][0];
    return;
  }
  int r, g, b;
  GetColorOfColorCode(&f, v, &r, &g, &b, nullptr);
  rgb[0] = uint8_t(r);
  rgb[1] = uint8_t(g);
  rgb[2] = uint8_t(b);
}

FILE* CreateImageFile(const char* fileName) {
  if (!fileName) return nullptr;
  platform::os::DeleteFile(fileName);
  platform::os::File file = platform::os::OpenFile(fileName, platform::os::OpenMode::kCreateTruncate);
  if (!file.IsOpen()) return nullptr;
  int fd = file.Release();
  FILE* stream = fdopen(fd, "wb");
  if (!stream) platform::os::File closer(fd);
  return stream;
}

}  // namespace detail

namespace {

// Only the top of each channel is kept; the low bits of a narrow channel are 0.
uint8_t ChannelTop(uint32_t v, uint32_t mask, int shift, int width) {
  if (width <= 0) return 0;
  uint32_t c = (v & mask) >> shift;
  return uint8_t(width <= 8 ? c << (8 - width) : c >> (width - 8));
}

}  // namespace

int SaveRasterImageAsBmp(const char* fileName, const RasterImage* image) {
  const PixelFormatDesc& f = image->format;
  const int bits = f.colorBits;
  if (f.compressedKind != 0 || !image->pixels || image->width <= 0 || image->height <= 0) return -1;
  if (!(bits == 8 && f.bytesPerPixel == 1) && bits != 16 && bits != 24 && bits != 32) return -1;
  const bool palette = bits == 8;
  // Blue, green and red in the first three bytes of a pixel are copied as they
  // stand; any other layout (5:6:5 with an alpha byte, say) goes by its masks.
  const bool bgrBytes = f.bytesPerPixel >= 3 && f.blueMask == 0xFF && f.greenMask == 0xFF00 && f.redMask == 0xFF0000;
  const int64_t rowSize = palette ? (int64_t(image->width) + 3) / 4 * 4 : (int64_t(image->width) * 3 + 3) / 4 * 4;
  const uint32_t offset = palette ? 1078 : 54;
  const int64_t fileSize = offset + rowSize * image->height;
  if (fileSize > 0xFFFFFFFFll) return -1;

  uint8_t header[1078] = {};
  auto le32 = [&header](int at, uint32_t v) { detail::StoreLe32(header + at, v); };
  header[0] = 'B';
  header[1] = 'M';
  le32(2, uint32_t(fileSize));
  le32(10, offset);
  le32(14, 40);
  le32(18, uint32_t(image->width));
  le32(22, uint32_t(image->height));
  detail::StoreLe16(header + 26, 1);
  detail::StoreLe16(header + 28, palette ? 8 : 24);
  if (palette)
    for (int i = 0; i < 256; ++i) {
      std::memcpy(header + 54 + 4 * i, f.palette[i], 3);
      header[54 + 4 * i + 3] = 0;
    }

  auto* rows = static_cast<uint8_t*>(detail::AllocRasterMemoryZeroed(size_t(rowSize * image->height)));
  if (!rows) return WriteLogText("グラフィック保存用メモリの確保に失敗しました\n");
  for (int y = 0; y < image->height; ++y) {
    const uint8_t* in = static_cast<const uint8_t*>(image->pixels) + int64_t(y) * image->pitch;
    uint8_t* out = rows + int64_t(image->height - 1 - y) * rowSize;
    for (int x = 0; x < image->width; ++x) {
      if (palette) {
        out[x] = in[x];
      } else if (bgrBytes) {
        std::memcpy(out + 3 * x, in + int64_t(x) * f.bytesPerPixel, 3);
      } else {
        const uint32_t v = detail::LoadPixelValue(in + int64_t(x) * f.bytesPerPixel, f.bytesPerPixel);
        out[3 * x] = ChannelTop(v, f.blueMask, f.blueShift, f.blueWidth);
        out[3 * x + 1] = ChannelTop(v, f.greenMask, f.greenShift, f.greenWidth);
        out[3 * x + 2] = ChannelTop(v, f.redMask, f.redShift, f.redWidth);
      }
    }
  }

  FILE* file = detail::CreateImageFile(fileName);
  if (!file) {
    detail::FreeRasterMemory(rows);
    return WriteLogText("ＢＭＰセーブ用ファイルのオープンに失敗しました\n");
  }
  bool ok = std::fwrite(header, 1, offset, file) == offset &&
            std::fwrite(rows, 1, size_t(rowSize * image->height), file) == size_t(rowSize * image->height);
  ok = std::fclose(file) == 0 && ok;
  detail::FreeRasterMemory(rows);
  return ok ? 0 : -1;
}

}  // namespace veziv
