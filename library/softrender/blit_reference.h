// A slow, literal model of the 32-bit blits for the tests: every target pixel is
// visited on its own, the loop choice is a run-time if-chain over the blend rule
// tables and every channel is computed in 64-bit integers. It shares no code
// with the renderer, so the renderer's loops are checked against it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "library/graphics/draw_snapshot.h"
#include "library/graphics/softsurface.h"

namespace veziv::softrender::reference {

inline int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}
inline int64_t RefLerp(int64_t d, int64_t v, int64_t w, int n) {
  return FloorDiv(d * (int64_t{1} << n) + (v - d) * w, int64_t{1} << n);
}
inline uint32_t ByteOf(uint32_t v, int c) { return (v >> (8 * c)) & 0xFF; }

inline uint32_t RefPackedAdd(uint32_t d, uint32_t v, bool lowBits) {
  uint32_t t = (d & 0x00FEFEFFu) + (v & 0x00FEFEFFu);
  uint32_t c = t & 0x01010100u;
  uint32_t r = t | (c - (c >> 8));
  if (lowBits) r |= (d | v) & 0x00010100u;
  return r;
}
inline uint32_t RefPackedSubtract(uint32_t d, uint32_t v) {
  uint32_t t = (d | 0x01010100u) - (v & 0xFEFEFEFFu);
  uint32_t c = t & 0x01010100u;
  return t & (c - (c >> 8));
}
inline uint32_t RefBytewise(uint32_t d, uint32_t s, bool add) {
  uint32_t r = 0;
  for (int c = 0; c < 4; ++c) {
    int64_t v = add ? int64_t(ByteOf(d, c)) + ByteOf(s, c) : int64_t(ByteOf(d, c)) - ByteOf(s, c);
    r |= uint32_t(std::clamp<int64_t>(v, 0, 255)) << (8 * c);
  }
  return r;
}

struct PixelContext {
  bool scaled;    // the scaled blit's loops
  bool lean;      // (scaled) the pixel is drawn by a lean loop
  int mode;       // after the jump: 0, 1, 2, 3, 4, 10 or 11
  int64_t p;
  bool blend;
  int64_t B;      // blend weight when blend
  bool tinted;
  int64_t bright[3];
  bool alpha;     // source alpha flag
  int flag;       // transparency flag
  uint32_t key;
  bool mmx;       // MMX-usable flag exactly 1
  bool spans;     // a triangle or shape span: none of the blits' special forms
};

// The new target word, or false when the pixel is left alone.
inline bool RefPixel32(const PixelContext& k, uint32_t S, uint32_t D, uint32_t* out) {
  const bool special = !k.blend && !k.tinted && !k.alpha && !k.spans;
  if (special && !k.scaled) {
    if (k.flag != 0 && S == k.key) return false;
    if (k.mode == 1 && k.p == 128) {
      uint32_t r = 0;
      for (int c = 0; c < 3; ++c) r |= (ByteOf(S, c) / 2 + ByteOf(D, c) / 2) << (8 * c);
      *out = r;
      return true;
    }
    if (k.mode == 2 && k.p == 255) {
      *out = k.mmx ? RefBytewise(D, S, true) : RefPackedAdd(D, S, false);
      return true;
    }
    if (k.mode == 3 && k.p == 255) {
      *out = k.mmx ? RefBytewise(D, S, false) : RefPackedSubtract(D, S);
      return true;
    }
  }
  if (special && k.scaled && k.mode == 3 && k.p == 255) {
    if (k.flag != 0 && S == k.key) return false;
    *out = k.mmx ? RefBytewise(D, S, false) : RefPackedSubtract(D, S);
    return true;
  }

  const int64_t a = S >> 24;
  bool useA = false;
  if (!k.alpha) {
    if (k.flag != 0 && S == k.key) return false;
  } else if (k.flag != 0) {
    const bool skipsAlpha0 = k.scaled || k.mode == 0 || k.mode == 1 || k.mode == 2 || k.mode == 3;
    if (a == 0 && skipsAlpha0) return false;
    useA = a != 255;
  } else {
    if (!k.scaled && !k.spans && k.mode == 0 && !k.tinted && !k.blend) {
      *out = S;
      return true;
    }
    useA = true;
  }

  std::vector<int64_t> factors;
  const bool usesP = k.mode == 1 || k.mode == 2 || k.mode == 3 || k.mode == 10 || k.mode == 11;
  if (usesP) factors.push_back(k.p);
  if (k.blend) factors.push_back(k.B);
  if (useA) factors.push_back(a);
  int64_t F = 1;
  for (int64_t f : factors) F *= f;
  const int n = 8 * int(factors.size());

  if (k.mode == 0 && factors.empty() && !k.tinted) {
    *out = S;
    return true;
  }
  uint32_t result = D & 0xFF000000u;
  uint32_t V = 0;
  for (int c = 0; c < 3; ++c) {
    const int64_t s = ByteOf(S, c), d = ByteOf(D, c);
    int64_t x = k.mode == 10 ? 255 - s : s;
    if (k.tinted) x = x * k.bright[c] / 255;
    if (k.mode == 11) x = x * d / 256;
    int64_t r = d;
    switch (k.mode) {
      case 0: r = factors.empty() ? x : RefLerp(d, x, F, n); break;
      case 1:
      case 10:
      case 11: r = RefLerp(d, x, F, n); break;
      case 4: r = FloorDiv(d * x * F, int64_t{1} << (8 + n)); break;
      case 2:
      case 3: {
        const int64_t v = factors.size() == 1 ? x * k.p / 255 : FloorDiv(x * F, int64_t{1} << n);
        V |= uint32_t(v) << (8 * c);
        break;
      }
    }
    result |= uint32_t(r) << (8 * c);
  }
  if (k.mode == 2) result = RefPackedAdd(D, V, true);
  if (k.mode == 3) result = RefPackedSubtract(D, V);
  *out = result;
  return true;
}

