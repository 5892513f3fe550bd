// The quad split and its early-out box, in 64 bits so that corners near the
// ends of the int range widen without overflow.
#include "library/softrender/triangle/quad_split.h"

#include <algorithm>

namespace veziv::softrender {

void SplitQuad(const TriangleVertex* corners, QuadCornerOrder order, TriangleVertex* triangles) {
  static constexpr int kZ[6] = {0, 1, 2, 1, 2, 3};
  static constexpr int kOutline[6] = {0, 1, 2, 0, 2, 3};
  const int* pick = order == QuadCornerOrder::kZ ? kZ : kOutline;
  for (int i = 0; i < 6; ++i) triangles[i] = corners[pick[i]];
}

bool QuadBoxMeetsArea(const TriangleVertex* corners, const DrawRect& area) {
  int64_t left = corners[0].x, right = corners[0].x, top = corners[0].y, bottom = corners[0].y;
  for (int i = 1; i < 4; ++i) {
    left = std::min<int64_t>(left, corners[i].x);
    right = std::max<int64_t>(right, corners[i].x);
    top = std::min<int64_t>(top, corners[i].y);
    bottom = std::max<int64_t>(bottom, corners[i].y);
  }
  left -= 2;
  top -= 2;
  right += 4;
  bottom += 4;
  return left < area.right && right > area.left && top < area.bottom && bottom > area.top &&
         area.left < area.right && area.top < area.bottom;
}

}  // namespace veziv::softrender
