// A slow, literal model of the blits for the tests, 32-bit, 16-bit and palette
// sources, general, run-table and scaled paths: every target pixel is visited
// on its own (pixel pairs where the 16-bit pair loops join them), the loop
// choice is a run-time if-chain over the blend rule tables and every channel
// is computed in 64-bit integers. It shares no code with the renderer, so the
// renderer's loops are checked against it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv::test {

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
  k.bright[0] = draw.drawBrightness & 0xFF;
  k.bright[1] = (draw.drawBrightness >> 8) & 0xFF;
  k.bright[2] = (draw.drawBrightness >> 16) & 0xFF;
  k.tinted = !(k.bright[0] == 255 && k.bright[1] == 255 && k.bright[2] == 255);
  k.alpha = source.base->alphaFlag == 1;
  k.flag = flag;
  k.key = source.base->transparentValue;
  k.mmx = draw.mmxUsable == 1;
  return k;
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

// ---- 5:6:5 pixels, palette sources and run tables.

// Field c of a 5:6:5 word: 0 blue, 1 green, 2 red, and their widths.
inline int64_t Field(uint32_t v, int c) { return c == 0 ? v & 31 : c == 1 ? (v >> 5) & 63 : (v >> 11) & 31; }
inline int FieldBits(int c) { return c == 1 ? 6 : 5; }
inline uint32_t PackFields(const int64_t f[3]) { return uint32_t(f[2] << 11 | f[1] << 5 | f[0]); }

// The packed add of 5:6:5 words, field by field: blue saturates at 31; green
// and red add their upper bits and saturate (green to 62, red to 31), their
// low bit being the carry from the field below, or-ed with both inputs' low
// bits when lowBits. carryIn enters blue, whose inputs' low bits are dropped
// when dropBlueLow (the second pixel of a pair). *carryOut: red overflowed.
inline uint32_t RefAdd16(uint32_t d, uint32_t y, bool lowBits, int64_t carryIn = 0, bool dropBlueLow = false,
                         bool* carryOut = nullptr) {
  int64_t out[3];
  int64_t db = Field(d, 0), yb = Field(y, 0);
  if (dropBlueLow) db &= ~int64_t{1}, yb &= ~int64_t{1};
  const int64_t blue = db + yb + carryIn;
  out[0] = blue > 31 ? 31 : blue;
  int64_t carry = blue > 31;
  for (int c = 1; c < 3; ++c) {
    const int64_t half = Field(d, c) / 2 + Field(y, c) / 2;
    const int64_t max = (int64_t{1} << FieldBits(c)) - 1;
    int64_t v = half >= (max + 1) / 2 ? (c == 2 ? 31 : 62) : 2 * half;
    v |= carry;
    if (lowBits) v |= (Field(d, c) | Field(y, c)) & 1;
    out[c] = v;
    carry = half >= (max + 1) / 2;
  }
  if (carryOut) *carryOut = carry != 0;
  return PackFields(out);
}

// The packed subtract, field by field: blue max(0, d - y) (its d taken odd and
// less borrowIn, for the second pixel of a pair); green and red subtract their
// upper bits, become 0 on a borrow, green's low bit is 0 and red's is 1 when
// green did not borrow. *borrowOut: red borrowed.
inline uint32_t RefSubtract16(uint32_t d, uint32_t y, int64_t borrowIn = -1, bool* borrowOut = nullptr) {
  int64_t out[3];
  const int64_t blue = borrowIn < 0 ? Field(d, 0) - Field(y, 0) : (Field(d, 0) | 1) - (Field(y, 0) & ~1) - borrowIn;
  out[0] = blue < 0 ? 0 : blue;
  const int64_t g = Field(d, 1) / 2 - Field(y, 1) / 2, r = Field(d, 2) / 2 - Field(y, 2) / 2;
  out[1] = g < 0 ? 0 : 2 * g;
  out[2] = r < 0 ? 0 : 2 * r + (g >= 0 ? 1 : 0);
  if (borrowOut) *borrowOut = r < 0;
  return PackFields(out);
}