// The rule a mode runs, after mode 1 at p = 255 became mode 0; false for no drawing.
inline bool RefModeJump(int32_t mode, int64_t p, int* out) {
  if (mode == 1 && p == 255) mode = 0;
  const bool known = mode == 0 || mode == 1 || mode == 2 || mode == 3 || mode == 4 || mode == 10 || mode == 11;
  if (!known) return false;
  if ((mode == 1 || mode == 2 || mode == 3) && p == 0) return false;
  *out = mode;
  return true;
}

inline uint32_t Get32(const SOFTSURFACE& v, int64_t x, int64_t y) {
  uint32_t r;
  std::memcpy(&r, v.pixels + y * v.base->pitch + x * 4, 4);
  return r;
}
inline void Set32(const SOFTSURFACE& v, int64_t x, int64_t y, uint32_t value) {
  std::memcpy(v.pixels + y * v.base->pitch + x * 4, &value, 4);
}

struct Area {
  int64_t left, top, right, bottom;
};
inline Area TargetArea(const SOFTSURFACE& target, const DrawRect& a) {
  return {std::max<int64_t>(std::min(a.left, a.right), 0), std::max<int64_t>(std::min(a.top, a.bottom), 0),
          std::min<int64_t>(std::max(a.left, a.right), target.width),
          std::min<int64_t>(std::max(a.top, a.bottom), target.height)};
}

inline bool Drawable32(const SOFTSURFACE& target, const SOFTSURFACE& source) {
  const SoftSurfaceShared& t = *target.base;
  const SoftSurfaceShared& s = *source.base;
  return s.type == t.type && t.paletteFlag != 1 && t.alphaFlag != 1 && s.type == kSoftType32 && s.paletteFlag != 1;
}

inline PixelContext MakeContext(const SOFTSURFACE& source, int flag, const SOFTSURFACE* blend,
                                const SoftDrawSnapshot& draw, int mode, bool scaled) {
  PixelContext k{};
  k.scaled = scaled;
  k.mode = mode;
  k.p = draw.blendParam;
  k.blend = blend != nullptr;
  k.bright[0] = draw.brightness & 0xFF;
  k.bright[1] = (draw.brightness >> 8) & 0xFF;
  k.bright[2] = (draw.brightness >> 16) & 0xFF;
  k.tinted = !(k.bright[0] == 255 && k.bright[1] == 255 && k.bright[2] == 255);
  k.alpha = source.base->alphaFlag == 1;
  k.flag = flag;
  k.key = source.base->transparentValue;
  k.mmx = draw.mmxUsable == 1;
  return k;
}

inline void DrawAt(const PixelContext& base, const SOFTSURFACE& target, int64_t tx, int64_t ty,
                   const SOFTSURFACE& source, int64_t sx, int64_t sy, const SOFTSURFACE* blend,
                   const SoftDrawSnapshot& draw) {
  PixelContext k = base;
  if (blend) k.B = draw.blendAlphaTable[blend->pixels[sy * blend->base->pitch + sx]];
  uint32_t out;
  if (RefPixel32(k, Get32(source, sx, sy), Get32(target, tx, ty), &out)) Set32(target, tx, ty, out);
}

