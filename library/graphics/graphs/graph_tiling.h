// How a graph's image is laid out in textures: each side split into
// power-of-two pieces, the grid of tiles they make (optionally cut into square
// tiles), and the texture type number of a creation request. Pure functions,
// shared by graph creation and the texture back end.
#pragma once

#include <cstdint>
#include <vector>

namespace veziv {

// The eleven bytes that describe how a graph's store is made.
struct GraphCreateRequest {
  uint8_t textureBacked;
  uint8_t alpha;
  uint8_t renderTarget;
  uint8_t systemMemory;
  uint8_t defaultPool;
  uint8_t compressedFormat;  // 0 none, 1..5
  uint8_t mipLevels;
  uint8_t transColorUse;
  uint8_t colorBits;  // 16 or 32
  uint8_t blendImage;
  uint8_t palette;
};

// What the split of one side depends on.
struct TilingLimits {
  int maxSide = 2048;        // largest texture side (a power of two, at least 8)
  bool userLimit = false;    // maxSide was set by the user, not by the device
  int screenWidth = 800;
  bool oneTexture = false;   // the single-texture wish, render-target kind or blend image
  bool squareOnly = false;   // the device takes square textures only
};

inline constexpr int kMaxGraphTiles = 256;

// The pieces one side of length `length` is split into, in order.
std::vector<int> SplitTextureLength(int length, const TilingLimits& limits);

struct TextureTileLayout {
  int x, y;                          // where the tile starts in the image
  int usedWidth, usedHeight;         // part of the image it covers
  int textureWidth, textureHeight;   // size of its texture
};

// The tiles of a width x height image, row by row, square-cut when asked.
// False (tiles left empty) when more than kMaxGraphTiles would be needed.
bool LayOutGraphTiles(int width, int height, const TilingLimits& limits, std::vector<TextureTileLayout>* tiles);

// The texture type number of a request (the texture format index).
int TextureTypeForRequest(const GraphCreateRequest& request);

}  // namespace veziv
