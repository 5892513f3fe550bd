// The pixel converter between two formats. A few fixed paths (palette remap,
// colour to index, index copy, same format, key alpha, and the shift-only pairs
// of the screen formats) come before the general per-pixel path with channel
// widening, dithering and the alpha sources.
#include <algorithm>
#include <cstring>

#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

using detail::ChangeChannelWidth;
using detail::LoadPixelValue;
using detail::StorePixelValue;

namespace {

enum class Layout { Other, Palette8, Rgb24, R5G6B5, X1R5G5B5, A1R5G5B5, X8R8G8B8, A8R8G8B8 };

Layout Classify(const PixelFormatDesc& f) {
  if (f.bytesPerPixel == 1) return Layout::Palette8;
  auto masks = [&f](uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return f.redMask == r && f.greenMask == g && f.blueMask == b && f.alphaMask == a;
  };
  if (f.colorBits == 16 && masks(0xF800, 0x7E0, 0x1F, 0)) return Layout::R5G6B5;
  if (f.colorBits == 16 && masks(0x7C00, 0x3E0, 0x1F, 0)) return Layout::X1R5G5B5;
  if (f.colorBits == 16 && masks(0x7C00, 0x3E0, 0x1F, 0x8000)) return Layout::A1R5G5B5;
  if (f.colorBits == 24 && masks(0xFF0000, 0xFF00, 0xFF, 0)) return Layout::Rgb24;
  if (f.colorBits == 32 && masks(0xFF0000, 0xFF00, 0xFF, 0)) return Layout::X8R8G8B8;
  if (f.colorBits == 32 && masks(0xFF0000, 0xFF00, 0xFF, 0xFF000000u)) return Layout::A8R8G8B8;
  return Layout::Other;
}

uint32_t PaletteEntryValue(const PixelFormatDesc& f, uint32_t index) {
  const uint8_t* e = f.palette[index & 0xFF];
  return LoadPixelValue(e, 4);
}

uint32_t PixelSizeMask(int bytes) { return bytes >= 4 ? 0xFFFFFFFFu : (uint32_t(1) << (8 * bytes)) - 1; }

// A channel's 8-bit value moved to the format's width (top bits kept).
uint32_t TopBits(uint32_t value8, int width) {
  if (width <= 0) return 0;
  return width <= 8 ? value8 >> (8 - width) : value8 << (width - 8);
}

struct Plane {
  const uint8_t* base;
  int pitch;
  int bytes;
  const uint8_t* Pixel(int x, int y) const { return base + int64_t(y) * pitch + int64_t(x) * bytes; }
};

struct Target {
  uint8_t* base;
  int pitch;
  int bytes;
  uint8_t* Pixel(int x, int y) const { return base + int64_t(y) * pitch + int64_t(x) * bytes; }
};

// The shift-only pairs: truncating conversions between the screen formats.
bool ShiftOnlyPair(Layout from, Layout to, bool keyAlpha) {
  if (!keyAlpha) {
    switch (from) {
      case Layout::Palette8:
      case Layout::Rgb24:
        return to == Layout::R5G6B5 || to == Layout::X1R5G5B5 || to == Layout::X8R8G8B8;
      case Layout::X8R8G8B8: return to == Layout::R5G6B5;
      case Layout::R5G6B5: return to == Layout::Rgb24 || to == Layout::X8R8G8B8 || to == Layout::X1R5G5B5;
      case Layout::X1R5G5B5: return to == Layout::R5G6B5;
      default: return false;
    }
  }
  bool source = from == Layout::Palette8 || from == Layout::Rgb24 || from == Layout::R5G6B5;
  return source && (to == Layout::A1R5G5B5 || to == Layout::A8R8G8B8);
}

uint32_t Pack565(uint32_t r, uint32_t g, uint32_t b) { return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3; }
uint32_t Pack555(uint32_t r, uint32_t g, uint32_t b) { return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3; }

uint32_t ShiftOnlyPixel(Layout from, Layout to, uint32_t raw, const PixelFormatDesc& src, bool keyAlpha,
                        uint32_t transparent) {
  if (from == Layout::R5G6B5 && to == Layout::X1R5G5B5) return (raw & 0x1F) | (raw & 0xFFC0) >> 1;
  if (from == Layout::X1R5G5B5) return (raw & 0x3F) | (raw & 0x7FE0) << 1;
  uint32_t r, g, b;
  bool transparentPixel = false;
  if (from == Layout::R5G6B5) {
    r = (raw >> 11) << 3;
    g = ((raw >> 5) & 0x3F) << 2;
    b = (raw & 0x1F) << 3;
    transparentPixel = raw == Pack565(transparent >> 16 & 0xFF, transparent >> 8 & 0xFF, transparent & 0xFF);
    if (to == Layout::A1R5G5B5) return ((raw & 0x1F) | (raw & 0xFFC0) >> 1) | (transparentPixel ? 0 : 0x8000);
  } else {
    uint32_t value = from == Layout::Palette8 ? PaletteEntryValue(src, raw) : raw;
    r = value >> 16 & 0xFF;
    g = value >> 8 & 0xFF;
    b = value & 0xFF;
    transparentPixel = from == Layout::Palette8 ? value == transparent : value == (transparent & 0xFFFFFF);
  }
  uint32_t rgb = r << 16 | g << 8 | b;
  switch (to) {
    case Layout::R5G6B5: return Pack565(r, g, b);
    case Layout::X1R5G5B5: return Pack555(r, g, b) | 0x8000;
    case Layout::A1R5G5B5: return Pack555(r, g, b) | (transparentPixel ? 0 : 0x8000);
    case Layout::Rgb24: return rgb;
    case Layout::X8R8G8B8: return from == Layout::R5G6B5 ? rgb : rgb | 0xFF000000u;
    case Layout::A8R8G8B8: return rgb | (transparentPixel && keyAlpha ? 0 : 0xFF000000u);
    default: return 0;
  }
}

struct Channel {
  uint32_t mask;
  int shift;
  int width;
  uint32_t Get(uint32_t v) const { return width <= 0 || shift >= 32 ? 0 : (v & mask) >> shift; }
};

const int kDitherMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

}  // namespace

