// The drawing calls: graphs and flat shapes put onto the current draw target.
// Each checks the draw state and its handle in one fixed order, brackets the
// draw with the mask screen, and hands the geometry to the software renderer
// through a thin adapter.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"
#include "library/veziv.h"

namespace veziv {

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
