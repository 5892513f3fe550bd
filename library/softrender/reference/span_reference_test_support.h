// A slow, literal model of the triangle fills for the tests: the 16-bit pixel
// rules written per field from their description (the packed add and subtract
// too), the 32-bit ones from the blits' model in its span form, and a fill
// that visits the pixels the edge walk gives one by one. It shares no blend
// code with the renderer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "library/softrender/reference/blit_reference_test_support.h"
#include "library/softrender/triangle/triangle_walk.h"

namespace veziv::test {

inline constexpr int kRefBits16[3] = {5, 6, 5};  // blue, green, red
inline constexpr int kRefShift16[3] = {0, 5, 11};

inline int64_t RefField16(uint32_t w, int c) { return (w >> kRefShift16[c]) & ((1 << kRefBits16[c]) - 1); }
inline uint32_t RefPack16(const int64_t* f) {
  return uint32_t(f[2] << 11 | f[1] << 5 | f[0]);
}

// Blue saturates exactly; green and red add their upper bits, saturate to all
// ones past their range, and take as lowest bit the OR of both lowest bits and
// the carry of the field below.
inline uint32_t RefPackedAdd16(uint32_t D, uint32_t Y) {
  int64_t f[3];
  bool carry = RefField16(D, 0) + RefField16(Y, 0) > 31;
  f[0] = std::min<int64_t>(31, RefField16(D, 0) + RefField16(Y, 0));
  for (int c = 1; c < 3; ++c) {
    const int64_t d = RefField16(D, c), y = RefField16(Y, c), top = (int64_t{1} << (kRefBits16[c] - 1)) - 1;
    const int64_t high = (d >> 1) + (y >> 1);
    const bool low = ((d | y) & 1) != 0 || carry;
    carry = high > top;
    f[c] = carry ? (c == 2 ? 31 : (top << 1) | low) : (high << 1) | low;
  }
  return RefPack16(f);
}

// Blue saturates exactly; green and red subtract their upper bits and are 0
// when they borrow; green's lowest bit is 0, red's is 1 when green did not borrow.
inline uint32_t RefPackedSubtract16(uint32_t D, uint32_t Y) {
  int64_t f[3];
  f[0] = std::max<int64_t>(0, RefField16(D, 0) - RefField16(Y, 0));
  const int64_t g = (RefField16(D, 1) >> 1) - (RefField16(Y, 1) >> 1);
  f[1] = g < 0 ? 0 : g * 2;
  const int64_t r = (RefField16(D, 2) >> 1) - (RefField16(Y, 2) >> 1);
  f[2] = r < 0 ? 0 : r * 2 + (g >= 0 ? 1 : 0);
  return RefPack16(f);
}

// The new 16-bit word for source word S with alpha a, or false when the pixel
// is left alone. The fields are blue 0, green 1, red 2; M is 32, 64, 32.
inline bool RefPixel16(const PixelContext& k, uint32_t S, int64_t a, uint32_t D, uint32_t* out) {
  bool useA = false;
  if (!k.alpha) {
    if (k.flag != 0 && S == k.key) return false;
  } else if (k.flag != 0) {
    const bool skipsAlpha0 = k.scaled || (k.mode != 4 && k.mode != 11);
    if (a == 0 && skipsAlpha0) return false;
    useA = a != 255;
  } else {
    if (!k.scaled && !k.spans && k.mode == 0 && !k.tinted && !k.blend) {
      *out = S & 0xFFFF;
      return true;
    }
    useA = true;
  }
  const int64_t W = (useA ? a : 1) * (k.blend ? k.B : 1);
  const int n = 8 * (int(useA) + int(k.blend));
  const bool none = n == 0;
  const int64_t p = k.p;
  int64_t f[3], y[3];
  for (int c = 0; c < 3; ++c) {
    const int64_t M = int64_t{1} << kRefBits16[c];
    const int64_t s = RefField16(S, c), d = RefField16(D, c);
    const int64_t sx = k.mode == 10 ? M - 1 - s : s;
    const int64_t x = k.tinted ? sx * k.bright[c] / 255 : sx;
    int64_t r = d;
    switch (k.mode) {
      case 0: r = none ? x : RefLerp(d, x, W, n); break;
      case 1:
      case 10: r = none ? d + (x - d) * p / 255 : RefLerp(d, x, p * W, n + 8); break;
      case 11: {
        const int64_t m = x * d / M;
        if (useA && !k.blend && !k.tinted && c == 1) {
          r = (32 * d * (65536 - p * a) + (x * d / 2) * p * a) >> 21;
        } else {
          r = none ? d + (m - d) * p / 255 : RefLerp(d, m, p * W, n + 8);
        }
        break;
      }
      case 4: r = d * x * W / (M << n); break;
      case 2:
      case 3: {
        int64_t z;
        if (none) z = x;
        else if (useA && !k.blend) z = k.tinted ? (s * a / 256) * k.bright[c] / 255 : s * a / 256;
        else z = x * W >> n;
        y[c] = p * z / 255;
        break;
      }
    }
    f[c] = r;
  }
  if (k.mode == 2) *out = RefPackedAdd16(D, RefPack16(y));
  else if (k.mode == 3) *out = RefPackedSubtract16(D, RefPack16(y));
  else *out = RefPack16(f);
  return true;
}

// The flat colour with the brightness applied: per byte (32-bit, byte 3 kept)
// or per field of the low 16 bits.
inline uint32_t RefFlatColour(uint32_t colour, bool wide, const int64_t* bright) {
  if (wide) {
    uint32_t r = colour & 0xFF000000u;
    for (int c = 0; c < 3; ++c) r |= uint32_t(ByteOf(colour, c) * bright[c] / 255) << (8 * c);
    return r;
  }
  int64_t f[3];
  for (int c = 0; c < 3; ++c) f[c] = RefField16(colour, c) * bright[c] / 255;
  return RefPack16(f);
}

inline uint32_t RefLoad(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, size_t(bytes));
  return v;
}

