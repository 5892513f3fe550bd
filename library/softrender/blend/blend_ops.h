// The exact integer primitives of every software blend: memcpy-based pixel loads
// and stores, the weighted mix with floor, the packed saturating add and
// subtract on whole 32-bit pixels, and their per-byte exact counterparts.
// Shared by the blits, the triangle spans and the shapes.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace veziv::softrender {

static_assert(std::endian::native == std::endian::little, "pixels are stored little-endian");

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

// floor((d * 2^n + (x - d) * w) / 2^n) for bytes d, x and a weight w < 2^n,
// n = 8, 16 or 24. The dividend equals d * (2^n - w) + x * w, never negative and
// below 2^32, so unsigned arithmetic gives the floor exactly.
template <int N>
constexpr uint32_t Lerp(uint32_t d, uint32_t x, uint32_t w) {
  static_assert(N == 8 || N == 16 || N == 24);
  return (d * ((1u << N) - w) + x * w) >> N;
}

// Packed saturating add of bytes 0-2: byte 0 exact, bytes 1 and 2 add their
// upper seven bits (low bit = OR of both low bits and the carry from below);
// byte 3 becomes the carry out of byte 2.
constexpr uint32_t PackedAdd(uint32_t d, uint32_t v) {
  const uint32_t t = (d & 0x00FEFEFFu) + (v & 0x00FEFEFFu);
  const uint32_t c = t & 0x01010100u;
  return t | (c - (c >> 8)) | ((d | v) & 0x00010100u);
}

// PackedAdd without its low-bit term: the whole-pixel add of the portable form.
constexpr uint32_t PackedAddNoLowBits(uint32_t d, uint32_t v) {
  const uint32_t t = (d & 0x00FEFEFFu) + (v & 0x00FEFEFFu);
  const uint32_t c = t & 0x01010100u;
  return t | (c - (c >> 8));
}

// Packed saturating subtract of bytes 0-2 (byte 0 exact, bytes 1 and 2 on their
// upper seven bits with the low bit set unless the byte below borrowed);
// byte 3 becomes 0.
constexpr uint32_t PackedSubtract(uint32_t d, uint32_t v) {
  const uint32_t t = (d | 0x01010100u) - (v & 0xFEFEFEFFu);
  const uint32_t c = t & 0x01010100u;
  return t & (c - (c >> 8));
}

// min(255, d + s) in each of the four bytes (the MMX form of the add).
constexpr uint32_t SaturatingAddBytes(uint32_t d, uint32_t s) {
  uint32_t r = 0;
  for (int i = 0; i < 32; i += 8) {
    const uint32_t sum = ((d >> i) & 0xFF) + ((s >> i) & 0xFF);
    r |= (sum > 255 ? 255u : sum) << i;
  }
  return r;
}

// max(0, d - s) in each of the four bytes (the MMX form of the subtract).
constexpr uint32_t SaturatingSubtractBytes(uint32_t d, uint32_t s) {
  uint32_t r = 0;
  for (int i = 0; i < 32; i += 8) {
    const uint32_t a = (d >> i) & 0xFF, b = (s >> i) & 0xFF;
    r |= (a > b ? a - b : 0u) << i;
  }
  return r;
}

// floor(s / 2) + floor(d / 2) in bytes 0-2, byte 3 cleared.
constexpr uint32_t AverageBytes(uint32_t d, uint32_t s) {
  return ((s >> 1) & 0x007F7F7Fu) + ((d >> 1) & 0x007F7F7Fu);
}

constexpr uint32_t Byte(uint32_t v, int c) { return (v >> (8 * c)) & 0xFF; }

}  // namespace veziv::softrender
