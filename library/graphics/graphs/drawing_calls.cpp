// Drawing calls: the common order of checks, the touched rectangles, the
// movie frame, the mask bracket and the subtract bracket, then the drawer of
// the road in use. Every coordinate a program passes is taken: sums and
// margins are worked in 64 bits and held to the int range.
#include "library/graphics/graphs/drawing_calls.h"

#include <algorithm>
#include <cmath>

#include "library/foundation/core/helpers.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/softrender/blend/blend_tables.h"

namespace veziv {
namespace {

struct DrawingCallState {
  DrawRect lastTouched{};
};

DrawingCallState& State() {
  static DrawingCallState state;
  return state;
}

int Held(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

DrawRect HeldRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return DrawRect{Held(left), Held(top), Held(right), Held(bottom)};
}

DrawRect Ordered(int x1, int y1, int x2, int y2) {
  return DrawRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

void WaitUnlessActive() {
  const detail::GraphicsHooks& calls = detail::GraphicsCalls();
  if (!calls.window_is_active()) calls.wait_while_window_inactive();
}

// The checks of a graph call: 1 go on (record set), 0 or -1 the call's result.
int CheckGraphCall(int graph, GraphRecord** record) {
  if (IsDrawingSuppressed() || IsDrawAreaEmpty()) return 0;
  *record = GetGraphRecord(graph);
  if (!*record) return -1;
  if (GetBlendGraph() != -1 && CheckBlendGraphFits(*record) != 0) return -1;
  WaitUnlessActive();
  return 1;
}

// The checks of a shape call: true to go on.
bool CheckShapeCall() {
  if (IsDrawingSuppressed() || IsDrawAreaEmpty()) return false;
  WaitUnlessActive();
  return true;
}

// The movie frame, the mask bracket and the subtract bracket around a drawer.
template <typename Draw>
int RunDraw(const GraphRecord* record, const DrawRect& touched, Draw&& draw) {
  if (record && record->movie != -1) detail::GraphicsCalls().advance_movie_frame(record->movie);
  State().lastTouched = touched;
  const bool masked = IsMaskedDrawActive() != 0;
  if (masked) BeginMaskedDraw(touched.left, touched.top, touched.right, touched.bottom);
  const bool subtract = GetBlendMode() == 3 && ActiveDrawers().needsSubtractBracket();
  if (subtract) BeginSubtractEmulation(touched);
  const int result = draw(ActiveDrawers());
  if (subtract) EndSubtractEmulation(touched);
  if (masked) EndMaskedDraw(touched.left, touched.top, touched.right, touched.bottom);
  return result;
}

// A free quad's call with its corners' bounds as the touched rectangle.
template <typename Draw>
int FreeQuad(const int c[8], int graph, Draw&& draw) {
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
  return RunDraw(record, touched, [&](const Drawers& d) { return draw(d, record); });
}

void TruncateCorners(const float f[8], int c[8]) {
  for (int i = 0; i < 8; ++i) c[i] = TruncateFloatToInt(f[i]);
}

}  // namespace

int RenderGraphAtPoint(int x, int y, int graph, int transparency) {
  if (!detail::Screen().started) return -1;
  GraphRecord* record = nullptr;
  const int gate = CheckGraphCall(graph, &record);
  if (gate <= 0) return gate;
  const DrawRect touched = HeldRect(x, y, int64_t{x} + record->width, int64_t{y} + record->height);
  return RunDraw(record, touched, [&](const Drawers& d) { return d.graph(record, x, y, transparency); });
}

int RenderGraphStretched(int x1, int y1, int x2, int y2, int graph, int transparency) {
  GraphRecord* record = nullptr;
  const int gate = CheckGraphCall(graph, &record);
  if (gate <= 0) return gate;
  return RunDraw(record, Ordered(x1, y1, x2, y2),
                 [&](const Drawers& d) { return d.graphStretched(record, x1, y1, x2, y2, transparency); });
}

int RenderGraphStretchedF(float x1, float y1, float x2, float y2, int graph, int transparency) {
  return RenderGraphStretched(TruncateFloatToInt(x1), TruncateFloatToInt(y1), TruncateFloatToInt(x2),
                              TruncateFloatToInt(y2), graph, transparency);
}

int RenderGraphMirrored(int x, int y, int graph, int transparency) {
  const GraphRecord* record = GetGraphRecord(graph);
  const int w = record ? record->width : 0, h = record ? record->height : 0;
  return RenderGraphStretched(Held(int64_t{x} + w), y, x, Held(int64_t{y} + h), graph, transparency);
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
  const DrawRect touched = HeldRect(int64_t{TruncateDoubleToInt(minX)} - 5, int64_t{TruncateDoubleToInt(minY)} - 5,
                                    int64_t{TruncateDoubleToInt(maxX)} + 5, int64_t{TruncateDoubleToInt(maxY)} + 5);
  return RunDraw(record, touched,
                 [&](const Drawers& d) { return d.graphTurned(record, x, y, scale, angle, transparency, turn); });
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
  DrawRect narrowed = HeldRect(x, y, int64_t{x} + width, int64_t{y} + height);
  ClipRectToRect(&narrowed, &kept);
  SetDrawAreaDirect(narrowed);
  int result;
  if (turn) {
    const GraphRecord* record = GetGraphRecord(graph);
    const int gw = record ? record->width : 0;
    result = RenderGraphMirrored(Held(int64_t{x} - gw + sx + width), Held(int64_t{y} - sy), graph, transparency);
  } else {
    result = RenderGraphAtPoint(Held(int64_t{x} - sx), Held(int64_t{y} - sy), graph, transparency);
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
    const double fx = (double(dest.right) - dest.left) / sw, fy = (double(dest.bottom) - dest.top) / sh;
    // The edges of the whole graph so that the source rectangle covers the destination.
    auto edges = [](int low, int high, bool mirror, int s, int g, double f, int* e1, int* e2) {
      const int64_t before = TruncateDoubleToInt(s * f), after = TruncateDoubleToInt((double(g) - s) * f);
      *e1 = Held(mirror ? high + before : low - before);
      *e2 = Held(mirror ? high - after : low + after);
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
  return FreeQuad(c, graph, [&](const Drawers& d, const GraphRecord* record) { return d.freeQuad(record, c, transparency); });
}

int RenderGraphFreeQuadF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                         int graph, int transparency) {
  const float f[8] = {x1, y1, x2, y2, x3, y3, x4, y4};
  int c[8];
  TruncateCorners(f, c);
  return FreeQuad(c, graph, [&](const Drawers& d, const GraphRecord* record) { return d.freeQuadF(record, f, transparency); });
}

int DrawBoxShape(int x1, int y1, int x2, int y2, uint32_t colour, int fill) {
  return fill ? DrawBoxFilled(x1, y1, x2, y2, colour) : DrawBoxFrame(x1, y1, x2, y2, colour);
}

int DrawBoxFilled(int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!CheckShapeCall()) return 0;
  return RunDraw(nullptr, Ordered(x1, y1, x2, y2), [&](const Drawers& d) { return d.fillBox(x1, y1, x2, y2, colour); });
}

int DrawBoxFrame(int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!CheckShapeCall()) return 0;
  return RunDraw(nullptr, Ordered(x1, y1, x2, y2), [&](const Drawers& d) { return d.boxFrame(x1, y1, x2, y2, colour); });
}

int DrawCircleShape(int x, int y, int radius, uint32_t colour, int fill) {
  if (radius < 0) return 0;
  if (!CheckShapeCall()) return 0;
  const int64_t reach = int64_t{radius} + 1;
  const DrawRect touched = HeldRect(x - reach, y - reach, x + reach, y + reach);
  return RunDraw(nullptr, touched, [&](const Drawers& d) { return d.circle(x, y, radius, colour, fill); });
}

int DrawLineSegment(int x1, int y1, int x2, int y2, uint32_t colour, int thickness) {
  if (!CheckShapeCall()) return 0;
  if (thickness <= 1) {
    const DrawRect ordered = Ordered(x1, y1, x2, y2);
    const DrawRect touched = HeldRect(ordered.left, ordered.top, int64_t{ordered.right} + 1, int64_t{ordered.bottom} + 1);
    return RunDraw(nullptr, touched, [&](const Drawers& d) { return d.line(x1, y1, x2, y2, colour); });
  }
  const double dx = double(x2) - x1, dy = double(y2) - y1;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0) return 0;  // no direction: nothing to widen
  const double px = dy * (thickness / 2.0) / length, py = -dx * (thickness / 2.0) / length;
  // The corners' bounds widened by 1 on every side, as a vertex polygon takes
  // them: the thin line's rectangle would leave most of the body outside the
  // mask bracket, and masked drawing would lose it.
  const double xs[4] = {x1 + px, x2 + px, x2 - px, x1 - px}, ys[4] = {y1 + py, y2 + py, y2 - py, y1 - py};
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  for (int i = 0; i < 4; ++i) {
    const int64_t cx = TruncateDoubleToInt(xs[i]), cy = TruncateDoubleToInt(ys[i]);
    left = std::min(left, cx - 1), top = std::min(top, cy - 1);
    right = std::max(right, cx + 1), bottom = std::max(bottom, cy + 1);
  }
  return RunDraw(nullptr, HeldRect(left, top, right, bottom),
                 [&](const Drawers& d) { return d.thickLine(x1, y1, x2, y2, px, py, colour); });
}

int DrawVertexPolygon(const PolygonVertex* vertices, int count, int primitiveType, int graph, int flag,
                      int remapTexture) {
  if (!vertices || count <= 0) return 0;
  if (IsDrawingSuppressed() || IsDrawAreaEmpty()) return 0;
  WaitUnlessActive();
  const GraphRecord* record = GetGraphRecord(graph);
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  for (int i = 0; i < count; ++i) {
    const int64_t x = TruncateFloatToInt(vertices[i].x), y = TruncateFloatToInt(vertices[i].y);
    left = std::min(left, x - 1), top = std::min(top, y - 1);
    right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
  }
  return RunDraw(record, HeldRect(left, top, right, bottom), [&](const Drawers& d) {
    return d.polygon(vertices, count, primitiveType, record, flag, remapTexture);
  });
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
