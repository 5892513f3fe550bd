// Splitting graph images into power-of-two texture tiles, and the texture
// type number of a creation request.
#include "library/graphics/graphs/graph_tiling.h"

#include <algorithm>

namespace veziv {

std::vector<int> SplitTextureLength(int length, const TilingLimits& limits) {
  const int max = limits.maxSide;
  if (length <= 8) return {8};
  int p = max;
  while (p > 8 && p > length) p /= 2;
  const bool whole = limits.oneTexture || (!limits.userLimit && length < limits.screenWidth);
  if (whole && 2 * p <= max) return {p >= length ? p : 2 * p};
  std::vector<int> pieces;
  int rest = length;
  for (;;) {
    pieces.push_back(p);
    rest -= p;
    if (rest <= 0) break;
    if (rest > 3 * p / 4 && p < max) {
      pieces.back() = 2 * p;
      break;
    }
    while (rest < p && p > 8) p /= 2;
  }
  const size_t n = pieces.size();
  if (n >= 2 && pieces[n - 1] == pieces[n - 2] && 2 * pieces[n - 1] <= max) {
    pieces.pop_back();
    pieces.back() *= 2;
  }
  return pieces;
}

bool LayOutGraphTiles(int width, int height, const TilingLimits& limits, std::vector<TextureTileLayout>* tiles) {
  tiles->clear();
  const std::vector<int> columns = SplitTextureLength(width, limits);
  const std::vector<int> rows = SplitTextureLength(height, limits);
  std::vector<TextureTileLayout> grid;
  std::vector<TextureTileLayout> extra;
  // Counted before anything is stored, so a huge image cannot make huge lists.
  size_t count = 0;
  for (int th : rows) {
    for (int tw : columns) {
      const int shorter = std::min(tw, th);
      count += limits.squareOnly ? size_t(std::max(tw, th) / shorter) : 1;
      if (count > kMaxGraphTiles) return false;
    }
  }
  int y = 0;
  for (int th : rows) {
    int x = 0;
    for (int tw : columns) {
      if (limits.squareOnly && tw != th) {
        const int side = std::min(tw, th);
        grid.push_back({x, y, 0, 0, side, side});
        for (int k = 1; k < std::max(tw, th) / side; ++k) {
          if (tw > th)
            extra.push_back({x + k * side, y, 0, 0, side, side});
          else
            extra.push_back({x, y + k * side, 0, 0, side, side});
        }
      } else {
        grid.push_back({x, y, 0, 0, tw, th});
      }
      x += tw;
    }
    y += th;
  }
  grid.insert(grid.end(), extra.begin(), extra.end());
  for (TextureTileLayout& t : grid) {
    t.usedWidth = std::max(0, std::min(width - t.x, t.textureWidth));
    t.usedHeight = std::max(0, std::min(height - t.y, t.textureHeight));
  }
  *tiles = std::move(grid);
  return true;
}

int TextureTypeForRequest(const GraphCreateRequest& r) {
  if (r.compressedFormat >= 1 && r.compressedFormat <= 5) return 5 + r.compressedFormat;
  const int b = r.colorBits == 16 ? 0 : 1;
  if (!r.renderTarget) {
    if (r.alpha) return 2 + b;
    if (r.transColorUse) return 4 + b;
    return b;
  }
  if (r.alpha || r.transColorUse) return 13;
  return 11 + b;
}

}  // namespace veziv
