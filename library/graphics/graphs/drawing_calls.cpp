// Drawing calls: the common order of checks, the touched rectangles, the mask
// bracket and the software adapters onto the renderer.
#include "library/graphics/graphs/drawing_calls.h"

#include <algorithm>
#include <cmath>

#include "library/foundation/core/helpers.h"
#include "library/foundation/memory_log/memory.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/graphs/soft_renderer_calls.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/softrender/blend/blend_tables.h"
#include "library/softrender/triangle/quad_split.h"

namespace veziv {
namespace {

using softrender::TriangleVertex;

struct DrawingCallState {
  DrawRect lastTouched{};
};

DrawingCallState& State() {
  static DrawingCallState state;
  return state;
}

DrawRect Ordered(int x1, int y1, int x2, int y2) {
  return DrawRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

void WaitUnlessActive() {
  const detail::GraphicsCallSites& calls = detail::GraphicsCalls();
  if (!calls.window_is_active()) calls.wait_while_window_inactive();
}

// Steps 2 to 5 of a graph call: 1 go on (record set), 0 or -1 the call's result.
int CheckGraphCall(int graph, GraphRecord** record) {
  if (IsDrawingSuppressed() || IsDrawAreaEmpty()) return 0;
  *record = GetGraphRecord(graph);
  if (!*record) return -1;
  if (GetBlendGraph() != -1 && CheckBlendGraphFits(*record) != 0) return -1;
  WaitUnlessActive();
  return 1;
}

// Steps 2 and 5 of a shape call: true to go on.
bool CheckShapeCall() {
  if (IsDrawingSuppressed() || IsDrawAreaEmpty()) return false;
  WaitUnlessActive();
  return true;
}

// Steps 7 to 11: movie frame, mask bracket, software back end.
template <typename BackEnd>
int RunDraw(const GraphRecord* record, const DrawRect& touched, BackEnd&& backEnd) {
  if (record && record->movie != -1) detail::GraphicsCalls().advance_movie_frame(record->movie);
  State().lastTouched = touched;
  const bool masked = IsMaskedDrawActive() != 0;
  if (masked) BeginMaskedDraw(touched.left, touched.top, touched.right, touched.bottom);
  SOFTSURFACE* target = CurrentDrawTargetImage();
  SoftDrawSnapshot draw;
  FillSoftDrawSnapshot(&draw);
  // The touched rectangle grown by a pixel: shapes may reach their far edge.
  const DrawRect around{touched.left - 1, touched.top - 1, touched.right + 1, touched.bottom + 1};
  detail::BeginSoftwareDrawOnScreen(around);
  if (SoftSurfaceIsValid(target)) backEnd(target, draw);
  detail::EndSoftwareDrawOnScreen(around);
  if (masked) EndMaskedDraw(touched.left, touched.top, touched.right, touched.bottom);
  // A graph drawn into shows the change on the hardware road at its next draw.
  if (GraphRecord* drawn = GetGraphRecord(GetCurrentDrawTarget()); drawn && drawn->drawInfo)
    drawn->drawInfo->texturesStale = 1;
  return 0;
}

// The hardware road for a draw to the back screen: true when it drew. Masked
// drawing stays on the software road.
template <typename Gpu>
bool DrawOnDevice(const GraphRecord* record, const DrawRect& touched, Gpu&& gpu) {
  if (!detail::GpuDrawsToScreen() || IsMaskedDrawActive()) return false;
  if (record && record->movie != -1) detail::GraphicsCalls().advance_movie_frame(record->movie);
  State().lastTouched = touched;
  gpu();
  return true;
}

// The software adapters.
void BlitGraphSoft(SOFTSURFACE* target, const GraphRecord* record, int x, int y, int transparency,
                   const SoftDrawSnapshot& draw) {
  if (SoftRenderer().blit) SoftRenderer().blit(target, &record->view, x, y, transparency, CurrentBlendImage(), draw);
}

void BlitGraphScaledSoft(SOFTSURFACE* target, const GraphRecord* record, const int32_t rect[4], int transparency,
                         const SoftDrawSnapshot& draw) {
  if (SoftRenderer().blitScaled)
    SoftRenderer().blitScaled(target, &record->view, rect, transparency, CurrentBlendImage(), draw);
}

void BlitGraphRotatedSoft(SOFTSURFACE* target, const GraphRecord* record, int cx, int cy, double angle,
                          double scale, int transparency, int turn, const SoftDrawSnapshot& draw) {
  if (SoftRenderer().blitRotated)
    SoftRenderer().blitRotated(target, &record->view, cx, cy, static_cast<float>(angle), static_cast<float>(scale),
                               transparency, turn, CurrentBlendImage(), draw);
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
void RenderGraphQuadSoft(SOFTSURFACE* target, const GraphRecord* record, const int c[8], int transparency,
                         const SoftDrawSnapshot& draw) {
  const int w = record->width, h = record->height;
  const TriangleVertex v[4] = {{c[0], c[1], 0, 0}, {c[2], c[3], w, 0}, {c[4], c[5], 0, h}, {c[6], c[7], w, h}};
  FillQuadSoft(target, &record->view, v, softrender::QuadCornerOrder::kZ, transparency, 0, draw);
}

void TruncateCorners(const float f[8], int c[8]) {
  for (int i = 0; i < 8; ++i) c[i] = TruncateFloatToInt(f[i]);
}

void RenderGraphQuadSoftF(SOFTSURFACE* target, const GraphRecord* record, const float f[8], int transparency,
                          const SoftDrawSnapshot& draw) {
  int c[8];
  TruncateCorners(f, c);
  RenderGraphQuadSoft(target, record, c, transparency, draw);
}

void FillBoxSoft(SOFTSURFACE* target, int x1, int y1, int x2, int y2, uint32_t colour,
                 const SoftDrawSnapshot& draw) {
  const DrawRect rect{x1, y1, x2, y2};
  if (SoftRenderer().fillBox) SoftRenderer().fillBox(target, &rect, colour, draw);
}

// The box's edge pixels x1..x2-1 and y1..y2-1 as four lines.
void SoftDrawBoxFrame(SOFTSURFACE* target, int x1, int y1, int x2, int y2, uint32_t colour,
                      const SoftDrawSnapshot& draw) {
  const int32_t p = GetBlendParam();
  const int32_t c = static_cast<int32_t>(colour);
  const int32_t lines[4 * 6] = {x1,     y1,     x2 - 1, y1,     c, p,  //
                                x2 - 1, y1,     x2 - 1, y2 - 1, c, p,  //
                                x2 - 1, y2 - 1, x1,     y2 - 1, c, p,  //
                                x1,     y2 - 1, x1,     y1,     c, p};
  if (SoftRenderer().lineList) SoftRenderer().lineList(target, lines, 4, draw);
}

// The thick line's quadrilateral, its corners in outline order, as two
// flat-colour triangles split along a diagonal.
void SoftDrawThickLine(SOFTSURFACE* target, const int outline[4][2], uint32_t colour, const SoftDrawSnapshot& draw) {
  TriangleVertex v[4];
  for (int i = 0; i < 4; ++i) v[i] = TriangleVertex{outline[i][0], outline[i][1], 0, 0};
  FillQuadSoft(target, nullptr, v, softrender::QuadCornerOrder::kOutline, 0, colour, draw);
}

// A free quad's call with its corners' bounds as the touched rectangle; the
// adapter draws it.
template <typename Adapter>
int FreeQuad(const int c[8], int graph, Adapter&& adapter) {
  GraphRecord* record = nullptr;
  const int gate = CheckGraphCall(graph, &record);
  if (gate <= 0) return gate;
  DrawRect touched{0xFFFFFF, 0xFFFFFF, 0, 0};
  for (int i = 0; i < 4; ++i) {
    touched.left = std::min(touched.left, c[2 * i]);
    touched.top = std::min(touched.top, c[2 * i + 1]);
    touched.right = std::max(touched.right, c[2 * i]);
    touched.bottom = std::max(touched.bottom, c[2 * i + 1]);
  }
  return RunDraw(record, touched,
                 [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) { adapter(target, record, draw); });
}

}  // namespace

int RenderGraphAtPoint(int x, int y, int graph, int transparency) {
  if (!detail::Screen().started) return -1;
  GraphRecord* record = nullptr;
  const int gate = CheckGraphCall(graph, &record);
  if (gate <= 0) return gate;
  const DrawRect touched{x, y, x + record->width, y + record->height};
  if (DrawOnDevice(record, touched, [&] {
        RenderGraphD3D(record, x, y, static_cast<float>(x), static_cast<float>(y), transparency, 1);
      }))
    return 0;
  return RunDraw(record, touched, [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    BlitGraphSoft(target, record, x, y, transparency, draw);
  });
}

int RenderGraphStretched(int x1, int y1, int x2, int y2, int graph, int transparency) {
  GraphRecord* record = nullptr;
  const int gate = CheckGraphCall(graph, &record);
  if (gate <= 0) return gate;
  if (DrawOnDevice(record, Ordered(x1, y1, x2, y2), [&] {
        RenderGraphStretchedD3D(x1, y1, x2, y2, static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                                static_cast<float>(y2), record, transparency, 0);
      }))
    return 0;
  return RunDraw(record, Ordered(x1, y1, x2, y2), [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    const int32_t rect[4] = {x1, y1, x2, y2};
    BlitGraphScaledSoft(target, record, rect, transparency, draw);
  });
}

int RenderGraphStretchedF(float x1, float y1, float x2, float y2, int graph, int transparency) {
  return RenderGraphStretched(TruncateFloatToInt(x1), TruncateFloatToInt(y1), TruncateFloatToInt(x2),
                              TruncateFloatToInt(y2), graph, transparency);
}

int RenderGraphMirrored(int x, int y, int graph, int transparency) {
  const GraphRecord* record = GetGraphRecord(graph);
  const int w = record ? record->width : 0, h = record ? record->height : 0;
  return RenderGraphStretched(x + w, y, x, y + h, graph, transparency);
}

int RenderGraphRotatedAtCentre(float x, float y, double scale, double angle, int graph, int transparency,
                               int turn) {
  GraphRecord* record = nullptr;
  const int gate = CheckGraphCall(graph, &record);
  if (gate <= 0) return gate;
  const int cx = TruncateFloatToInt(x), cy = TruncateFloatToInt(y);
  const int w = record->width, h = record->height;
  const int xs[2] = {-(w / 2), w - w / 2};
  const int ys[2] = {-(h / 2), h - h / 2};
  const double s = std::sin(angle), c = std::cos(angle);
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  for (int i = 0; i < 4; ++i) {
    const double px = xs[i & 1] * scale, py = ys[i >> 1] * scale;
    const double rx = px * c - py * s + cx, ry = px * s + py * c + cy;
    if (i == 0 || rx < minX) minX = rx;
    if (i == 0 || ry < minY) minY = ry;
    if (i == 0 || rx > maxX) maxX = rx;
    if (i == 0 || ry > maxY) maxY = ry;
  }
  const DrawRect touched{TruncateDoubleToInt(minX) - 5, TruncateDoubleToInt(minY) - 5,
                         TruncateDoubleToInt(maxX) + 5, TruncateDoubleToInt(maxY) + 5};
  if (DrawOnDevice(record, touched, [&] { RenderGraphRotatedD3D(record, x, y, scale, angle, transparency, turn); }))
    return 0;
  return RunDraw(record, touched, [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    BlitGraphRotatedSoft(target, record, cx, cy, angle, scale, transparency, turn, draw);
  });
}

int RenderGraphRotScaled(double x, double y, double cx, double cy, double scale, double angle, int graph,
                         int transparency, int turn) {
  const GraphRecord* record = GetGraphRecord(graph);
  const int w = record ? record->width : 0, h = record ? record->height : 0;
  if (angle != 0.0) {
    const double ox = (static_cast<float>(w) / 2.0f - cx) * scale;
    const double oy = (static_cast<float>(h) / 2.0f - cy) * scale;
    float s = 0.0f, c = 0.0f;
    SinCosFloat(static_cast<float>(angle), &s, &c);
    return RenderGraphRotatedAtCentre(static_cast<float>(x + c * ox - s * oy), static_cast<float>(y + c * oy + s * ox),
                                      scale, angle, graph, transparency, turn);
  }
  if (scale != 1.0) {
    double x1 = x - cx * scale, y1 = y - cy * scale;
    double x2 = x1 + w * scale, y2 = y1 + h * scale;
    if (turn) std::swap(x1, x2);
    return RenderGraphStretchedF(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                                 static_cast<float>(y2), graph, transparency);
  }
  const int px = TruncateDoubleToInt(x - cx), py = TruncateDoubleToInt(y - cy);
  return turn ? RenderGraphMirrored(px, py, graph, transparency) : RenderGraphAtPoint(px, py, graph, transparency);
}

int RenderGraphPart(int x, int y, int sx, int sy, int width, int height, int graph, int transparency, int turn) {
  const DrawRect kept = GetDrawArea();
  DrawRect narrowed{x, y, x + width, y + height};
  ClipRectToRect(&narrowed, &kept);
  SetDrawAreaDirect(narrowed);
  int result;
  if (turn) {
    const GraphRecord* record = GetGraphRecord(graph);
    const int gw = record ? record->width : 0;
    result = RenderGraphMirrored(x - gw + sx + width, y - sy, graph, transparency);
  } else {
    result = RenderGraphAtPoint(x - sx, y - sy, graph, transparency);
  }
  SetDrawAreaDirect(kept);
  return result;
}

int RenderGraphPartStretched(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh, int graph,
                             int transparency) {
  const bool mirrorX = x1 > x2, mirrorY = y1 > y2;
  const DrawRect dest = Ordered(x1, y1, x2, y2);
  const DrawRect kept = GetDrawArea();
  DrawRect narrowed = dest;
  ClipRectToRect(&narrowed, &kept);
  SetDrawAreaDirect(narrowed);
  const GraphRecord* record = GetGraphRecord(graph);
  const int gw = record ? record->width : 0, gh = record ? record->height : 0;
  int result = 0;
  if (sw != 0 && sh != 0) {
    const double fx = double(dest.right - dest.left) / sw, fy = double(dest.bottom - dest.top) / sh;
    // The edges of the whole graph so that the source rectangle covers the destination.
    auto edges = [](int low, int high, bool mirror, int s, int g, double f, int* e1, int* e2) {
      const int before = TruncateDoubleToInt(s * f), after = TruncateDoubleToInt((g - s) * f);
      *e1 = mirror ? high + before : low - before;
      *e2 = mirror ? high - after : low + after;
    };
    int ex1, ex2, ey1, ey2;
    edges(dest.left, dest.right, mirrorX, sx, gw, fx, &ex1, &ex2);
    edges(dest.top, dest.bottom, mirrorY, sy, gh, fy, &ey1, &ey2);
    result = RenderGraphStretched(ex1, ey1, ex2, ey2, graph, transparency);
  } else if (!record) {
    result = -1;
  }
  SetDrawAreaDirect(kept);
  return result;
}

int RenderGraphFreeQuad(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int graph,
                        int transparency) {
  const int c[8] = {x1, y1, x2, y2, x3, y3, x4, y4};
  return FreeQuad(c, graph, [&](SOFTSURFACE* target, const GraphRecord* record, const SoftDrawSnapshot& draw) {
    RenderGraphQuadSoft(target, record, c, transparency, draw);
  });
}

int RenderGraphFreeQuadF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                         int graph, int transparency) {
  const float f[8] = {x1, y1, x2, y2, x3, y3, x4, y4};
  int c[8];
  TruncateCorners(f, c);
  return FreeQuad(c, graph, [&](SOFTSURFACE* target, const GraphRecord* record, const SoftDrawSnapshot& draw) {
    RenderGraphQuadSoftF(target, record, f, transparency, draw);
  });
}

int DrawBoxShape(int x1, int y1, int x2, int y2, uint32_t colour, int fill) {
  return fill ? DrawBoxFilled(x1, y1, x2, y2, colour) : DrawBoxFrame(x1, y1, x2, y2, colour);
}

int DrawBoxFilled(int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!CheckShapeCall()) return 0;
  if (DrawOnDevice(nullptr, Ordered(x1, y1, x2, y2), [&] { DrawFilledBoxD3D(x1, y1, x2, y2, colour); })) return 0;
  return RunDraw(nullptr, Ordered(x1, y1, x2, y2), [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    FillBoxSoft(target, x1, y1, x2, y2, colour, draw);
  });
}

int DrawBoxFrame(int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!CheckShapeCall()) return 0;
  if (DrawOnDevice(nullptr, Ordered(x1, y1, x2, y2), [&] { DrawBoxFrameD3D(x1, y1, x2, y2, colour); })) return 0;
  return RunDraw(nullptr, Ordered(x1, y1, x2, y2), [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    SoftDrawBoxFrame(target, x1, y1, x2, y2, colour, draw);
  });
}