struct Context16 {
  enum Path { kGeneral, kRuns, kScaled } path;
  int mode;  // after the jump
  int64_t p;
  bool blend;
  int64_t B;
  bool tinted;
  int64_t bright[3];  // blue, green, red
  bool alpha;         // source alpha flag (never for a palette source)
  int flag;
  uint32_t key;
};

// The loops without blend image, tint or source alpha that replace a rule's
// own loop on the unscaled general path.
inline bool Special16(const Context16& k) { return k.path == Context16::kGeneral && !k.blend && !k.tinted && !k.alpha; }

// One 5:6:5 pixel (colour word S, alpha a) over D by the rule tables. useA:
// the source alpha weights the pixel. The transparency decisions are the
// caller's.
inline uint32_t RefRule16(const Context16& k, uint32_t S, int64_t a, bool useA, uint32_t D) {
  if (Special16(k) && k.mode == 0) return S;
  if (Special16(k) && k.mode == 1) {
    int64_t out[3];
    for (int c = 0; c < 3; ++c)
      out[c] = k.p == 128 ? Field(S, c) / 2 + Field(D, c) / 2
                          : (k.p / 4 * Field(S, c) + (63 - k.p / 4) * Field(D, c)) / 63;
    return PackFields(out);
  }
  if (k.mode == 0 && !k.blend && !useA && !k.tinted) return S;
  std::vector<int64_t> weights;  // the weights other than p
  if (k.blend) weights.push_back(k.B);
  if (useA) weights.push_back(a);
  int64_t W = 1;
  for (int64_t w : weights) W *= w;
  const int j = int(weights.size());
  int64_t out[3], y[3];
  for (int c = 0; c < 3; ++c) {
    const int bits = FieldBits(c);
    const int64_t max = (int64_t{1} << bits) - 1;
    const int64_t d = Field(D, c);
    const int64_t s = k.mode == 10 ? max - Field(S, c) : Field(S, c);
    const auto tint = [&](int64_t v) { return k.tinted ? v * k.bright[c] / 255 : v; };
    int64_t x = tint(s);
    if (k.mode == 11) x = FloorDiv(x * d, int64_t{1} << bits);
    int64_t r = d;
    switch (k.mode) {
      case 0: r = j == 0 ? x : RefLerp(d, x, W, 8 * j); break;
      case 1:
      case 10:
      case 11:
        if (j == 0) {
          r = d + (x - d) * k.p / 255;  // truncation toward zero
        } else if (k.mode == 11 && c == 1 && !k.blend && !k.tinted && useA) {
          const int64_t P = Field(S, 1) * d / 2;
          r = FloorDiv(d * (int64_t{1} << 21) + (P - 32 * d) * a * k.p, int64_t{1} << 21);
        } else {
          r = RefLerp(d, x, W * k.p, 8 * j + 8);
        }
        break;
      case 4: r = FloorDiv(x * d * W, int64_t{1} << (bits + 8 * j)); break;
      default: {
        int64_t u;
        if (!k.blend && useA) u = tint(FloorDiv(s * a, 256));
        else u = FloorDiv(x * W, int64_t{1} << (8 * j));
        y[c] = u * k.p / 255;
      }
    }
    out[c] = r;
  }
  if (k.mode == 2) return RefAdd16(D, PackFields(y), true);
  if (k.mode == 3) return RefSubtract16(D, PackFields(y));
  return PackFields(out);
}

