// Pixel-format descriptions and the mapping between colours and pixel values.
#include "library/graphics/images/pixel_format.h"

#include <cstring>

namespace veziv {

namespace {

void SetRgb888(PixelFormatDesc* d, int bits, uint32_t unused) {
  d->colorBits = uint16_t(bits);
  d->bytesPerPixel = uint16_t(bits / 8);
  d->redWidth = d->greenWidth = d->blueWidth = 8;
  d->alphaWidth = 0;
  d->redShift = 16;
  d->greenShift = 8;
  d->blueShift = 0;
  d->alphaShift = 0;
  d->redMask = 0xFF0000;
  d->greenMask = 0xFF00;
  d->blueMask = 0xFF;
  d->alphaMask = 0;
  d->unusedMask = unused;
  d->unusedShift = 0;
  d->unusedWidth = 0;
  d->compressedKind = 0;
}

uint32_t AllBits(int bits) { return bits >= 32 ? 0xFFFFFFFFu : (uint32_t(1) << bits) - 1; }

}  // namespace

namespace detail {

void MaskShiftAndWidth(uint32_t mask, uint8_t* shift, uint8_t* width) {
  *shift = 0;
  *width = 0;
  if (mask == 0) return;
  int s = 0;
  while (!(mask >> s & 1)) ++s;
  int w = 0;
  while (s + w < 32 && (mask >> (s + w) & 1)) ++w;
  *shift = uint8_t(s);
  *width = uint8_t(w);
}

uint32_t ChangeChannelWidth(uint32_t value, int fromWidth, int toWidth) {
  if (fromWidth <= 0 || toWidth <= 0) return 0;
  if (toWidth <= fromWidth) return value >> (fromWidth - toWidth);
  int d = toWidth - fromWidth;
  uint64_t v = value;
  return uint32_t((v << d) + v * ((uint64_t(1) << d) - 1) / ((uint64_t(1) << fromWidth) - 1));
}

bool SameChannelMasks(const PixelFormatDesc& a, const PixelFormatDesc& b) {
  return a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask &&
         a.alphaMask == b.alphaMask;
}

}  // namespace detail

void SetPixelFormatDesc8BitPalette(PixelFormatDesc* desc) { SetRgb888(desc, 8, 0xFF000000u); }

void SetPixelFormatDesc8BitGray(PixelFormatDesc* desc) {
  SetRgb888(desc, 8, 0xFF000000u);
  for (int i = 0; i < 256; ++i) {
    desc->palette[i][0] = desc->palette[i][1] = desc->palette[i][2] = uint8_t(i);
    desc->palette[i][3] = 0;
  }
}

void SetPixelFormatDesc24Bit(PixelFormatDesc* desc) { SetRgb888(desc, 24, 0); }

void SetPixelFormatDescX8R8G8B8(PixelFormatDesc* desc) {
  SetRgb888(desc, 32, 0xFF000000u);
  desc->unusedShift = 24;
  desc->unusedWidth = 8;
}

void SetPixelFormatDescA8R8G8B8(PixelFormatDesc* desc) {
  SetRgb888(desc, 32, 0);
  desc->alphaWidth = 8;
  desc->alphaShift = 24;
  desc->alphaMask = 0xFF000000u;
}

void SetPixelFormatDescFromMasks(PixelFormatDesc* desc, int bits, uint32_t redMask, uint32_t greenMask,
                                 uint32_t blueMask, uint32_t alphaMask) {
  desc->colorBits = uint16_t(bits);
  desc->bytesPerPixel = uint16_t(bits / 8);
  desc->redMask = redMask;
  desc->greenMask = greenMask;
  desc->blueMask = blueMask;
  desc->alphaMask = alphaMask;
  detail::MaskShiftAndWidth(redMask, &desc->redShift, &desc->redWidth);
  detail::MaskShiftAndWidth(greenMask, &desc->greenShift, &desc->greenWidth);
  detail::MaskShiftAndWidth(blueMask, &desc->blueShift, &desc->blueWidth);
  detail::MaskShiftAndWidth(alphaMask, &desc->alphaShift, &desc->alphaWidth);
  desc->unusedMask = AllBits(bits) & ~(redMask | greenMask | blueMask | alphaMask);
  detail::MaskShiftAndWidth(desc->unusedMask, &desc->unusedShift, &desc->unusedWidth);
  desc->compressedKind = 0;
}

void RecalcUnusedBitMask(PixelFormatDesc* desc) {
  int sum = desc->redWidth + desc->greenWidth + desc->blueWidth + desc->alphaWidth;
  if (sum == desc->colorBits)
    desc->unusedMask = 0;
  else
    desc->unusedMask =
        AllBits(desc->colorBits) & ~(desc->redMask | desc->greenMask | desc->blueMask | desc->alphaMask);
}

uint32_t FindColorCodeForImage(const PixelFormatDesc* desc, int red, int green, int blue, int alpha) {
  if (desc->bytesPerPixel == 1) {
    uint32_t best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
      long dr = long(desc->palette[i][2]) - red;
      long dg = long(desc->palette[i][1]) - green;
      long db = long(desc->palette[i][0]) - blue;
      long distance = dr * dr + dg * dg + db * db;
      if (bestDistance < 0 || distance < bestDistance) {
        bestDistance = distance;
        best = uint32_t(i);
      }
    }
    return best;
  }
  auto channel = [](int value, int width, int shift) -> uint32_t {
    if (width <= 0) return 0;
    uint32_t v = uint32_t(value) & 0xFF;
    v = width <= 8 ? v >> (8 - width) : v << (width - 8);
    return shift < 32 ? v << shift : 0;
  };
  uint32_t value = channel(red, desc->redWidth, desc->redShift) | channel(green, desc->greenWidth, desc->greenShift) |
                   channel(blue, desc->blueWidth, desc->blueShift);
  if (desc->alphaWidth != 0) value |= channel(alpha, desc->alphaWidth, desc->alphaShift);
  return value | desc->unusedMask;
}

void GetColorOfColorCode(const PixelFormatDesc* desc, uint32_t value, int* red, int* green, int* blue,
                         int* alpha) {
  auto channel = [value](uint32_t mask, int shift, int width) -> int {
    if (width <= 0 || shift >= 32) return 0;
    uint64_t v = (value & mask) >> shift;
    return int(v * 255 / ((uint64_t(1) << width) - 1));
  };
  if (red) *red = channel(desc->redMask, desc->redShift, desc->redWidth);
  if (green) *green = channel(desc->greenMask, desc->greenShift, desc->greenWidth);
  if (blue) *blue = channel(desc->blueMask, desc->blueShift, desc->blueWidth);
  if (alpha) *alpha = channel(desc->alphaMask, desc->alphaShift, desc->alphaWidth);
}

}  // namespace veziv