int ConvertPixelsBlock(void* dstPixels, int dstPitch, const PixelFormatDesc* dstFormat, const void* srcPixels,
                       int srcPitch, const PixelFormatDesc* srcFormat, const void* alphaPixels, int alphaPitch,
                       const PixelFormatDesc* alphaFormat, int dstX, int dstY, const DrawRect* srcRect,
                       int mirror, int keyAlpha, uint32_t transparentColor, int ditherMode, int colorToZero,
                       int alphaFromRed, int skipTransparent, int paletteRemap) {
  const PixelFormatDesc& df = *dstFormat;
  const PixelFormatDesc& sf = *srcFormat;
  static const PixelFormatDesc kNoFormat{};
  const PixelFormatDesc& af = alphaFormat ? *alphaFormat : kNoFormat;

  bool dstAlpha = df.alphaWidth != 0;
  bool srcAlpha = sf.alphaWidth != 0;
  bool alphaWanted = dstAlpha && (alphaPixels != nullptr || srcAlpha);
  bool useAlphaImage = dstAlpha && alphaPixels != nullptr && !srcAlpha;
  bool key = keyAlpha && !alphaWanted && dstAlpha && !alphaFromRed;
  bool skip = skipTransparent && !alphaWanted && !mirror;

  const int left = srcRect->left, top = srcRect->top;
  const int width = srcRect->right - srcRect->left, height = srcRect->bottom - srcRect->top;
  if (width <= 0 || height <= 0) return -1;

  const Plane src{static_cast<const uint8_t*>(srcPixels), srcPitch, sf.bytesPerPixel};
  const Target dst{static_cast<uint8_t*>(dstPixels), dstPitch, df.bytesPerPixel};
  auto dstColumn = [&](int i) { return mirror ? dstX + width - 1 - i : dstX + i; };

  // 1. Palette to palette through the nearest destination entry.
  if (paletteRemap && sf.bytesPerPixel == 1 && df.bytesPerPixel == 1 &&
      std::memcmp(sf.palette, df.palette, sizeof sf.palette) != 0) {
    uint8_t map[256];
    for (int i = 0; i < 256; ++i)
      map[i] = uint8_t(FindColorCodeForImage(&df, sf.palette[i][2], sf.palette[i][1], sf.palette[i][0], 0));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) *dst.Pixel(dstX + x, dstY + y) = map[*src.Pixel(left + x, top + y)];
    return 0;
  }

  // 2. Colour to an 8-bit destination.
  if (df.colorBits == 8 && (sf.colorBits == 16 || sf.colorBits == 24 || sf.colorBits == 32)) {
    const Channel r{sf.redMask, sf.redShift, sf.redWidth}, g{sf.greenMask, sf.greenShift, sf.greenWidth},
        b{sf.blueMask, sf.blueShift, sf.blueWidth};
    bool cached = false;
    uint32_t lastValue = 0, lastCode = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint32_t v = LoadPixelValue(src.Pixel(left + x, top + y), src.bytes);
        if (!cached || v != lastValue) {
          lastCode = FindColorCodeForImage(&df, int(ChangeChannelWidth(r.Get(v), r.width, 8)),
                                           int(ChangeChannelWidth(g.Get(v), g.width, 8)),
                                           int(ChangeChannelWidth(b.Get(v), b.width, 8)), 0);
          lastValue = v;
          cached = true;
        }
        StorePixelValue(dst.Pixel(dstX + x, dstY + y), dst.bytes, lastCode);
      }
    return 0;
  }

  // 3. Index copy.
  if (df.colorBits == 8 && sf.colorBits == 8 && !colorToZero && !skip) {
    int largest = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint8_t v = *src.Pixel(left + x, top + y);
        *dst.Pixel(dstX + x, dstY + y) = v;
        largest = std::max<int>(largest, v);
      }
    return largest;
  }

  const int bytes = sf.bytesPerPixel;
  // The transparent colour is compared in the pixel's size and without the
  // unused bits, which the converter fills: X8R8G8B8 0xFF123456 matches 0x123456.
  const uint32_t cut = PixelSizeMask(bytes) & (bytes == 1 ? 0xFFu : ~sf.unusedMask);

  // 4. Same format: plain copy, mirrored or skipping the transparent colour.
  if (!useAlphaImage && !key && !colorToZero && !alphaFromRed && sf.colorBits == df.colorBits &&
      detail::SameChannelMasks(sf, df)) {
    for (int y = 0; y < height; ++y) {
      if (!mirror && !skip) {
        std::memcpy(dst.Pixel(dstX, dstY + y), src.Pixel(left, top + y), size_t(width) * bytes);
        continue;
      }
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = src.Pixel(left + x, top + y);
        if (skip && (LoadPixelValue(p, bytes) & cut) == (transparentColor & cut)) continue;
        std::memcpy(dst.Pixel(dstColumn(x), dstY + y), p, bytes);
      }
    }
    return 0;
  }

  // 5. Same colour layout, alpha from the colour key.
  if (dstAlpha && key && !colorToZero && !alphaFromRed && sf.colorBits == df.colorBits &&
      sf.redMask == df.redMask && sf.greenMask == df.greenMask && sf.blueMask == df.blueMask) {
    uint32_t colourBits = df.redMask | df.greenMask | df.blueMask;
    uint32_t packed = FindColorCodeForImage(&df, transparentColor >> 16 & 0xFF, transparentColor >> 8 & 0xFF,
                                            transparentColor & 0xFF, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint32_t v = LoadPixelValue(src.Pixel(left + x, top + y), bytes);
        v &= ~df.alphaMask;
        if ((v & colourBits) != (packed & colourBits)) v |= df.alphaMask;
        StorePixelValue(dst.Pixel(dstColumn(x), dstY + y), dst.bytes, v);
      }
    return 0;
  }

  // 6. Shift-only pairs of the screen formats.
  const Layout from = Classify(sf), to = Classify(df);
  if (!ditherMode && !colorToZero && !alphaFromRed && !mirror && !useAlphaImage && ShiftOnlyPair(from, to, key)) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint32_t raw = LoadPixelValue(src.Pixel(left + x, top + y), bytes);
        StorePixelValue(dst.Pixel(dstX + x, dstY + y), dst.bytes,
                        ShiftOnlyPixel(from, to, raw, sf, key, transparentColor));
      }
    return 0;
  }

  // 7. The general path.
  const Channel sc[3] = {{sf.redMask, sf.redShift, sf.redWidth},
                         {sf.greenMask, sf.greenShift, sf.greenWidth},
                         {sf.blueMask, sf.blueShift, sf.blueWidth}};
  const Channel srcAlphaChannel{sf.alphaMask, sf.alphaShift, sf.alphaWidth};
  const Channel alphaRed{af.redMask, af.redShift, af.redWidth};
  const Channel dc[4] = {{df.redMask, df.redShift, df.redWidth},
                         {df.greenMask, df.greenShift, df.greenWidth},
                         {df.blueMask, df.blueShift, df.blueWidth},
                         {df.alphaMask, df.alphaShift, df.alphaWidth}};
  const Plane alphaPlane{static_cast<const uint8_t*>(alphaPixels), alphaPitch, af.bytesPerPixel};
  const uint32_t keyRgb[3] = {TopBits(transparentColor >> 16 & 0xFF, sf.redWidth),
                              TopBits(transparentColor >> 8 & 0xFF, sf.greenWidth),
                              TopBits(transparentColor & 0xFF, sf.blueWidth)};
  const uint32_t dstUnused = (df.colorBits == 16 || df.colorBits == 32) ? df.unusedMask : 0;
  uint32_t carry[4] = {0, 0, 0, 0};

  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t raw = LoadPixelValue(src.Pixel(left + x, top + y), bytes);
      if (skip && (raw & cut) == (transparentColor & cut)) continue;
      uint32_t v = bytes == 1 ? PaletteEntryValue(sf, raw) : raw;

      uint32_t value[4];
      int fromWidth[4];
      for (int c = 0; c < 3; ++c) {
        value[c] = sc[c].Get(v);
        fromWidth[c] = sc[c].width;
      }
      // Alpha source, then the flags that override it; full alpha needs no widening.
      const uint32_t fullAlpha = dc[3].width > 0 ? uint32_t((uint64_t(1) << dc[3].width) - 1) : 0;
      if (useAlphaImage) {
        uint32_t av = LoadPixelValue(alphaPlane.Pixel(left + x, top + y), alphaPlane.bytes);
        if (alphaPlane.bytes == 1) av = PaletteEntryValue(af, av);
        value[3] = alphaRed.Get(av);
        fromWidth[3] = alphaRed.width;
      } else if (srcAlpha) {
        value[3] = srcAlphaChannel.Get(v);
        fromWidth[3] = srcAlphaChannel.width;
      } else {
        value[3] = fullAlpha;
        fromWidth[3] = dc[3].width;
      }
      if (alphaFromRed) {
        value[3] = value[0];
        fromWidth[3] = fromWidth[0];
      }
      if (key) {
        bool isKey = value[0] == keyRgb[0] && value[1] == keyRgb[1] && value[2] == keyRgb[2];
        value[3] = isKey ? 0 : fullAlpha;
        fromWidth[3] = dc[3].width;
      }

      uint32_t out = dstUnused;
      for (int c = 0; c < 4; ++c) {
        const int toWidth = dc[c].width;
        if (toWidth <= 0) continue;
        uint32_t channel = ChangeChannelWidth(value[c], fromWidth[c], toWidth);
        const int dropped = fromWidth[c] - toWidth;
        if (ditherMode != 0 && dropped > 0) {
          const uint32_t droppedMask = dropped >= 32 ? 0xFFFFFFFFu : (uint32_t(1) << dropped) - 1;
          const uint32_t low = value[c] & droppedMask;
          if (ditherMode == 1) {
            uint64_t threshold = (uint64_t(kDitherMatrix[y & 3][x & 3]) << dropped) >> 4;
            if (low > threshold) ++channel;
          } else if (ditherMode == 2) {
            uint64_t sum = uint64_t(carry[c]) + low;
            if (sum > droppedMask) ++channel;
            carry[c] = uint32_t(sum & droppedMask);
          }
          const uint32_t maxValue = uint32_t((uint64_t(1) << toWidth) - 1);
          channel = std::min(channel, maxValue);
        }
        if (colorToZero && c < 3) channel = 0;
        if (dc[c].shift < 32) out |= (channel << dc[c].shift) & dc[c].mask;
      }
      StorePixelValue(dst.Pixel(dstColumn(x), dstY + y), dst.bytes, out);
    }
  }
  return 0;
}

}  // namespace veziv
