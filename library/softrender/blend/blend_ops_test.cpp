// The blend primitives on hand-worked values: the weighted mix's floor, the
// packed add and subtract with their low-bit and byte-3 behaviour, and the
// exact per-byte forms.
#include "library/softrender/blend/blend_ops.h"

#include <gtest/gtest.h>

namespace veziv::softrender {
namespace {

TEST(BlendOps, LerpFloorsTheWholeDividend) {
  EXPECT_EQ(Lerp<8>(200, 50, 100), 141u);  // rounds away from d
  EXPECT_EQ(Lerp<8>(50, 200, 100), 108u);
  EXPECT_EQ(Lerp<8>(0, 255, 255), 254u);
  EXPECT_EQ(Lerp<16>(0, 255, 255 * 255), 253u);
  EXPECT_EQ(Lerp<24>(255, 0, 255 * 255 * 255), 2u);
  EXPECT_EQ(Lerp<24>(255, 255, 255 * 255 * 255), 255u);
  EXPECT_EQ(Lerp<8>(77, 200, 0), 77u);
}

TEST(BlendOps, PackedOperationsOnWorkedValues) {
  struct Case {
    const char* what;
    uint32_t (*op)(uint32_t, uint32_t);
    uint32_t d, v, expected;
  };
  const Case cases[] = {
      {"add: green 1 + 1 stays 1", PackedAdd, 0x00000100, 0x00000100, 0x00000100},
      {"add: red stops at 0xFF, byte 3 takes the carry", PackedAdd, 0x00FF0000, 0x00020000, 0x01FF0000},
      {"add: blue is exact and stops at 255", PackedAdd, 0x000000F0, 0x00000020, 0x000001FF},
      {"add: byte 3 of the inputs is dropped", PackedAdd, 0xAA000001, 0xBB000001, 0x00000002},
      {"add without low bits: green 1 + 1 is 0", PackedAddNoLowBits, 0x00000100, 0x00000100, 0x00000000},
      {"add without low bits: 0x101 + 0x101", PackedAddNoLowBits, 0x00000101, 0x00000101, 0x00000002},
      {"subtract: worked pixel", PackedSubtract, 0x00101010, 0x00010101, 0x0011110F},
      {"subtract: green 0x10 - 0x01", PackedSubtract, 0x00001000, 0x00000100, 0x00011100},
      {"subtract: nothing sets the low bits", PackedSubtract, 0x55123456, 0x00000000, 0x00133556},
      {"subtract: stops at 0", PackedSubtract, 0x00102030, 0x00FFFFFF, 0x00000000},
      {"exact add: every byte", SaturatingAddBytes, 0x00000101, 0x00000101, 0x00000202},
      {"exact add: saturates byte 3 too", SaturatingAddBytes, 0xF0FF0080, 0x20010090, 0xFFFF00FF},
      {"exact subtract: every byte", SaturatingSubtractBytes, 0x00101010, 0x00010101, 0x000F0F0F},
      {"exact subtract: byte 3 too", SaturatingSubtractBytes, 0x10001000, 0x20000100, 0x00000F00},
      {"average: halves, byte 3 cleared", AverageBytes, 0x77010101, 0x00FFFFFF, 0x007F7F7F},
  };
  for (const Case& c : cases) EXPECT_EQ(c.op(c.d, c.v), c.expected) << c.what;
}

TEST(BlendOps, PackedAddIsWithinOneOfTheExactAdd) {
  for (uint32_t d = 0; d < 256; d += 3)
    for (uint32_t v = 0; v < 256; ++v) {
      const uint32_t r = PackedAdd(d << 8, v << 8) >> 8 & 0xFF;
      const uint32_t exact = d + v > 255 ? 255 : d + v;
      EXPECT_LE(r > exact ? r - exact : exact - r, 1u) << d << " + " << v;
    }
}

}  // namespace
}  // namespace veziv::softrender