int DrawCircleShape(int x, int y, int radius, uint32_t colour, int fill) {
  if (radius < 0) return 0;
  if (!CheckShapeCall()) return 0;
  const DrawRect touched{x - radius - 1, y - radius - 1, x + radius + 1, y + radius + 1};
  if (DrawOnDevice(nullptr, touched, [&] { DrawCircleD3D(x, y, radius, colour, fill); })) return 0;
  return RunDraw(nullptr, touched, [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    if (SoftRenderer().circle) SoftRenderer().circle(target, x, y, radius, colour, fill, draw);
  });
}

int DrawLineSegment(int x1, int y1, int x2, int y2, uint32_t colour, int thickness) {
  if (!CheckShapeCall()) return 0;
  if (thickness <= 1) {
    DrawRect touched = Ordered(x1, y1, x2, y2);
    ++touched.right;
    ++touched.bottom;
    if (DrawOnDevice(nullptr, touched, [&] { DrawLineD3D(x1, y1, x2, y2, colour); })) return 0;
    return RunDraw(nullptr, touched, [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
      if (SoftRenderer().line) SoftRenderer().line(target, x1, y1, x2, y2, colour, draw);
    });
  }
  const double dx = double(x2) - x1, dy = double(y2) - y1;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0) return 0;  // no direction: nothing to widen
  const double px = dy * (thickness / 2.0) / length, py = -dx * (thickness / 2.0) / length;
  // Outline order: along one side, then back along the other.
  const int outline[4][2] = {{TruncateDoubleToInt(x1 + px), TruncateDoubleToInt(y1 + py)},
                             {TruncateDoubleToInt(x2 + px), TruncateDoubleToInt(y2 + py)},
                             {TruncateDoubleToInt(x2 - px), TruncateDoubleToInt(y2 - py)},
                             {TruncateDoubleToInt(x1 - px), TruncateDoubleToInt(y1 - py)}};
  // The corners' bounds widened by 1 on every side, as a vertex polygon takes
  // them: the thin line's rectangle would leave most of the body outside the
  // mask bracket, and masked drawing would lose it.
  DrawRect touched{outline[0][0], outline[0][1], outline[0][0], outline[0][1]};
  for (const auto& p : outline) {
    touched.left = std::min(touched.left, p[0] - 1);
    touched.top = std::min(touched.top, p[1] - 1);
    touched.right = std::max(touched.right, p[0] + 1);
    touched.bottom = std::max(touched.bottom, p[1] + 1);
  }
  return RunDraw(nullptr, touched, [&](SOFTSURFACE* target, const SoftDrawSnapshot& draw) {
    SoftDrawThickLine(target, outline, colour, draw);
  });
}

