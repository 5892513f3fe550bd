// The conversion tables and the picture converters.
#include "library/sound_movie/movie/yuv_convert.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "library/sound_movie/movie/yuv_vectors_state.h"

#if defined(__x86_64__) || defined(__i386__)
// GCC 12 warns inside its own AVX-512 header that the undefined vector its
// shift and unpack forms start from "may be used uninitialized" (the value is
// never read); the warning is silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

namespace veziv {
namespace detail {
namespace {

YuvToRgbTables& Tables() {
  static YuvToRgbTables tables;
  return tables;
}
std::once_flag g_built;

void Build() {
  YuvToRgbTables& t = Tables();
  for (int i = -512; i < 768; ++i) t.clamp[i + 512] = static_cast<uint8_t>(std::clamp(i, 0, 255));
  for (int k = 0; k < 256; ++k) {
    t.yTerm[k] = 19070 * k - 305120;
    t.rFromV[k] = 26148 * k - 3346944;
    t.gFromU[k] = 819968 - 6406 * k;
    t.gFromV[k] = 1705984 - 13320 * k;
    t.bFromU[k] = 33062 * k - 4231936;
  }
}

inline uint32_t Pack(int r, int g, int b) {
  return 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

// The table sums stay within -512..767 for every byte value, so the clamp
// table's lookup is a clamp to 0..255; the division truncates toward zero.
inline int Channel(int32_t sum) { return std::clamp(sum / 16384, 0, 255); }

// One pixel by the written-out table terms.
inline uint32_t Pixel420(int y, int u, int v) {
  const int32_t yt = 19070 * y - 305120;
  return Pack(Channel(yt + 26148 * v - 3346944), Channel(yt + 819968 - 6406 * u + 1705984 - 13320 * v),
              Channel(yt + 33062 * u - 4231936));
}

// Pixel pairs of one row over one chroma sample each. The terms are the
// tables' values written out, which lets the compiler work on several pairs
// at once.
void PairsScalar(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint32_t* d, int pairs) {
  for (int j = 0; j < pairs; ++j) {
    const int32_t rv = 26148 * v[j] - 3346944;
    const int32_t guv = 819968 - 6406 * u[j] + 1705984 - 13320 * v[j];
    const int32_t bu = 33062 * u[j] - 4231936;
    const int32_t y0 = 19070 * y[2 * j] - 305120;
    const int32_t y1 = 19070 * y[2 * j + 1] - 305120;
    d[2 * j] = Pack(Channel(y0 + rv), Channel(y0 + guv), Channel(y0 + bu));
    d[2 * j + 1] = Pack(Channel(y1 + rv), Channel(y1 + guv), Channel(y1 + bu));
  }
}

using PairsFunction = YuvPairsFunction;

#if defined(__x86_64__) || defined(__i386__)
// Sixteen pixels of a row over eight chroma samples in 32-bit lanes: the
// same sums as the scalar pairs, exactly. A sum shifted right by 14 differs
// from the truncating division only below zero, where both clamp to 0; the
// two saturating packs are the clamp to 0..255. Each chroma sample's three
// terms (with the luma term's constant) are made once for the four pixels
// of the two rows that share it.
struct WideChroma {
  __m256i rLo, rHi, gLo, gHi, bLo, bHi;
};

// One channel of pixels 0-7 | 8-15 in 16 bits.
__attribute__((target("avx2"), always_inline)) inline __m256i WideChannel(__m256i yLo, __m256i yHi, __m256i lo,
                                                                           __m256i hi) {
  return _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(yLo, lo), 14),
                            _mm256_srai_epi32(_mm256_add_epi32(yHi, hi), 14));
}

__attribute__((target("avx2"), always_inline)) inline void WideRow(const uint8_t* ys, const WideChroma& c,
                                                                     uint32_t* d) {
  const __m256i kY = _mm256_set1_epi32(19070);  // (19070, 0) a pair of 16-bit lanes
  const __m256i zero = _mm256_setzero_si256();
  // Luma of pixels 0-7 | 8-15, then 0-3 | 8-11 and 4-7 | 12-15 in 32 bits:
  // the order of the chroma terms' unpacked halves.
  const __m256i y16 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(ys)));
  const __m256i yLo = _mm256_madd_epi16(_mm256_unpacklo_epi16(y16, zero), kY);
  const __m256i yHi = _mm256_madd_epi16(_mm256_unpackhi_epi16(y16, zero), kY);
  const __m256i br = _mm256_packus_epi16(WideChannel(yLo, yHi, c.bLo, c.bHi), WideChannel(yLo, yHi, c.rLo, c.rHi));
  const __m256i ga = _mm256_packus_epi16(WideChannel(yLo, yHi, c.gLo, c.gHi), _mm256_set1_epi16(255));
  const __m256i bg = _mm256_unpacklo_epi8(br, ga);  // b g of pixels 0-7 | 8-15
  const __m256i ra = _mm256_unpackhi_epi8(br, ga);  // r 255
  const __m256i p0 = _mm256_unpacklo_epi16(bg, ra);  // pixels 0-3 | 8-11
  const __m256i p1 = _mm256_unpackhi_epi16(bg, ra);  // pixels 4-7 | 12-15
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_permute2x128_si256(p0, p1, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 8), _mm256_permute2x128_si256(p0, p1, 0x31));
}

