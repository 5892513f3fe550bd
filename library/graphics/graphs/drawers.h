// The two roads of the drawing calls behind one table of drawers, chosen once
// at graphics start as the window's drivers are: the software road's
// adapters onto the renderer, which draw into the draw target's image, or
// the hardware road's back end, which draws through the device. The drawing
// calls check, place and bracket; a drawer only draws, with the draw state as
// it stands.
#pragma once

#include <cstdint>

#include "library/softrender/surface/softsurface.h"

namespace veziv {

struct GraphRecord;
struct PolygonVertex;

struct Drawers {
  const char* name;
  // The whole graph with its top-left corner at (x, y).
  int (*graph)(const GraphRecord* record, int x, int y, int transparency);
  // Stretched into (x1, y1)-(x2, y2); a reversed pair mirrors it.
  int (*graphStretched)(const GraphRecord* record, int x1, int y1, int x2, int y2, int transparency);
  // Its centre on (x, y), scaled and turned; turn mirrors it.
  int (*graphTurned)(const GraphRecord* record, float x, float y, double scale, double angle, int transparency,
                     int turn);
  // On the quadrilateral whose corners take its top-left, top-right,
  // bottom-left and bottom-right.
  int (*freeQuad)(const GraphRecord* record, const int corners[8], int transparency);
  int (*freeQuadF)(const GraphRecord* record, const float corners[8], int transparency);
  int (*fillBox)(int x1, int y1, int x2, int y2, uint32_t colour);
  int (*boxFrame)(int x1, int y1, int x2, int y2, uint32_t colour);
  int (*circle)(int x, int y, int radius, uint32_t colour, int fill);
  int (*line)(int x1, int y1, int x2, int y2, uint32_t colour);
  // A thick line from (x1, y1) to (x2, y2): the quadrilateral its ends make
  // when moved by (px, py) to either side.
  int (*thickLine)(int x1, int y1, int x2, int y2, double px, double py, uint32_t colour);
  // Vertices as a primitive of their own; -1 on a road that has none.
  int (*polygon)(const PolygonVertex* vertices, int count, int primitiveType, const GraphRecord* record, int flag,
                 int remapTexture);
  // A software image's top-left width x height at (x, y), as the blend state
  // says (a string drawn through a work image).
  int (*softImage)(const SOFTSURFACE* image, int width, int height, int x, int y, int transparency);
  // The draw target changed, or masked drawing went on or off.
  void (*targetChanged)();
  // Fills the draw target with the background colour.
  int (*clearTarget)();
  // True when subtract blending needs the inverting bracket around a draw.
  bool (*needsSubtractBracket)();
  // The draw target that shows itself is about to be shown by its timer.
  void (*beforeTimedPresent)();
};

// The drawers in use: the software road's until graphics start chooses.
const Drawers& ActiveDrawers();

namespace detail {
const Drawers& SoftwareDrawers();
const Drawers& DeviceDrawers();
// Graphics start: the device's drawers while a device exists, else the
// software road's.
void ChooseDrawers(bool device);
}  // namespace detail

}  // namespace veziv
