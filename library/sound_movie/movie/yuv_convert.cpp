// The conversion tables and the picture converters.
#include "library/sound_movie/movie/yuv_convert.h"

#include <algorithm>
#include <mutex>

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

// Wider vectors where the processor has them (chosen once, at load, by a
// resolver that runs before ThreadSanitizer's runtime is up: not under it).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define VEZIV_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define VEZIV_WIDE_VECTORS
#endif

// 4:2:0: each chroma sample's three terms once, shared by the pixels it covers.
VEZIV_WIDE_VECTORS void Convert420(const YuvPlanes& p, int x, int y, int width, int height, uint8_t* out, int pitch) {
  const YuvToRgbTables& t = Tables();
  for (int row = 0; row < height; ++row) {
    const int py = y + row;
    const uint8_t* ys = p.y + static_cast<ptrdiff_t>(py) * p.yStride;
    const uint8_t* us = p.u + static_cast<ptrdiff_t>(py >> 1) * p.uvStride;
    const uint8_t* vs = p.v + static_cast<ptrdiff_t>(py >> 1) * p.uvStride;
    uint32_t* dst = reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(row) * pitch);
    int i = 0;
    if (x & 1) {  // a first pixel that shares its chroma with the column left of the picture
      const int u = us[x >> 1], v = vs[x >> 1];
      const int32_t yt = t.yTerm[ys[x]];
      dst[0] = Pack(Channel(yt + t.rFromV[v]), Channel(yt + t.gFromU[u] + t.gFromV[v]), Channel(yt + t.bFromU[u]));
      i = 1;
    }
    // Pixel pairs over one chroma sample; the terms are the tables' values
    // written out, which lets the compiler work on several pairs at once.
    const int pairs = (width - i) / 2;
    const uint8_t* yp = ys + x + i;
    const uint8_t* up = us + ((x + i) >> 1);
    const uint8_t* vp = vs + ((x + i) >> 1);
    uint32_t* dp = dst + i;
    for (int j = 0; j < pairs; ++j) {
      const int32_t u = up[j], v = vp[j];
      const int32_t rv = 26148 * v - 3346944;
      const int32_t guv = 819968 - 6406 * u + 1705984 - 13320 * v;
      const int32_t bu = 33062 * u - 4231936;
      const int32_t y0 = 19070 * yp[2 * j] - 305120;
      const int32_t y1 = 19070 * yp[2 * j + 1] - 305120;
      dp[2 * j] = Pack(Channel(y0 + rv), Channel(y0 + guv), Channel(y0 + bu));
      dp[2 * j + 1] = Pack(Channel(y1 + rv), Channel(y1 + guv), Channel(y1 + bu));
    }
    i += 2 * pairs;
    if (i < width) {
      const int px = x + i;
      const int u = us[px >> 1], v = vs[px >> 1];
      const int32_t yt = t.yTerm[ys[px]];
      dst[i] = Pack(Channel(yt + t.rFromV[v]), Channel(yt + t.gFromU[u] + t.gFromV[v]), Channel(yt + t.bFromU[u]));
    }
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
