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

// 5:6:5 words: channel c = 0 blue (bits 0-4), 1 green (5-10), 2 red (11-15),
// the same channel order as the bytes of a 32-bit pixel.
inline constexpr int kShift565[3] = {0, 5, 11};
inline constexpr int kWidth565[3] = {5, 6, 5};
constexpr uint32_t Channel565(uint32_t v, int c) { return (v >> kShift565[c]) & ((1u << kWidth565[c]) - 1); }

// One-pixel packed add of 5:6:5 words: blue exact and saturating, green and
// red on their upper bits with the low bit the OR of both low bits and the
// carry from below; a field that overflows takes all ones above its low bit.
constexpr uint32_t PackedAdd16(uint32_t d, uint32_t y) {
  const uint32_t u = (d & 0xF7DFu) + (y & 0xF7DFu);
  const uint32_t c = u & 0x08210820u;
  return (u | (c - (c >> 5)) | ((d | y) & 0x0820u)) & 0xFFFFu;
}

// The add of a pixel drawn alone inside the two-pixel loops: no low-bit term.
constexpr uint32_t PackedAdd16NoLowBits(uint32_t d, uint32_t y) {
  const uint32_t u = (d & 0xF7DFu) + (y & 0xF7DFu);
  const uint32_t c = u & 0x08210820u;
  return (u | (c - (c >> 5))) & 0xFFFFu;
}

// One-pixel packed subtract of 5:6:5 words: a field that borrows becomes 0;
// green's low bit is always 0, red's is the surviving green guard.
constexpr uint32_t PackedSubtract16(uint32_t d, uint32_t y) {
  const uint32_t u = (d | 0x08210820u) - (y & 0xF7DEF7DFu);
  const uint32_t c = u & 0x08210820u;
  return u & (c - (c >> 5)) & 0xFFFFu;
}

// Two pixels at once (first in the low half) in 33 bits: the second pixel's
// lowest blue bit takes the first pixel's red carry, and a carry out of the
// second pixel's red saturates it. No low-bit term.
constexpr uint32_t PairAdd16(uint32_t d, uint32_t s) {
  const uint64_t sum = uint64_t(d & 0xF7DEF7DFu) + (s & 0xF7DEF7DFu);
  const uint64_t k = sum & 0x108210820u;
  return static_cast<uint32_t>(sum | (k - (k >> 5)));
}

// Two pixels at once: the second pixel's red survives only when no borrow
// passes out of bit 31.
constexpr uint32_t PairSubtract16(uint32_t d, uint32_t s) {
  const uint64_t t = (uint64_t(d) | 0x108210820u) - (s & 0xF7DEF7DFu);
  const uint64_t k = t & 0x108210820u;
  return static_cast<uint32_t>(t & (k - (k >> 5)));
}

// floor(s / 2) + floor(d / 2) in each field of a 5:6:5 word.
constexpr uint32_t Half16(uint32_t d, uint32_t s) { return ((s >> 1) & 0x7BEFu) + ((d >> 1) & 0x7BEFu); }

// The 6-bit blend of each field of two 5:6:5 words through a block of the
// 6-bit blend table (entry s * 64 + d), the 5-bit fields indexing it as the
// 6-bit one does.
inline uint32_t Blend6Word(const uint8_t* block, uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) out |= uint32_t{block[Channel565(s, c) * 64 + Channel565(d, c)]} << kShift565[c];
  return out;
}

}  // namespace veziv::softrender