// The pairs it does (a multiple of eight); the caller does the rest.
__attribute__((target("avx2"))) int PairsWide(const uint8_t* y0, const uint8_t* y1, const uint8_t* u,
                                              const uint8_t* v, uint32_t* d0, uint32_t* d1, int pairs) {
  // 16-bit coefficient pairs for (u, v): madd gives u * low + v * high.
  const __m256i kR = _mm256_set1_epi32(26148 << 16);
  const __m256i kG = _mm256_set1_epi32(static_cast<int32_t>(0xCBF8E6FAu));  // (-6406, -13320)
  const __m256i kB = _mm256_set1_epi32(16531);                              // twice: 33062
  const __m256i cR = _mm256_set1_epi32(-305120 - 3346944);
  const __m256i cG = _mm256_set1_epi32(-305120 + 819968 + 1705984);
  const __m256i cB = _mm256_set1_epi32(-305120 - 4231936);
  int j = 0;
  for (; j + 8 <= pairs; j += 8) {
    const __m128i u8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + j));
    const __m128i v8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + j));
    const __m256i uv = _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(u8, v8));  // samples 0-3 | 4-7
    const __m256i r = _mm256_add_epi32(_mm256_madd_epi16(uv, kR), cR);
    const __m256i g = _mm256_add_epi32(_mm256_madd_epi16(uv, kG), cG);
    const __m256i b = _mm256_add_epi32(_mm256_slli_epi32(_mm256_madd_epi16(uv, kB), 1), cB);
    // Each term twice, for the pixel pair it covers: samples 0 0 1 1 | 4 4 5 5
    // and 2 2 3 3 | 6 6 7 7.
    const WideChroma c{_mm256_unpacklo_epi32(r, r), _mm256_unpackhi_epi32(r, r), _mm256_unpacklo_epi32(g, g),
                       _mm256_unpackhi_epi32(g, g), _mm256_unpacklo_epi32(b, b), _mm256_unpackhi_epi32(b, b)};
    WideRow(y0 + 2 * j, c, d0 + 2 * j);
    if (y1 != nullptr) WideRow(y1 + 2 * j, c, d1 + 2 * j);
  }
  return j;
}

// Thirty-two pixels of a row over sixteen chroma samples with AVX-512: the
// same steps in each 128-bit quarter as the AVX2 form in each half.
struct Wide512Chroma {
  __m512i rLo, rHi, gLo, gHi, bLo, bHi;
};

__attribute__((target("avx512f,avx512bw"), always_inline)) inline __m512i Wide512Channel(__m512i yLo, __m512i yHi,
                                                                                         __m512i lo, __m512i hi) {
  return _mm512_packs_epi32(_mm512_srai_epi32(_mm512_add_epi32(yLo, lo), 14),
                            _mm512_srai_epi32(_mm512_add_epi32(yHi, hi), 14));
}

__attribute__((target("avx512f,avx512bw"), always_inline)) inline void Wide512Row(const uint8_t* ys,
                                                                                 const Wide512Chroma& c, uint32_t* d) {
  const __m512i kY = _mm512_set1_epi32(19070);
  const __m512i zero = _mm512_setzero_si512();
  // Luma of pixels 0-7 | 8-15 | 16-23 | 24-31; the unpacked halves hold
  // 0-3 | 8-11 | 16-19 | 24-27 and 4-7 | 12-15 | 20-23 | 28-31.
  const __m512i y16 = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(ys)));
  const __m512i yLo = _mm512_madd_epi16(_mm512_unpacklo_epi16(y16, zero), kY);
  const __m512i yHi = _mm512_madd_epi16(_mm512_unpackhi_epi16(y16, zero), kY);
  const __m512i br =
      _mm512_packus_epi16(Wide512Channel(yLo, yHi, c.bLo, c.bHi), Wide512Channel(yLo, yHi, c.rLo, c.rHi));
  const __m512i ga = _mm512_packus_epi16(Wide512Channel(yLo, yHi, c.gLo, c.gHi), _mm512_set1_epi16(255));
  const __m512i bg = _mm512_unpacklo_epi8(br, ga);
  const __m512i ra = _mm512_unpackhi_epi8(br, ga);
  const __m512i p0 = _mm512_unpacklo_epi16(bg, ra);  // pixels 0-3 | 8-11 | 16-19 | 24-27
  const __m512i p1 = _mm512_unpackhi_epi16(bg, ra);  // pixels 4-7 | 12-15 | 20-23 | 28-31
  _mm512_storeu_si512(d, _mm512_permutex2var_epi64(p0, _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), p1));
  _mm512_storeu_si512(d + 16, _mm512_permutex2var_epi64(p0, _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15), p1));
}