// The general and scaled forms of one 16-bit pixel: transparency, source
// alpha shortcuts, then the rule. False when the pixel is left alone.
// keyTest: the source takes part in the transparent-value test (not for a
// palette source, whose index the caller tests).
inline bool RefPixel16(const Context16& k, uint32_t S, int64_t a, uint32_t D, bool keyTest, uint32_t* out) {
  const bool lean = k.path == Context16::kScaled && !k.blend && !k.tinted && !k.alpha;
  if (keyTest && k.flag != 0 && !k.alpha) {
    // The special loops compare the low half of the packed transparent value,
    // so does the lean copy; the others the whole value.
    const bool lowHalf = (Special16(k) && (k.mode == 0 || k.mode == 1)) || (lean && k.mode == 0);
    if (S == (lowHalf ? k.key & 0xFFFF : k.key)) return false;
  }
  bool useA = false;
  if (k.alpha && k.flag != 0) {
    const bool skips = k.path == Context16::kScaled || k.mode == 0 || k.mode == 1 || k.mode == 2 ||
                       k.mode == 3 || k.mode == 10;
    if (a == 0 && skips) return false;
    useA = a != 255;
  } else if (k.alpha) {
    if (k.path == Context16::kGeneral && k.mode == 0 && !k.tinted && !k.blend) {
      *out = S;
      return true;
    }
    useA = true;
  }
  if (lean && k.mode == 3 && k.p == 255) {
    *out = RefSubtract16(D, S);
    return true;
  }
  *out = RefRule16(k, S, a, useA, D);
  return true;
}

// The pair forms of modes 2 and 3 at p = 255 (unscaled, no blend image, tint
// or source alpha): pixels (first, second) of a pair, both drawn.
inline void RefPair16(bool add, uint32_t D0, uint32_t S0, uint32_t D1, uint32_t S1, uint32_t* o0, uint32_t* o1) {
  if (add) {
    bool carry = false;
    *o0 = RefAdd16(D0, S0, false, 0, false, &carry);
    *o1 = RefAdd16(D1, S1, false, carry ? 1 : 0, true);
  } else {
    bool borrow = false;
    *o0 = RefSubtract16(D0, S0, -1, &borrow);
    *o1 = RefSubtract16(D1, S1, borrow ? 1 : 0);
  }
}

// The run-table forms of a 32-bit pixel: opaque, or partly transparent with
// the source alpha as a weight. They are the scaled loops' forms (no special
// loop but the subtract at p = 255, which equals the packed subtract by p)
// without MMX, the run kind standing for the alpha test.
inline uint32_t RefRunPixel32(PixelContext k, uint32_t S, uint32_t D, bool partial) {
  k.scaled = true;
  k.mmx = false;
  k.flag = k.alpha ? 1 : 0;
  if (k.alpha && !partial) S |= 0xFF000000u;
  uint32_t out = D;
  RefPixel32(k, S, D, &out);
  return out;
}

// The mode jump of every family: mode 3 at p = 0 draws in palette families.
inline bool RefModeJumpFor(int32_t mode, int64_t p, bool palette, int* out) {
  if (palette && mode == 3 && p == 0) {
    *out = 3;
    return true;
  }
  return RefModeJump(mode, p, out);
}

inline uint32_t GetPixel(const SOFTSURFACE& v, int64_t x, int64_t y, int bytes) {
  uint32_t r = 0;
  std::memcpy(&r, v.pixels + y * v.base->pitch + x * v.base->bytesPerPixel, size_t(bytes));
  return r;
}
inline void SetPixel(const SOFTSURFACE& v, int64_t x, int64_t y, int bytes, uint32_t value) {
  std::memcpy(v.pixels + y * v.base->pitch + x * v.base->bytesPerPixel, &value, size_t(bytes));
}

