// The software road's drawers: thin adapters from the drawing calls onto the
// software renderer, drawing into the draw target's image (the mask image
// while masked drawing is on) with the draw state's snapshot.
#include <algorithm>

#include "library/foundation/core/helpers.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/soft_renderer_calls.h"
#include "library/graphics/images/pixel_format.h"
#include "library/graphics/images/softsurface_raster.h"
#include "library/softrender/triangle/quad_split.h"

namespace veziv {
namespace {

using softrender::TriangleVertex;

// Runs a renderer call on the draw target's image with the state's snapshot.
template <typename Fn>
int OnTarget(Fn&& fn) {
  SOFTSURFACE* target = CurrentDrawTargetImage();
  if (!SoftSurfaceIsValid(target)) return 0;
  SoftDrawSnapshot draw;
  FillSoftDrawSnapshot(&draw);
  fn(target, draw);
  return 0;
}

int BlitGraphSoft(const GraphRecord* record, int x, int y, int transparency) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    if (SoftRenderer().blit) SoftRenderer().blit(target, &record->view, x, y, transparency, CurrentBlendImage(), draw);
  });
}

int BlitGraphScaledSoft(const GraphRecord* record, int x1, int y1, int x2, int y2, int transparency) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    const int32_t rect[4] = {x1, y1, x2, y2};
    if (SoftRenderer().blitScaled)
      SoftRenderer().blitScaled(target, &record->view, rect, transparency, CurrentBlendImage(), draw);
  });
}

// The centre is truncated to whole pixels; angle and scale go as floats.
int BlitGraphRotatedSoft(const GraphRecord* record, float x, float y, double scale, double angle, int transparency,
                         int turn) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    if (SoftRenderer().blitRotated)
      SoftRenderer().blitRotated(target, &record->view, TruncateFloatToInt(x), TruncateFloatToInt(y),
                                 static_cast<float>(angle), static_cast<float>(scale), transparency, turn,
                                 CurrentBlendImage(), draw);
  });
}

// A quad as two triangle fills over its four corners, split by their order.
void FillQuadSoft(SOFTSURFACE* target, const SOFTSURFACE* source, const TriangleVertex corners[4],
                  softrender::QuadCornerOrder order, int transparency, uint32_t colour,
                  const SoftDrawSnapshot& draw) {
  if (!SoftRenderer().fillTriangle) return;
  TriangleVertex triangles[6];
  softrender::SplitQuad(corners, order, triangles);
  SoftRenderer().fillTriangle(target, source, &triangles[0], transparency, CurrentBlendImage(), colour, draw);
  SoftRenderer().fillTriangle(target, source, &triangles[3], transparency, CurrentBlendImage(), colour, draw);
}

// Corners (x1, y1) to (x4, y4) take the graph's top-left, top-right,
// bottom-left and bottom-right.
int RenderGraphQuadSoft(const GraphRecord* record, const int c[8], int transparency) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    const int w = record->width, h = record->height;
    const TriangleVertex v[4] = {{c[0], c[1], 0, 0}, {c[2], c[3], w, 0}, {c[4], c[5], 0, h}, {c[6], c[7], w, h}};
    FillQuadSoft(target, &record->view, v, softrender::QuadCornerOrder::kZ, transparency, 0, draw);
  });
}

int RenderGraphQuadSoftF(const GraphRecord* record, const float f[8], int transparency) {
  int c[8];
  for (int i = 0; i < 8; ++i) c[i] = TruncateFloatToInt(f[i]);
  return RenderGraphQuadSoft(record, c, transparency);
}

int FillBoxSoft(int x1, int y1, int x2, int y2, uint32_t colour) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    const DrawRect rect{x1, y1, x2, y2};
    if (SoftRenderer().fillBox) SoftRenderer().fillBox(target, &rect, colour, draw);
  });
}

