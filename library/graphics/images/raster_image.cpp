// RasterImage records: creation, release, clearing, mirroring, per-pixel access,
// and the blits and scalers between two records.
#include "library/graphics/images/raster_image.h"

#include <algorithm>
#include <cstring>

#include "library/graphics/images/raster_memory.h"

namespace veziv {

using detail::LoadPixelValue;
using detail::StorePixelValue;

namespace {

uint8_t* PixelAddress(const RasterImage* image, int x, int y) {
  return static_cast<uint8_t*>(image->pixels) + int64_t(y) * image->pitch + int64_t(x) * image->format.bytesPerPixel;
}

}  // namespace

int InitRasterImageWithFormat(int width, int height, const PixelFormatDesc* desc, RasterImage* image) {
  std::memset(image, 0, sizeof *image);
  image->format = *desc;
  if (width < 0 || height < 0) return -1;
  int64_t pitch = (int64_t(desc->bytesPerPixel) * width + 3) / 4 * 4;
  if (pitch > INT32_MAX) return -1;
  image->width = width;
  image->height = height;
  image->pitch = int32_t(pitch);
  image->pixels = detail::AllocRasterMemory(size_t(pitch) * size_t(height));
  if (!image->pixels) {
    image->pitch = 0;
    return -1;
  }
  return 0;
}

int CreateRasterImageBuffer(int width, int height, RasterImage* image) {
  PixelFormatDesc desc{};
  SetPixelFormatDescX8R8G8B8(&desc);
  return InitRasterImageWithFormat(width, height, &desc, image);
}

int CreateRasterImageArgb(int width, int height, RasterImage* image) {
  PixelFormatDesc desc{};
  SetPixelFormatDescA8R8G8B8(&desc);
  return InitRasterImageWithFormat(width, height, &desc, image);
}

int FreeRasterImage(RasterImage* image) {
  if (image->pixels) detail::FreeRasterMemory(image->pixels);
  std::memset(image, 0, sizeof *image);
  return 0;
}

void ClearRasterImageRect(RasterImage* image, int x, int y, int width, int height) {
  if (height < 1 || width < 1) return;
  for (int row = 0; row < height; ++row)
    std::memset(PixelAddress(image, x, y + row), 0, size_t(width) * image->format.bytesPerPixel);
}

int MirrorRasterImage(RasterImage* image) {
  if (image->width == 0 || image->height == 0) return -1;
  // Blocks of compressed pixels cannot be turned as rows; decode them first.
  if (image->format.compressedKind != 0) return -1;
  int bpp = image->format.bytesPerPixel;
  if (bpp < 1 || bpp > 4) return 0;
  for (int y = 0; y < image->height; ++y) {
    uint8_t* row = PixelAddress(image, 0, y);
    for (int a = 0, b = image->width - 1; a < b; ++a, --b) {
      uint8_t tmp[4];
      std::memcpy(tmp, row + a * bpp, bpp);
      std::memcpy(row + a * bpp, row + b * bpp, bpp);
      std::memcpy(row + b * bpp, tmp, bpp);
    }
  }
  return 0;
}

uint32_t GetRasterImagePixelArgb(const RasterImage* image, int x, int y) {
  if (!image->pixels) return 0;
  const PixelFormatDesc& f = image->format;
  uint32_t v = LoadPixelValue(PixelAddress(image, x, y), f.bytesPerPixel);
  auto top = [v](uint32_t mask, int shift, int width, int place) -> uint32_t {
    if (width <= 0) return 0;
    uint32_t c = (v & mask) >> shift;
    c = width <= 8 ? c << (8 - width) : c >> (width - 8);
    return (c & 0xFF) << place;
  };
  uint32_t argb = top(f.redMask, f.redShift, f.redWidth, 16) | top(f.greenMask, f.greenShift, f.greenWidth, 8) |
                  top(f.blueMask, f.blueShift, f.blueWidth, 0);
  if (f.alphaWidth != 0) argb |= top(f.alphaMask, f.alphaShift, f.alphaWidth, 24);
  return argb;
}

int GetRasterImagePixel(RasterImage* image, int x, int y, int* red, int* green, int* blue, int* alpha) {
  if (image->format.compressedKind != 0 && DecompressRasterImageDxt(image) != 0) return -1;
  if (x < 0 || y < 0 || x >= image->width || y >= image->height || !image->pixels) return -1;
  const PixelFormatDesc& f = image->format;
  uint32_t v = LoadPixelValue(PixelAddress(image, x, y), f.bytesPerPixel);
  if (f.bytesPerPixel == 1) {
    if (red) *red = f.palette[v][2];
    if (green) *green = f.palette[v][1];
    if (blue) *blue = f.palette[v][0];
    if (alpha) *alpha = f.palette[v][3];
  } else {
    GetColorOfColorCode(&f, v, red, green, blue, alpha);
  }
  return 0;
}

int SetRasterImagePixel(RasterImage* image, int x, int y, int red, int green, int blue, int alpha) {
  if (image->format.compressedKind != 0 && DecompressRasterImageDxt(image) != 0) return -1;
  if (x < 0 || y < 0 || x >= image->width || y >= image->height || !image->pixels) return -1;
  uint32_t v = FindColorCodeForImage(&image->format, red, green, blue, alpha);
  StorePixelValue(PixelAddress(image, x, y), image->format.bytesPerPixel, v);
  return 0;
}

int BlitRasterImage(int srcX, int srcY, int width, int height, int dstX, int dstY, RasterImage* src,
                    RasterImage* dst) {
  if (src->format.compressedKind != 0 && DecompressRasterImageDxt(src) != 0) return -1;
  if (dst->format.compressedKind != 0 && DecompressRasterImageDxt(dst) != 0) return -1;
  int64_t sx = srcX, sy = srcY, dx = dstX, dy = dstY, w = width, h = height;
  if (sx < 0) { dx -= sx; w += sx; sx = 0; }
  if (sy < 0) { dy -= sy; h += sy; sy = 0; }
  if (dx < 0) { sx -= dx; w += dx; dx = 0; }
  if (dy < 0) { sy -= dy; h += dy; dy = 0; }
  w = std::min({w, int64_t(dst->width) - dx, int64_t(src->width) - sx});
  h = std::min({h, int64_t(dst->height) - dy, int64_t(src->height) - sy});
  if (w < 1 || h < 1) return 0;
  DrawRect rect{int32_t(sx), int32_t(sy), int32_t(sx + w), int32_t(sy + h)};
  ConvertPixelsBlock(dst->pixels, dst->pitch, &dst->format, src->pixels, src->pitch, &src->format, nullptr, 0,
                     nullptr, int(dx), int(dy), &rect, 0, 0, 0, 0, 0, 0, 0, 1);
  return 0;
}

int ScaleBlitRasterImage(int srcLeft, int srcTop, int srcRight, int srcBottom, RasterImage* src, int dstLeft,
                         int dstTop, int dstRight, int dstBottom, RasterImage* dst, int filter) {
  auto inside = [](int l, int t, int r, int b, const RasterImage* im) {
    return l >= 0 && t >= 0 && l < r && t < b && r <= im->width && b <= im->height;
  };
  if (!inside(srcLeft, srcTop, srcRight, srcBottom, src) || !inside(dstLeft, dstTop, dstRight, dstBottom, dst))
    return -1;
  int sw = srcRight - srcLeft, sh = srcBottom - srcTop;
  int dw = dstRight - dstLeft, dh = dstBottom - dstTop;
  if (sw == dw && sh == dh) return BlitRasterImage(srcLeft, srcTop, sw, sh, dstLeft, dstTop, src, dst);
  if (src->format.compressedKind != 0 && DecompressRasterImageDxt(src) != 0) return -1;
  if (dst->format.compressedKind != 0 && DecompressRasterImageDxt(dst) != 0) return -1;
  int64_t stepX = (int64_t(sw) << 16) / dw;
  int64_t stepY = (int64_t(sh) << 16) / dh;
  int64_t fy = int64_t(srcTop) << 16;
  for (int y = dstTop; y < dstBottom; ++y, fy += stepY) {
    int64_t fx = int64_t(srcLeft) << 16;
    for (int x = dstLeft; x < dstRight; ++x, fx += stepX) {
      int px = int(fx >> 16), py = int(fy >> 16);
      int c[4];
      if (filter != 1) {
        GetRasterImagePixel(src, px, py, &c[0], &c[1], &c[2], &c[3]);
      } else {
        // The right and lower neighbours are clamped to the image edge.
        int px1 = std::min(px + 1, src->width - 1), py1 = std::min(py + 1, src->height - 1);
        int64_t ax = fx & 0xFFFF, ay = fy & 0xFFFF;
        int64_t weight[4] = {((65535 - ax) * (65535 - ay)) >> 16, (ax * (65535 - ay)) >> 16,
                             ((65535 - ax) * ay) >> 16, (ax * ay) >> 16};
        int sample[4][4];
        GetRasterImagePixel(src, px, py, &sample[0][0], &sample[0][1], &sample[0][2], &sample[0][3]);
        GetRasterImagePixel(src, px1, py, &sample[1][0], &sample[1][1], &sample[1][2], &sample[1][3]);
        GetRasterImagePixel(src, px, py1, &sample[2][0], &sample[2][1], &sample[2][2], &sample[2][3]);
        GetRasterImagePixel(src, px1, py1, &sample[3][0], &sample[3][1], &sample[3][2], &sample[3][3]);
        for (int ch = 0; ch < 4; ++ch) {
          int64_t sum = 0;
          for (int k = 0; k < 4; ++k) sum += weight[k] * sample[k][ch];
          c[ch] = int(sum >> 16);
        }
      }
      SetRasterImagePixel(dst, x, y, c[0], c[1], c[2], c[3]);
    }
  }
  return 0;
}

int ShrinkPixelsByHalf(const PixelFormatDesc* desc, void* dstPixels, int dstPitch, const void* srcPixels,
                       int srcPitch, int dstX, int /*unusedWord*/, int srcX, int firstRow, int srcWidth,
                       int srcHeight) {
  int bpp = desc->bytesPerPixel;
  if (bpp != 2 && bpp != 4) return -1;
  if (srcWidth < 1 || srcHeight < 1) return -1;
  if ((srcWidth != 1 && srcWidth % 2) || (srcHeight != 1 && srcHeight % 2)) return -1;
  const uint32_t masks[4] = {desc->redMask, desc->greenMask, desc->blueMask, desc->alphaMask};
  const int shifts[4] = {desc->redShift, desc->greenShift, desc->blueShift, desc->alphaShift};
  int stepX = srcWidth == 1 ? 0 : 1, stepY = srcHeight == 1 ? 0 : 1;
  int outW = std::max(1, srcWidth / 2), outH = std::max(1, srcHeight / 2);
  const uint8_t* src = static_cast<const uint8_t*>(srcPixels) + int64_t(firstRow) * srcPitch + int64_t(srcX) * bpp;
  uint8_t* dst = static_cast<uint8_t*>(dstPixels) + int64_t(dstX) * bpp;
  for (int y = 0; y < outH; ++y) {
    const uint8_t* row0 = src + int64_t(y) * 2 * srcPitch;
    const uint8_t* row1 = row0 + int64_t(stepY) * srcPitch;
    for (int x = 0; x < outW; ++x) {
      int x0 = x * 2, x1 = x * 2 + stepX;
      uint32_t p[4] = {LoadPixelValue(row0 + x0 * bpp, bpp), LoadPixelValue(row0 + x1 * bpp, bpp),
                       LoadPixelValue(row1 + x0 * bpp, bpp), LoadPixelValue(row1 + x1 * bpp, bpp)};
      uint32_t out = 0;
      for (int ch = 0; ch < 4; ++ch) {
        if (masks[ch] == 0) continue;
        uint64_t sum = 0;
        for (uint32_t v : p) sum += (v & masks[ch]) >> shifts[ch];
        out |= uint32_t((sum >> 2) << shifts[ch]) & masks[ch];
      }
      StorePixelValue(dst + int64_t(y) * dstPitch + int64_t(x) * bpp, bpp, out);
    }
  }
  return 0;
}

}  // namespace veziv