// A source pixel as the rules see it: the colour (a palette entry for a
// palette source), the alpha, and whether the transparency test leaves it out.
struct SourcePixel {
  uint32_t colour;
  int64_t a;
  bool indexClear;  // palette source: the index equals the whole transparent value
};
inline SourcePixel ReadSource(const SOFTSURFACE& s, int64_t x, int64_t y) {
  const SoftSurfaceShared& b = *s.base;
  const bool sixteen = b.type == kSoftType16;
  if (b.paletteFlag == 1) {
    const uint8_t index = uint8_t(GetPixel(s, x, y, 1));
    uint32_t entry = 0;
    std::memcpy(&entry, b.palette + index * (sixteen ? 2 : 4), sixteen ? 2 : 4);
    return {entry, 0, index == b.transparentValue};
  }
  if (!sixteen) return {GetPixel(s, x, y, 4), 0, false};
  const uint32_t v = GetPixel(s, x, y, b.alphaFlag == 1 ? 4 : 2);
  return {v & 0xFFFF, int64_t((v >> 16) & 0xFF), false};
}

inline Context16 MakeContext16(const SOFTSURFACE& source, int flag, const SOFTSURFACE* blend,
                               const SoftDrawSnapshot& draw, int mode, Context16::Path path) {
  Context16 k{};
  k.path = path;
  k.mode = mode;
  k.p = draw.blendParam;
  k.blend = blend != nullptr;
  for (int c = 0; c < 3; ++c) k.bright[c] = (draw.drawBrightness >> (8 * c)) & 0xFF;
  k.tinted = !(k.bright[0] == 255 && k.bright[1] == 255 && k.bright[2] == 255);
  k.alpha = source.base->alphaFlag == 1 && source.base->paletteFlag != 1;
  k.flag = flag;
  k.key = source.base->transparentValue;
  return k;
}

// The run kinds of every pixel of the source, read from its run table (a run
// reaching past its row is cut at the row's end).
inline std::vector<std::vector<int>> RunKinds(const SOFTSURFACE& source) {
  std::vector<std::vector<int>> kinds(size_t(source.height), std::vector<int>(size_t(source.width), 0));
  const uint8_t* run = source.base->runTable;
  for (auto& row : kinds) {
    size_t x = 0;
    for (uint8_t code = *run++; (code >> 6) != 3; code = *run++)
      for (int i = 0; i <= (code & 0x3F) && x < row.size(); ++i) row[x++] = code >> 6;
  }
  return kinds;
}

// Draws one source pixel (sx, sy) at target (tx, ty) for every family on the
// general, run-table (kind given) or scaled path.
inline void DrawAny(const PixelContext& k32, const Context16& k16, const SOFTSURFACE& target, int64_t tx, int64_t ty,
                    const SOFTSURFACE& source, int64_t sx, int64_t sy, const SOFTSURFACE* blend,
                    const SoftDrawSnapshot& draw, int kind) {
  const SoftSurfaceShared& b = *source.base;
  const bool sixteen = b.type == kSoftType16, palette = b.paletteFlag == 1;
  const SourcePixel s = ReadSource(source, sx, sy);
  const int64_t B = blend ? draw.blendAlphaTable[blend->pixels[sy * blend->base->pitch + sx]] : 0;
  if (kind == 0) return;
  if (kind < 0 && palette && k16.flag != 0 && s.indexClear) return;
  if (!sixteen) {
    PixelContext k = k32;
    k.B = B;
    const uint32_t D = GetPixel(target, tx, ty, 4);
    uint32_t out;
    if (kind > 0) {
      out = RefRunPixel32(k, s.colour, D, kind == 2 && k.alpha);
    } else {
      if (palette) k.flag = 0;  // the index was tested
      if (!RefPixel32(k, s.colour, D, &out)) return;
    }
    SetPixel(target, tx, ty, 4, out);
    return;
  }
  Context16 k = k16;
  k.B = B;
  const uint32_t D = GetPixel(target, tx, ty, 2);
  uint32_t out;
  if (kind > 0) {
    out = RefRule16(k, s.colour, s.a, kind == 2 && k.alpha, D);
  } else if (!RefPixel16(k, s.colour, s.a, D, !palette, &out)) {
    return;
  }
  SetPixel(target, tx, ty, 2, out);
}

