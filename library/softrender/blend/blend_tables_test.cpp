// Spot values of the renderer's lookup tables and of the blend alpha table.
#include "library/softrender/blend/blend_tables.h"

#include <gtest/gtest.h>

#include <memory>

namespace veziv {
namespace {

TEST(BlendTables, HoldProductsDividedBy255) {
  auto t = std::make_unique<SoftBlendTables>();
  FillBlendTables(*t);
  for (int v = 0; v < 256; ++v) {
    EXPECT_EQ(t->ProductTable[255][v], static_cast<uint32_t>(v));
    EXPECT_EQ(t->ProductTable[0][v], 0u);
  }
  EXPECT_EQ(t->ProductTable[128][255], 128u);
  EXPECT_EQ(t->ProductTable[100][200], 78u);  // 20000 / 255 = 78.4
  EXPECT_EQ(t->ProductTable[200][100], 78u);
}

TEST(BlendTables, SignedProductsTruncateTowardZero) {
  auto t = std::make_unique<SoftBlendTables>();
  FillBlendTables(*t);
  const int32_t* row255 = &t->SignedProductTable[255][256];
  const int32_t* row100 = &t->SignedProductTable[100][256];
  EXPECT_EQ(row255[-255], -255);
  EXPECT_EQ(row255[255], 255);
  EXPECT_EQ(row100[-150], -58);  // -58.8 toward zero
  EXPECT_EQ(row100[150], 58);
  EXPECT_EQ(row100[0], 0);
  EXPECT_EQ(t->SignedProductTable[0][1], 0);
}

TEST(BlendTables, SixBitBlendMixesByBlock) {
  auto t = std::make_unique<SoftBlendTables>();
  FillBlendTables(*t);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(t->Blend6Table[63][i][17], i);  // block 63 takes the source
    EXPECT_EQ(t->Blend6Table[0][17][i], i);   // block 0 keeps the target
  }
  EXPECT_EQ(t->Blend6Table[32][63][0], 32);  // 63 * 32 / 63
  EXPECT_EQ(t->Blend6Table[10][5][40], (5 * 10 + 40 * 53) / 63);
}

TEST(BlendTables, GetBlendTablesBuildsOnFirstUse) {
  const SoftBlendTables& t = GetBlendTables();
  EXPECT_EQ(t.ProductTable[255][77], 77u);
}

TEST(BlendAlphaTable, FollowsBorderParameterAndRange) {
  struct Case {
    int p, r;
    int index;
    int expected;
  };
  const Case cases[] = {
      {0, 255, 0, 255},   {0, 255, 200, 255},  // i + 256 limited to 255
      {255, 255, 0, 0},   {255, 255, 254, 0},  {255, 255, 255, 1},  // base -254
      {128, 255, 0, 0},   {128, 255, 77, 77},  {128, 255, 255, 255},
      {1, 0, 0, 0},       {1, 0, 1, 255},      // range 0: a hard edge
      {10, 15, 3, 134},   {3, 15, 3, 253},     {3, 15, 12, 255},
  };
  for (const Case& c : cases) {
    uint8_t table[256];
    BuildBlendAlphaTable(table, c.p, c.r);
    EXPECT_EQ(table[c.index], c.expected) << "p " << c.p << " r " << c.r << " i " << c.index;
  }
}

}  // namespace
}  // namespace veziv