// SoftSurfaceFillTriangle, pixel by pixel over the spans of the edge walk.
inline void RefFillTriangle(const SOFTSURFACE& target, const SOFTSURFACE* source,
                            const softrender::TriangleVertex* vertices, int flag, const SOFTSURFACE* blend,
                            uint32_t colour, const SoftDrawSnapshot& draw) {
  const SoftSurfaceShared& t = *target.base;
  if (t.paletteFlag == 1 || t.alphaFlag == 1 || (t.type != kSoftType16 && t.type != kSoftType32)) return;
  if (source && source->base->type != t.type) return;
  const bool palette = source && source->base->paletteFlag == 1;
  int mode;
  if (palette && draw.blendMode == 3) {
    mode = 3;
  } else if (!RefModeJump(draw.blendMode, draw.blendParam, &mode)) {
    return;
  }
  const bool wide = t.type == kSoftType32;
  const int bytes = wide ? 4 : 2;
  PixelContext k = source ? MakeContext(*source, flag, blend, draw, mode, false)
                          : MakeContext(target, 0, nullptr, draw, mode, false);
  k.spans = true;
  k.mmx = false;
  if (palette) {
    k.alpha = false;
    k.flag = 0;
  }
  uint32_t flat = 0;
  if (!source) {
    flat = RefFlatColour(colour, wide, k.bright);
    k.tinted = false;
    k.alpha = false;
  }
  const DrawRect& a = draw.drawArea;
  const DrawRect area = {std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, target.width),
                         std::min(a.bottom, target.height)};
  RasterizeTriangle(vertices, source != nullptr, area, [&](const softrender::TriangleSpan& span) {
    for (int64_t i = 0; i < span.count; ++i) {
      uint8_t* dp = target.pixels + int64_t{span.row} * t.pitch + (span.first + i) * bytes;
      uint32_t S = flat;
      int64_t alpha = 0;
      if (source) {
        const uint64_t u = uint32_t(span.u + uint32_t(i) * span.du), v = uint32_t(span.v + uint32_t(i) * span.dv);
        if (u >= uint64_t(source->width) << 18 || v >= uint64_t(source->height) << 18) continue;
        const int64_t col = int64_t(u >> 18), row = int64_t(v >> 18);
        const SoftSurfaceShared& s = *source->base;
        const uint8_t* texel = source->pixels + row * s.pitch;
        if (palette) {
          const uint32_t index = texel[col];
          if (flag != 0 && index == s.transparentValue) continue;
          S = RefLoad(s.palette + index * bytes, bytes);
        } else {
          const int size = s.alphaFlag == 1 && !wide ? 4 : bytes;
          S = RefLoad(texel + col * size, bytes);
          if (size == 4 && !wide) alpha = texel[col * size + 2];
        }
        if (blend) k.B = draw.blendAlphaTable[blend->pixels[row * blend->base->pitch + col]];
      }
      uint32_t result;
      const uint32_t D = RefLoad(dp, bytes);
      const bool drawn = wide ? RefPixel32(k, S, D, &result) : RefPixel16(k, S, alpha, D, &result);
      if (drawn) std::memcpy(dp, &result, size_t(bytes));
    }
  });
}

}  // namespace veziv::test