// The unscaled blit of every family: the run-table path when its condition
// holds, else the general path with the pair forms of the 16-bit add and
// subtract.
inline void RefBlit(const SOFTSURFACE& target, const SOFTSURFACE& source, int64_t x, int64_t y, int flag,
                    const SOFTSURFACE* blend, const SoftDrawSnapshot& draw) {
  const SoftSurfaceShared& t = *target.base;
  const SoftSurfaceShared& b = *source.base;
  if (b.type != t.type || t.paletteFlag == 1 || t.alphaFlag == 1) return;
  if (b.type != kSoftType16 && b.type != kSoftType32) return;
  const bool palette = b.paletteFlag == 1, sixteen = b.type == kSoftType16;
  int mode;
  if (!RefModeJumpFor(draw.blendMode, draw.blendParam, palette, &mode)) return;
  const Area a = TargetArea(target, draw.drawArea);
  const int64_t left = std::max(a.left, x), right = std::min(a.right, x + source.width);
  const int64_t top = std::max(a.top, y), bottom = std::min(a.bottom, y + source.height);
  if (right <= left || bottom <= top) return;
  const bool whole = right - left == source.width && bottom - top == source.height && source.width == b.width &&
                     source.height == b.height && source.pixels == b.pixels;
  const bool runs = flag == 1 && b.runTableValid == 1 && b.runTable && whole &&
                    (b.alphaFlag == 1 || b.runTableTransparentValue == b.transparentValue);
  PixelContext k32 = MakeContext(source, flag, blend, draw, mode, false);
  k32.alpha = k32.alpha && !palette;
  const Context16 k16 =
      MakeContext16(source, flag, blend, draw, mode, runs ? Context16::kRuns : Context16::kGeneral);
  const std::vector<std::vector<int>> kinds = runs ? RunKinds(source) : std::vector<std::vector<int>>{};
  const bool pairs = sixteen && !runs && !blend && !k16.tinted && !k16.alpha && (mode == 2 || mode == 3) &&
                     k16.p == 255;
  for (int64_t ty = top; ty < bottom; ++ty) {
    const int64_t sy = ty - y;
    for (int64_t tx = left; tx < right; ++tx) {
      const int64_t sx = tx - x;
      if (pairs && (tx - left) % 2 == 0 && tx + 1 < right) {
        const SourcePixel s0 = ReadSource(source, sx, sy), s1 = ReadSource(source, sx + 1, sy);
        const uint32_t key = k16.key & 0xFFFF;
        const bool clear0 = flag != 0 && (palette ? s0.indexClear : s0.colour == key);
        const bool clear1 = flag != 0 && (palette ? s1.indexClear : s1.colour == key);
        const uint32_t D0 = GetPixel(target, tx, ty, 2), D1 = GetPixel(target, tx + 1, ty, 2);
        if (!clear0 && !clear1) {
          uint32_t o0, o1;
          RefPair16(mode == 2, D0, s0.colour, D1, s1.colour, &o0, &o1);
          SetPixel(target, tx, ty, 2, o0);
          SetPixel(target, tx + 1, ty, 2, o1);
        } else {
          if (!clear0) SetPixel(target, tx, ty, 2, mode == 2 ? RefAdd16(D0, s0.colour, false) : RefSubtract16(D0, s0.colour));
          if (!clear1)
            SetPixel(target, tx + 1, ty, 2, mode == 2 ? RefAdd16(D1, s1.colour, false) : RefSubtract16(D1, s1.colour));
        }
        ++tx;
        continue;
      }
      if (pairs) {
        const SourcePixel s0 = ReadSource(source, sx, sy);
        const bool clear0 = flag != 0 && (palette ? s0.indexClear : s0.colour == (k16.key & 0xFFFF));
        const uint32_t D0 = GetPixel(target, tx, ty, 2);
        if (!clear0) SetPixel(target, tx, ty, 2, mode == 2 ? RefAdd16(D0, s0.colour, false) : RefSubtract16(D0, s0.colour));
        continue;
      }
      DrawAny(k32, k16, target, tx, ty, source, sx, sy, blend, draw, runs ? kinds[size_t(sy)][size_t(sx)] : -1);
    }
  }
}