// The box's edge pixels x1..x2-1 and y1..y2-1 as four lines; the far edges
// are taken in 64 bits, so a box at the end of the coordinate range closes.
int SoftDrawBoxFrame(int x1, int y1, int x2, int y2, uint32_t colour) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    const int32_t p = GetBlendParam();
    const int32_t c = static_cast<int32_t>(colour);
    const int32_t r = static_cast<int32_t>(std::max<int64_t>(int64_t{x2} - 1, INT32_MIN));
    const int32_t b = static_cast<int32_t>(std::max<int64_t>(int64_t{y2} - 1, INT32_MIN));
    const int32_t lines[4 * 6] = {x1, y1, r, y1, c, p,  //
                                  r,  y1, r, b,  c, p,  //
                                  r,  b,  x1, b, c, p,  //
                                  x1, b,  x1, y1, c, p};
    if (SoftRenderer().lineList) SoftRenderer().lineList(target, lines, 4, draw);
  });
}

int CircleSoft(int x, int y, int radius, uint32_t colour, int fill) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    if (SoftRenderer().circle) SoftRenderer().circle(target, x, y, radius, colour, fill, draw);
  });
}

int LineSoft(int x1, int y1, int x2, int y2, uint32_t colour) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    if (SoftRenderer().line) SoftRenderer().line(target, x1, y1, x2, y2, colour, draw);
  });
}

// The thick line's quadrilateral, its corners truncated to whole pixels in
// outline order, as two flat-colour triangles split along a diagonal.
int SoftDrawThickLine(int x1, int y1, int x2, int y2, double px, double py, uint32_t colour) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    const TriangleVertex v[4] = {{TruncateDoubleToInt(x1 + px), TruncateDoubleToInt(y1 + py), 0, 0},
                                 {TruncateDoubleToInt(x2 + px), TruncateDoubleToInt(y2 + py), 0, 0},
                                 {TruncateDoubleToInt(x2 - px), TruncateDoubleToInt(y2 - py), 0, 0},
                                 {TruncateDoubleToInt(x1 - px), TruncateDoubleToInt(y1 - py), 0, 0}};
    FillQuadSoft(target, nullptr, v, softrender::QuadCornerOrder::kOutline, 0, colour, draw);
  });
}

// Vertex primitives belong to the device; the software road has none.
int PolygonSoft(const PolygonVertex*, int, int, const GraphRecord*, int, int) { return -1; }

int SoftImageSoft(const SOFTSURFACE* image, int, int, int x, int y, int transparency) {
  return OnTarget([&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    if (SoftRenderer().blit) SoftRenderer().blit(target, image, x, y, transparency, CurrentBlendImage(), draw);
  });
}

// Each call finds its target image itself: nothing to re-point.
void TargetChangedSoft() {}

int ClearTargetSoft() {
  SOFTSURFACE* image = CurrentDrawTargetImage();
  if (!SoftSurfaceIsValid(image)) return 0;
  const SoftSurfaceShared& b = *image->base;
  const PixelFormatDesc* format = SoftSurfacePixelFormat(b.type, b.alphaFlag, b.paletteFlag);
  SoftSurfaceFillRaw(image, nullptr, format ? FindColorCodeForImage(format, 0, 0, 0, 0) : 0);
  return 0;
}

// The renderer subtracts by itself.
bool NoSubtractBracket() { return false; }

void NothingBeforeTimedPresent() {}

constexpr Drawers kSoftwareDrawers = {
    "software",       BlitGraphSoft,      BlitGraphScaledSoft, BlitGraphRotatedSoft, RenderGraphQuadSoft,
    RenderGraphQuadSoftF, FillBoxSoft,   SoftDrawBoxFrame,    CircleSoft,           LineSoft,
    SoftDrawThickLine, PolygonSoft,      SoftImageSoft,       TargetChangedSoft,    ClearTargetSoft,
    NoSubtractBracket, NothingBeforeTimedPresent,
};

const Drawers*& Active() {
  static const Drawers* active = &kSoftwareDrawers;
  return active;
}

}  // namespace

const Drawers& ActiveDrawers() { return *Active(); }

namespace detail {

const Drawers& SoftwareDrawers() { return kSoftwareDrawers; }

void ChooseDrawers(bool device) { Active() = device ? &DeviceDrawers() : &kSoftwareDrawers; }

}  // namespace detail
}  // namespace veziv
