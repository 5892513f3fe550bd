// Texture tiling of graph images and the texture type of a creation request.
#include "library/graphics/graphs/graph_tiling.h"

#include <gtest/gtest.h>

namespace veziv {
namespace {

TEST(TextureTiling, SplitsOneSideIntoPowerOfTwoPieces) {
  struct Case {
    const char* name;
    int length;
    TilingLimits limits;
    std::vector<int> pieces;
  };
  TilingLimits device;  // 2048, no user limit, 800-pixel screen
  TilingLimits user = device;
  user.userLimit = true;
  TilingLimits wish = device;
  wish.oneTexture = true;
  TilingLimits small = device;
  small.maxSide = 256;
  const Case cases[] = {
      {"tiny side takes the smallest texture", 5, device, {8}},
      {"narrower than the screen: one texture", 640, device, {1024}},
      {"screen-wide side is split", 800, device, {512, 256, 32}},
      {"a remainder above three quarters doubles the piece", 1000, device, {1024}},
      {"exact power of two", 512, device, {512}},
      {"user limit splits even narrow sides", 640, user, {512, 128}},
      {"single-texture wish keeps one texture", 1500, wish, {2048}},
      {"wish beyond the largest side splits; the last two eights join", 1500, small,
       {256, 256, 256, 256, 256, 128, 64, 16, 16}},
      {"a wider side than the largest texture repeats it", 4096, device, {2048, 2048}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitTextureLength(c.length, c.limits), c.pieces) << c.name;
}

TEST(TextureTiling, GridRunsRowByRowWithUsedSizesCutAtTheEdges) {
  std::vector<TextureTileLayout> tiles;
  ASSERT_TRUE(LayOutGraphTiles(800, 600, TilingLimits{}, &tiles));
  ASSERT_EQ(tiles.size(), 3u);
  const TextureTileLayout expected[] = {
      {0, 0, 512, 600, 512, 1024}, {512, 0, 256, 600, 256, 1024}, {768, 0, 32, 600, 32, 1024}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(tiles[i].x, expected[i].x) << i;
    EXPECT_EQ(tiles[i].y, expected[i].y) << i;
    EXPECT_EQ(tiles[i].usedWidth, expected[i].usedWidth) << i;
    EXPECT_EQ(tiles[i].usedHeight, expected[i].usedHeight) << i;
    EXPECT_EQ(tiles[i].textureWidth, expected[i].textureWidth) << i;
    EXPECT_EQ(tiles[i].textureHeight, expected[i].textureHeight) << i;
  }

  TilingLimits user;
  user.userLimit = true;
  user.maxSide = 64;
  ASSERT_TRUE(LayOutGraphTiles(100, 70, user, &tiles));
  // Columns 64 + 32 + 8 (the last doubled from 4 to 8), rows 64 + 8.
  ASSERT_EQ(tiles.size(), 6u);
  EXPECT_EQ(tiles[3].x, 0);
  EXPECT_EQ(tiles[3].y, 64);
  EXPECT_EQ(tiles[3].usedHeight, 6);
  EXPECT_EQ(tiles[5].x, 96);
  EXPECT_EQ(tiles[5].usedWidth, 4);
}

TEST(TextureTiling, SquareOnlyDevicesCutTilesIntoSquaresAppendedAfterTheGrid) {
  TilingLimits square;
  square.squareOnly = true;
  std::vector<TextureTileLayout> tiles;
  // One 128 x 64 texture, cut into two 64 x 64 squares.
  ASSERT_TRUE(LayOutGraphTiles(100, 40, square, &tiles));
  ASSERT_EQ(tiles.size(), 2u);
  EXPECT_EQ(tiles[0].x, 0);
  EXPECT_EQ(tiles[0].textureWidth, 64);
  EXPECT_EQ(tiles[0].textureHeight, 64);
  EXPECT_EQ(tiles[0].usedWidth, 64);
  EXPECT_EQ(tiles[0].usedHeight, 40);
  EXPECT_EQ(tiles[1].x, 64);
  EXPECT_EQ(tiles[1].y, 0);
  EXPECT_EQ(tiles[1].usedWidth, 36);

  // A tall tile: the squares follow downwards, after every grid tile.
  ASSERT_TRUE(LayOutGraphTiles(20, 60, square, &tiles));
  ASSERT_EQ(tiles.size(), 2u);
  EXPECT_EQ(tiles[1].x, 0);
  EXPECT_EQ(tiles[1].y, 32);
  EXPECT_EQ(tiles[1].usedHeight, 28);
}

TEST(TextureTiling, RefusesMoreThan256Tiles) {
  TilingLimits eight;
  eight.userLimit = true;
  eight.maxSide = 8;
  std::vector<TextureTileLayout> tiles;
  EXPECT_TRUE(LayOutGraphTiles(128, 128, eight, &tiles));  // 16 x 16 pieces
  EXPECT_EQ(tiles.size(), 256u);
  EXPECT_FALSE(LayOutGraphTiles(136, 128, eight, &tiles));
  EXPECT_TRUE(tiles.empty());
  EXPECT_FALSE(LayOutGraphTiles(4000, 4000, eight, &tiles));
  TilingLimits square = eight;
  square.maxSide = 256;
  square.squareOnly = true;
  // 2048 x 8 textures cut into 256 squares each would overrun the tables.
  EXPECT_FALSE(LayOutGraphTiles(4096, 8, square, &tiles));
}

TEST(TextureType, FollowsTheRequest) {
  struct Case {
    GraphCreateRequest request;
    int type;
  };
  auto req = [](int alpha, int rt, int trans, int bits, int dxt) {
    GraphCreateRequest r{};
    r.alpha = uint8_t(alpha);
    r.renderTarget = uint8_t(rt);
    r.transColorUse = uint8_t(trans);
    r.colorBits = uint8_t(bits);
    r.compressedFormat = uint8_t(dxt);
    return r;
  };
  const Case cases[] = {
      {req(0, 0, 0, 16, 0), 0},  {req(0, 0, 0, 32, 0), 1},  {req(1, 0, 1, 16, 0), 2}, {req(1, 0, 0, 32, 0), 3},
      {req(0, 0, 1, 16, 0), 4},  {req(0, 0, 1, 32, 0), 5},  {req(0, 0, 0, 32, 1), 6}, {req(1, 1, 0, 32, 5), 10},
      {req(0, 1, 0, 16, 0), 11}, {req(0, 1, 0, 32, 0), 12}, {req(1, 1, 0, 16, 0), 13}, {req(0, 1, 1, 32, 0), 13},
  };
  for (const Case& c : cases) EXPECT_EQ(TextureTypeForRequest(c.request), c.type) << c.type;
}

}  // namespace
}  // namespace veziv
