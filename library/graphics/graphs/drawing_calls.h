// The drawing calls: graphs and flat shapes put onto the current draw target.
// Each checks the draw state and its handle in one fixed order, brackets the
// draw with the mask screen, and hands the geometry to the software renderer
// through a thin adapter.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"

namespace veziv {

int RenderGraphAtPoint(int x, int y, int graph, int transparency);
int RenderGraphStretched(int x1, int y1, int x2, int y2, int graph, int transparency);
int RenderGraphStretchedF(float x1, float y1, float x2, float y2, int graph, int transparency);
int RenderGraphMirrored(int x, int y, int graph, int transparency);
int RenderGraphRotatedAtCentre(float x, float y, double scale, double angle, int graph, int transparency,
                               int turn);
int RenderGraphRotScaled(double x, double y, double cx, double cy, double scale, double angle, int graph,
                         int transparency, int turn);
int RenderGraphPart(int x, int y, int sx, int sy, int width, int height, int graph, int transparency, int turn);
int RenderGraphPartStretched(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh, int graph,
                             int transparency);
// Corner 1 gets the graph's top-left, 2 its top-right, 3 its bottom-left and 4
// its bottom-right.
int RenderGraphFreeQuad(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int graph,
                        int transparency);
int RenderGraphFreeQuadF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                         int graph, int transparency);
int DrawBoxShape(int x1, int y1, int x2, int y2, uint32_t colour, int fill);
int DrawBoxFilled(int x1, int y1, int x2, int y2, uint32_t colour);
int DrawBoxFrame(int x1, int y1, int x2, int y2, uint32_t colour);
int DrawCircleShape(int x, int y, int radius, uint32_t colour, int fill);
int DrawLineSegment(int x1, int y1, int x2, int y2, uint32_t colour, int thickness);

// A vertex of DrawVertexPolygon: position, texture coordinates and colour bytes.
struct PolygonVertex {
  float x, y, u, v;
  uint8_t b, g, r, a;
};
// A device vertex: pre-transformed position, colour word and texture coordinates.
struct DeviceVertex {
  float x, y, z, rhw;
  uint32_t colour;
  float u, v;
};
// Draws vertices through the Direct3D primitive back end; -1 without one.
int DrawVertexPolygon(const PolygonVertex* vertices, int count, int primitiveType, int graph, int flag,
                      int remapTexture);

namespace detail {
// The device vertices of a polygon under the current brightness and blend
// state (colour bytes scaled through the product table where the state tints).
void BuildPolygonDeviceVertices(const PolygonVertex* vertices, int count, DeviceVertex* out);
// The touched rectangle of the last drawing call that got as far as its back
// end (what the mask bracket covered).
DrawRect LastTouchedRect();
}  // namespace detail

}  // namespace veziv