__attribute__((target("avx512f,avx512bw"))) int PairsWide512(const uint8_t* y0, const uint8_t* y1, const uint8_t* u,
                                                             const uint8_t* v, uint32_t* d0, uint32_t* d1,
                                                             int pairs) {
  const __m512i kR = _mm512_set1_epi32(26148 << 16);
  const __m512i kG = _mm512_set1_epi32(static_cast<int32_t>(0xCBF8E6FAu));
  const __m512i kB = _mm512_set1_epi32(16531);
  const __m512i cR = _mm512_set1_epi32(-305120 - 3346944);
  const __m512i cG = _mm512_set1_epi32(-305120 + 819968 + 1705984);
  const __m512i cB = _mm512_set1_epi32(-305120 - 4231936);
  int j = 0;
  for (; j + 16 <= pairs; j += 16) {
    const __m128i u16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + j));
    const __m128i v16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + j));
    const __m256i uvBytes = _mm256_set_m128i(_mm_unpackhi_epi8(u16, v16), _mm_unpacklo_epi8(u16, v16));
    const __m512i uv = _mm512_cvtepu8_epi16(uvBytes);  // samples 0-3 | 4-7 | 8-11 | 12-15
    const __m512i r = _mm512_add_epi32(_mm512_madd_epi16(uv, kR), cR);
    const __m512i g = _mm512_add_epi32(_mm512_madd_epi16(uv, kG), cG);
    const __m512i b = _mm512_add_epi32(_mm512_slli_epi32(_mm512_madd_epi16(uv, kB), 1), cB);
    const Wide512Chroma c{_mm512_unpacklo_epi32(r, r), _mm512_unpackhi_epi32(r, r), _mm512_unpacklo_epi32(g, g),
                          _mm512_unpackhi_epi32(g, g), _mm512_unpacklo_epi32(b, b), _mm512_unpackhi_epi32(b, b)};
    Wide512Row(y0 + 2 * j, c, d0 + 2 * j);
    if (y1 != nullptr) Wide512Row(y1 + 2 * j, c, d1 + 2 * j);
  }
  // Eight more pairs in the AVX2 form.
  if (j + 8 <= pairs) {
    j += PairsWide(y0 + 2 * j, y1 != nullptr ? y1 + 2 * j : nullptr, u + j, v + j, d0 + 2 * j,
                   y1 != nullptr ? d1 + 2 * j : nullptr, pairs - j);
  }
  return j;
}

// The widest form the machine has, within the limit (bits of a vector).
PairsFunction ChooseWidePairs(int limit) {
  __builtin_cpu_init();
  if (limit >= 512 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) return PairsWide512;
  if (limit >= 256 && __builtin_cpu_supports("avx2")) return PairsWide;
  return nullptr;
}
#else
PairsFunction ChooseWidePairs(int) { return nullptr; }
#endif

std::atomic<PairsFunction>& WidePairs() {
  static std::atomic<PairsFunction> chosen{ChooseWidePairs(512)};
  return chosen;
}

// One or two luma rows (y1 null: one) of the picture's columns x .. x + width
// over their chroma row.
void Span420(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint32_t* d0, uint32_t* d1,
             int x, int width) {
  const PairsFunction wide = WidePairs().load(std::memory_order_relaxed);
  int i = 0;
  if (x & 1) {  // a first pixel that shares its chroma with the column left of the picture
    d0[0] = Pixel420(y0[x], u[x >> 1], v[x >> 1]);
    if (y1 != nullptr) d1[0] = Pixel420(y1[x], u[x >> 1], v[x >> 1]);
    i = 1;
  }
  const int pairs = (width - i) / 2;
  const int c = (x + i) >> 1;
  const int done = wide != nullptr ? wide(y0 + x + i, y1 != nullptr ? y1 + x + i : nullptr, u + c, v + c, d0 + i,
                                          y1 != nullptr ? d1 + i : nullptr, pairs)
                                   : 0;
  const int rest = i + 2 * done;
  PairsScalar(y0 + x + rest, u + c + done, v + c + done, d0 + rest, pairs - done);
  if (y1 != nullptr) PairsScalar(y1 + x + rest, u + c + done, v + c + done, d1 + rest, pairs - done);
  i += 2 * pairs;
  if (i < width) {
    const int px = x + i;
    d0[i] = Pixel420(y0[px], u[px >> 1], v[px >> 1]);
    if (y1 != nullptr) d1[i] = Pixel420(y1[px], u[px >> 1], v[px >> 1]);
  }
}

