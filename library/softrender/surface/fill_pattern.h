// Filling memory with a repeated four-byte pattern: the clear and the flat
// copy of boxes and spans. Internal to the renderer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace veziv::softrender {

// From this many bytes on, x86-64's string store of four-byte words fills at
// memset's speed (the processor writes whole lines without reading them
// first), where vector stores go at the speed of a copy; below it, its start-up
// costs more than it saves.
inline constexpr size_t kStringFillBytes = 2048;

// Writes n bytes from p with the four bytes of pattern over and over, the
// first at p: memset where they are all one byte, else the string store for
// long fills and 16-byte stores for short ones.
inline void FillPattern(uint8_t* p, size_t n, uint32_t pattern) {
  if (pattern == (pattern & 0xFFu) * 0x01010101u) {
    std::memset(p, static_cast<int>(pattern & 0xFFu), n);
    return;
  }
  size_t i = 0;
#if defined(__x86_64__)
  if (n >= kStringFillBytes) {
    void* at = p;
    size_t words = n / 4;
    asm volatile("rep stosl" : "+D"(at), "+c"(words) : "a"(pattern) : "memory");
    i = n & ~size_t{3};
  }
#endif
#if defined(__SSE2__)
  const __m128i v = _mm_set1_epi32(static_cast<int>(pattern));
  for (; i + 64 <= n; i += 64) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 16), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 32), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 48), v);
  }
  for (; i + 16 <= n; i += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
#endif
  for (; i + 4 <= n; i += 4) std::memcpy(p + i, &pattern, 4);
  // i is a multiple of 4 here, so the pattern starts again at byte 0.
  if (i < n) std::memcpy(p + i, &pattern, n - i);
}

// The four-byte pattern of a pixel value of 1, 2 or 4 bytes.
constexpr uint32_t PixelPattern(uint32_t raw, int bytes) {
  return bytes == 1 ? (raw & 0xFFu) * 0x01010101u : bytes == 2 ? (raw & 0xFFFFu) * 0x00010001u : raw;
}

}  // namespace veziv::softrender