// The scaled blit of every family into {x1, y1, x2, y2}.
inline void RefBlitScaled(const SOFTSURFACE& target, const SOFTSURFACE& source, const int32_t r[4], int flag,
                          const SOFTSURFACE* blend, const SoftDrawSnapshot& draw) {
  const int64_t left = std::min(r[0], r[2]), right = std::max(r[0], r[2]);
  const int64_t top = std::min(r[1], r[3]), bottom = std::max(r[1], r[3]);
  const bool mirrorX = r[0] > r[2], mirrorY = r[1] > r[3];
  const int64_t W = right - left, H = bottom - top;
  if (W == 0 || H == 0) return;
  if (W == source.width && H == source.height && !mirrorX && !mirrorY) {
    RefBlit(target, source, left, top, flag, blend, draw);
    return;
  }
  const SoftSurfaceShared& t = *target.base;
  const SoftSurfaceShared& b = *source.base;
  if (b.type != t.type || t.paletteFlag == 1 || t.alphaFlag == 1) return;
  if ((b.type != kSoftType16 && b.type != kSoftType32) || source.width <= 0 || source.height <= 0) return;
  const bool palette = b.paletteFlag == 1;
  const int64_t spanX = W * 65536 / source.width, spanY = H * 65536 / source.height;
  if (spanX == 0 || spanY == 0) return;
  int mode;
  if (!RefModeJumpFor(draw.blendMode, draw.blendParam, palette, &mode)) return;
  PixelContext k32 = MakeContext(source, flag, blend, draw, mode, true);
  k32.alpha = k32.alpha && !palette;
  const Context16 k16 = MakeContext16(source, flag, blend, draw, mode, Context16::kScaled);
  const bool lean = !blend && !k16.tinted && !k16.alpha && (mode == 0 || (mode == 3 && k16.p == 255));
  const Area a = TargetArea(target, draw.drawArea);
  const int64_t cl = std::max(left, a.left), cr = std::min(right, a.right);
  const int64_t ct = std::max(top, a.top), cb = std::min(bottom, a.bottom);
  if (cr <= cl || cb <= ct) return;
  const std::vector<int64_t> cols = RefSourcePositions(cl - left, cr - cl, spanX, lean);
  const std::vector<int64_t> rows = RefSourcePositions(ct - top, cb - ct, spanY, lean);
  for (int64_t c : cols)
    if (c >= source.width) return;
  for (int64_t c : rows)
    if (c >= source.height) return;
  for (int64_t i = 0; i < cb - ct; ++i)
    for (int64_t j = 0; j < cr - cl; ++j) {
      const int64_t sx = mirrorX ? source.width - 1 - cols[size_t(j)] : cols[size_t(j)];
      const int64_t sy = mirrorY ? source.height - 1 - rows[size_t(i)] : rows[size_t(i)];
      DrawAny(k32, k16, target, cl + j, ct + i, source, sx, sy, blend, draw, -1);
    }
}

// The blits of a 32-bit direct-colour source.
inline void RefBlit32(const SOFTSURFACE& target, const SOFTSURFACE& source, int64_t x, int64_t y, int flag,
                      const SOFTSURFACE* blend, const SoftDrawSnapshot& draw) {
  if (Drawable32(target, source)) RefBlit(target, source, x, y, flag, blend, draw);
}
inline void RefBlitScaled32(const SOFTSURFACE& target, const SOFTSURFACE& source, const int32_t r[4], int flag,
                            const SOFTSURFACE* blend, const SoftDrawSnapshot& draw) {
  if (Drawable32(target, source)) RefBlitScaled(target, source, r, flag, blend, draw);
}

}  // namespace veziv::test