// 4:2:0: rows that share a chroma row go together.
void Convert420(const YuvPlanes& p, int x, int y, int width, int height, uint8_t* out, int pitch) {
  for (int row = 0; row < height;) {
    const int py = y + row;
    const bool two = (py & 1) == 0 && row + 1 < height;
    const uint8_t* ys = p.y + static_cast<ptrdiff_t>(py) * p.yStride;
    const uint8_t* us = p.u + static_cast<ptrdiff_t>(py >> 1) * p.uvStride;
    const uint8_t* vs = p.v + static_cast<ptrdiff_t>(py >> 1) * p.uvStride;
    auto* dst = reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(row) * pitch);
    Span420(ys, two ? ys + p.yStride : nullptr, us, vs, dst,
            two ? reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(row + 1) * pitch) : nullptr, x, width);
    row += two ? 2 : 1;
  }
}

inline int FloatChannel(float value) { return std::clamp(static_cast<int>(value), 0, 255); }

// Other layouts: the chroma sample that covers the pixel, at the planes'
// own ratio of chroma to luma.
void ConvertOther(const YuvPlanes& p, int x, int y, int width, int height, uint8_t* out, int pitch) {
  for (int row = 0; row < height; ++row) {
    const int py = y + row;
    const int cy = static_cast<int>(int64_t{py} * p.uvHeight / p.yHeight);
    const uint8_t* ys = p.y + static_cast<ptrdiff_t>(py) * p.yStride;
    const uint8_t* us = p.u + static_cast<ptrdiff_t>(cy) * p.uvStride;
    const uint8_t* vs = p.v + static_cast<ptrdiff_t>(cy) * p.uvStride;
    uint32_t* dst = reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(row) * pitch);
    for (int i = 0; i < width; ++i) {
      const int px = x + i;
      const int cx = static_cast<int>(int64_t{px} * p.uvWidth / p.yWidth);
      const float yf = 1.164f * static_cast<float>(ys[px] - 16);
      const float u = static_cast<float>(us[cx] - 128), v = static_cast<float>(vs[cx] - 128);
      dst[i] = Pack(FloatChannel(yf + 1.596f * v), FloatChannel(yf - 0.391f * u - 0.813f * v),
                    FloatChannel(yf + 2.018f * u));
    }
  }
}

}  // namespace

const YuvToRgbTables& YuvTables() {
  std::call_once(g_built, Build);
  return Tables();
}

void ConvertYuvPicture(const YuvPlanes& planes, int x, int y, int width, int height, uint8_t* out, int pitch) {
  YuvTables();
  if (width <= 0 || height <= 0 || planes.yWidth <= 0 || planes.yHeight <= 0) return;
  if (planes.uvWidth * 2 == planes.yWidth && planes.uvHeight * 2 == planes.yHeight) {
    Convert420(planes, x, y, width, height, out, pitch);
  } else {
    ConvertOther(planes, x, y, width, height, out, pitch);
  }
}

YuvPairsFunction ChooseYuvWidePairs(int limitBits) { return ChooseWidePairs(limitBits); }

std::atomic<YuvPairsFunction>& YuvWidePairs() { return WidePairs(); }

uint32_t YuvToBgraByTables(int y, int u, int v) {
  const YuvToRgbTables& t = YuvTables();
  const int32_t yt = t.yTerm[y];
  return Pack(t.clamp[(yt + t.rFromV[v]) / 16384 + 512], t.clamp[(yt + t.gFromU[u] + t.gFromV[v]) / 16384 + 512],
              t.clamp[(yt + t.bFromU[u]) / 16384 + 512]);
}

uint32_t YuvToBgraByFloat(int y, int u, int v) {
  const uint8_t ys = static_cast<uint8_t>(y), us = static_cast<uint8_t>(u), vs = static_cast<uint8_t>(v);
  const YuvPlanes one{&ys, &us, &vs, 1, 1, 1, 1, 1, 1};
  uint32_t out = 0;
  ConvertOther(one, 0, 0, 1, 1, reinterpret_cast<uint8_t*>(&out), 4);
  return out;
}

}  // namespace detail

int InitYuvToRgbTables() {
  detail::YuvTables();
  return 0;
}

}  // namespace veziv
