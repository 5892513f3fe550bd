// The drawing calls: graphs and flat shapes put onto the current draw target.
// Each checks the draw state and its handle in one fixed order, brackets the
// draw with the mask screen (and, where the device needs it, the subtract
// emulation), and hands the geometry to the drawer of the road in use.
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
// Draws vertices as a primitive of their own on the device; -1 on the software road.
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
