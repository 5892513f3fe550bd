// Test support: a grid that records, for each pixel of an area, how many spans
// covered it and the texel coordinates of its last visit, and prints itself as
// a mask so that coverage can be compared with a drawing in the test source.
#pragma once

#include <string>
#include <vector>

#include "library/softrender/triangle/triangle_walk.h"

namespace veziv::test {

struct SpanGrid {
  DrawRect area;
  std::vector<int> hits;
  std::vector<uint32_t> u, v;
  bool strayed = false;  // a span reached outside the area

  explicit SpanGrid(DrawRect a)
      : area(a),
        hits(Size()),
        u(Size()),
        v(Size()) {}

  size_t Size() const { return static_cast<size_t>(area.right - area.left) * (area.bottom - area.top); }
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y - area.top) * (area.right - area.left) + (x - area.left);
  }
  int At(int x, int y) const { return hits[Index(x, y)]; }

  void Add(const softrender::TriangleSpan& s) {
    if (s.count <= 0 || s.row < area.top || s.row >= area.bottom || s.first < area.left ||
        s.first + s.count > area.right) {
      strayed = true;
      return;
    }
    uint32_t su = s.u, sv = s.v;
    for (int i = 0; i < s.count; ++i, su += s.du, sv += s.dv) {
      const size_t k = Index(s.first + i, s.row);
      ++hits[k];
      u[k] = su;
      v[k] = sv;
    }
  }

  void Draw(const softrender::TriangleVertex* corners, bool textured = false) { Draw(corners, textured, area); }
  // Draws clipped to clip, which must lie inside the grid's area.
  void Draw(const softrender::TriangleVertex* corners, bool textured, const DrawRect& clip) {
    RasterizeTriangle(corners, textured, clip, [this](const softrender::TriangleSpan& s) { Add(s); });
  }

  // One line a row: '.' for no hit, else the hit count.
  std::string Mask() const {
    std::string out;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        const int h = At(x, y);
        out += h == 0 ? '.' : static_cast<char>('0' + (h > 9 ? 9 : h));
      }
      out += '\n';
    }
    return out;
  }
};

// Joins rows into the form Mask() prints.
inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string out;
  for (const char* r : rows) (out += r) += '\n';
  return out;
}

}  // namespace veziv::test
