// The 16-bit packed add and subtract against their per-field description, on
// every pair of edge field values and on random words, and the parameter
// scale against its exact quotient.
#include "library/softrender/blend/blend_rules16.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "library/softrender/blend/blend_tables.h"
#include "library/softrender/reference/span_reference_test_support.h"

namespace veziv::softrender {
namespace {

std::vector<uint32_t> EdgeWords() {
  const uint32_t five[] = {0, 1, 2, 15, 16, 30, 31}, six[] = {0, 1, 2, 31, 32, 62, 63};
  std::vector<uint32_t> out;
  for (uint32_t r : five)
    for (uint32_t g : six)
      for (uint32_t b : five) out.push_back(r << 11 | g << 5 | b);
  return out;
}

TEST(BlendRules16, PackedAddAndSubtractFollowTheirFieldRules) {
  const std::vector<uint32_t> edges = EdgeWords();
  auto check = [](uint32_t d, uint32_t s) {
    ASSERT_EQ(PackedAdd565(d, s), test::RefPackedAdd16(d, s)) << std::hex << d << " + " << s;
    ASSERT_EQ(PackedSubtract565(d, s), test::RefPackedSubtract16(d, s)) << std::hex << d << " - " << s;
  };
  for (uint32_t d : edges)
    for (uint32_t s : edges) check(d, s);
  std::mt19937 rng(1);
  for (int i = 0; i < 200000; ++i) check(rng() & 0xFFFF, rng() & 0xFFFF);
}

TEST(BlendRules16, ScaleByParamStepsTheSameFromEitherSide) {
  const SoftBlendTables& tables = GetBlendTables();
  for (int p = 0; p < 256; ++p) {
    const int32_t* row = &tables.SignedProductTable[p][256];
    for (int d = 0; d < 64; ++d)
      for (int x = 0; x < 64; ++x)
        ASSERT_EQ(int(ScaleByParam(uint32_t(d), uint32_t(x), row)), d + (x - d) * p / 255) << d << " " << x << " " << p;
  }
}

}  // namespace
}  // namespace veziv::softrender