int DrawVertexPolygon(const PolygonVertex* vertices, int count, int, int graph, int, int) {
  if (!vertices || count <= 0) return 0;
  WaitUnlessActive();
  const GraphRecord* record = GetGraphRecord(graph);
  if (record && record->movie != -1) detail::GraphicsCalls().advance_movie_frame(record->movie);
  auto* device = static_cast<DeviceVertex*>(AllocLibMemory(sizeof(DeviceVertex) * size_t(count)));
  if (!device) return -1;
  detail::BuildPolygonDeviceVertices(vertices, count, device);
  FreeLibMemory(device);
  return -1;  // the Direct3D primitive back end: no device in the software form
}

namespace detail {

void BuildPolygonDeviceVertices(const PolygonVertex* vertices, int count, DeviceVertex* out) {
  SoftDrawSnapshot draw;
  FillSoftDrawSnapshot(&draw);
  const int mode = GetBlendMode(), param = GetBlendParam();
  const uint32_t br = draw.drawBrightness >> 16 & 0xFF, bg = draw.drawBrightness >> 8 & 0xFF, bb = draw.drawBrightness & 0xFF;
  const bool tint = br < 255 || bg < 255 || bb < 255 || (mode != 0 && param != 255);
  const auto& product = GetBlendTables().ProductTable;
  for (int i = 0; i < count; ++i) {
    const PolygonVertex& v = vertices[i];
    uint32_t r = v.r, g = v.g, b = v.b, a = v.a;
    if (tint) {
      r = product[br][r];
      g = product[bg][g];
      b = product[bb][b];
      if (mode != 0) a = product[param][a];
    }
    out[i] = DeviceVertex{v.x, v.y, 0.0f, 1.0f, a << 24 | r << 16 | g << 8 | b, v.u, v.v};
  }
}

DrawRect LastTouchedRect() { return State().lastTouched; }

}  // namespace detail
}  // namespace veziv
