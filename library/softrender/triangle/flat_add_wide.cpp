// The packed add of one colour over a flat row in eight-pixel AVX2 form, for
// machines that have it: the same exact arithmetic as PackedAddLanes with its
// low-bit term, twice as wide.
#include "library/softrender/triangle/triangle_spans.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace veziv::softrender {

#if defined(__x86_64__) || defined(__i386__)
namespace {

// The byte-wise saturating sum ORed with the word-wide one, as PackedAddLanes
// explains; the colour's own low bits are ORed in with the pixel's.
__attribute__((target("avx2"))) int32_t FlatAddEight(uint8_t* dp, int32_t count, uint32_t word) {
  const __m256i m = _mm256_set1_epi32(0x00FEFEFF), lowBits = _mm256_set1_epi32(0x00010100);
  const __m256i s = _mm256_set1_epi32(static_cast<int>(word));
  const __m256i sm = _mm256_and_si256(s, m), sLow = _mm256_and_si256(s, lowBits);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    auto* p = reinterpret_cast<__m256i*>(dp + ptrdiff_t{4} * i);
    const __m256i d = _mm256_loadu_si256(p);
    const __m256i a = _mm256_and_si256(d, m);
    const __m256i r = _mm256_or_si256(_mm256_adds_epu8(a, sm), _mm256_add_epi32(a, sm));
    const __m256i low = _mm256_or_si256(_mm256_and_si256(d, lowBits), sLow);
    _mm256_storeu_si256(p, _mm256_or_si256(r, low));
  }
  return i;
}

}  // namespace

FlatAddRow ChooseWideFlatAdd() { return __builtin_cpu_supports("avx2") ? FlatAddEight : nullptr; }
#else
FlatAddRow ChooseWideFlatAdd() { return nullptr; }
#endif

}  // namespace veziv::softrender