// The unscaled blit of a 32-bit direct-colour source.
inline void RefBlit32(const SOFTSURFACE& target, const SOFTSURFACE& source, int64_t x, int64_t y, int flag,
                      const SOFTSURFACE* blend, const SoftDrawSnapshot& draw) {
  if (!Drawable32(target, source)) return;
  int mode;
  if (!RefModeJump(draw.blendMode, draw.blendParam, &mode)) return;
  const PixelContext k = MakeContext(source, flag, blend, draw, mode, false);
  const Area a = TargetArea(target, draw.drawArea);
  for (int64_t ty = a.top; ty < a.bottom; ++ty)
    for (int64_t tx = a.left; tx < a.right; ++tx) {
      const int64_t sx = tx - x, sy = ty - y;
      if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height) continue;
      DrawAt(k, target, tx, ty, source, sx, sy, blend, draw);
    }
}

// Source positions 0..count-1 of target positions from the clipped offset c on:
// the general rule is the closed form floor(j * 65536 / span); the lean rule
// starts there and then advances only while its accumulator is below 0.
inline std::vector<int64_t> RefSourcePositions(int64_t c, int64_t count, int64_t span, bool lean) {
  std::vector<int64_t> out;
  if (!lean) {
    for (int64_t j = c; j < c + count; ++j) out.push_back(j * 65536 / span);
    return out;
  }
  int64_t pos = c * 65536 / span;
  int64_t acc = span - (c * 65536) % span;
  for (int64_t j = 0; j < count; ++j) {
    out.push_back(pos);
    acc -= 65536;
    if (acc > 0) continue;
    do {
      ++pos;
      acc += span;
    } while (acc < 0);
  }
  return out;
}

// The scaled blit of a 32-bit direct-colour source into {x1, y1, x2, y2}.
inline void RefBlitScaled32(const SOFTSURFACE& target, const SOFTSURFACE& source, const int32_t r[4], int flag,
                            const SOFTSURFACE* blend, const SoftDrawSnapshot& draw) {
  const int64_t left = std::min(r[0], r[2]), right = std::max(r[0], r[2]);
  const int64_t top = std::min(r[1], r[3]), bottom = std::max(r[1], r[3]);
  const bool mirrorX = r[0] > r[2], mirrorY = r[1] > r[3];
  const int64_t W = right - left, H = bottom - top;
  if (W == 0 || H == 0) return;
  if (W == source.width && H == source.height && !mirrorX && !mirrorY) {
    RefBlit32(target, source, left, top, flag, blend, draw);
    return;
  }
  if (!Drawable32(target, source) || source.width <= 0 || source.height <= 0) return;
  const int64_t spanX = W * 65536 / source.width, spanY = H * 65536 / source.height;
  if (spanX == 0 || spanY == 0) return;
  int mode;
  if (!RefModeJump(draw.blendMode, draw.blendParam, &mode)) return;
  PixelContext k = MakeContext(source, flag, blend, draw, mode, true);
  k.lean = !k.blend && !k.tinted && !k.alpha && (mode == 0 || (mode == 3 && k.p == 255));
  const Area a = TargetArea(target, draw.drawArea);
  const int64_t cl = std::max(left, a.left), cr = std::min(right, a.right);
  const int64_t ct = std::max(top, a.top), cb = std::min(bottom, a.bottom);
  if (cr <= cl || cb <= ct) return;
  const std::vector<int64_t> cols = RefSourcePositions(cl - left, cr - cl, spanX, k.lean);
  const std::vector<int64_t> rows = RefSourcePositions(ct - top, cb - ct, spanY, k.lean);
  for (int64_t c : cols)
    if (c >= source.width) return;
  for (int64_t c : rows)
    if (c >= source.height) return;
  for (int64_t i = 0; i < cb - ct; ++i)
    for (int64_t j = 0; j < cr - cl; ++j) {
      const int64_t sx = mirrorX ? source.width - 1 - cols[j] : cols[j];
      const int64_t sy = mirrorY ? source.height - 1 - rows[i] : rows[i];
      DrawAt(k, target, cl + j, ct + i, source, sx, sy, blend, draw);
    }
}

}  // namespace veziv::softrender::reference
