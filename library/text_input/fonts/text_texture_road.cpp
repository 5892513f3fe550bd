// The texture road: each glyph drawn from the font's cache graphs with the
// ordinary graph calls, the edge cell first in the edge colour, then the body
// cell in the text colour; across, stretched, or turned a quarter for text
// that runs down.
#include "library/foundation/core/helpers.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/text_roads.h"

namespace veziv::detail {
namespace {

constexpr double kQuarterTurn = 1.5707963267948966;

struct CellSource {
  int x, y, width, height;
};

CellSource SourceOf(const FontHandleData& font, const FontGlyphCell& cell) {
  int x = 0, y = 0;
  CellPositionOf(font, cell.cellIndex, &x, &y);
  return CellSource{x, y, cell.width, cell.height};
}

// Edge graph first in the edge's brightness, then the body in the text's.
template <typename DrawOne>
void DrawEdgeThenBody(const FontHandleData& font, const TextColours& colours, DrawOne&& draw) {
  if ((font.type & 1) != 0 && font.edgeGraph != -1) {
    SetDrawColorScalePacked(colours.edgeWord & 0xFFFFFFu);
    draw(font.edgeGraph);
  }
  SetDrawColorScalePacked(colours.textWord & 0xFFFFFFu);
  draw(font.bodyGraph);
}

int FloorHalf(int v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

// Turned a quarter clockwise: the source's top-left lands on the box's
// top-right, its top-right on the bottom-right, its bottom-right on the
// bottom-left. Unscaled, the cell's graph is turned whole by the rotated blit
// about the box's centre, which lands each pixel exactly (a quad fill samples
// a reversed axis one pixel off); scaled, it is stretched over the box.
void DrawTurned(const DrawRect& box, const CellSource& cell, int graph, bool scaled) {
  const int drawn = MakeSubGraph(cell.x, cell.y, cell.width, cell.height, graph);
  if (drawn == -1) return;
  if (!scaled) {
    const int cx = FloorHalf(box.left + box.right - 1), cy = FloorHalf(box.top + box.bottom);
    RenderGraphRotatedAtCentre(float(cx), float(cy), 1.0, kQuarterTurn, drawn, 1, 0);
  } else {
    const float l = float(box.left), t = float(box.top), r = float(box.right), b = float(box.bottom);
    // Corners in the order top-left, top-right, bottom-left, bottom-right of the source.
    RenderGraphFreeQuadF(r, t, r, b, l, t, l, b, drawn, 1);
  }
  FreeGraphHandle(drawn, 0);
}

}  // namespace

void DrawGlyphFromGraphs(const FontHandleData& font, const FontGlyphCell& cell, const GlyphSpot& spot,
                         bool scaleFlag, double scaleX, double scaleY, const TextColours& colours) {
  const CellSource source = SourceOf(font, cell);
  if (!spot.vertical) {
    if (!scaleFlag) {
      const DrawRect box = GlyphBox(font, cell, spot);
      DrawEdgeThenBody(font, colours, [&](int graph) {
        RenderGraphPart(box.left, box.top, source.x, source.y, source.width, source.height, graph, 1, 0);
      });
      return;
    }
    const int left = spot.x + TruncateDoubleToInt(cell.xOffset * scaleX + spot.pen);
    const int top = spot.y + TruncateDoubleToInt(cell.yOffset * scaleY);
    const int right = left + TruncateDoubleToInt(cell.width * scaleX);
    const int bottom = top + TruncateDoubleToInt(cell.height * scaleY);
    DrawEdgeThenBody(font, colours, [&](int graph) {
      RenderGraphPartStretched(left, top, right, bottom, source.x, source.y, source.width, source.height, graph, 1);
    });
    return;
  }

  DrawRect box;
  if (!scaleFlag) {
    box = GlyphBox(font, cell, spot);
  } else {
    box.right = spot.x + TruncateDoubleToInt((font.glyphHeight - cell.yOffset) * scaleX);
    box.left = box.right - TruncateDoubleToInt(cell.height * scaleX);
    box.top = spot.y + TruncateDoubleToInt(spot.pen + cell.xOffset * scaleY);
    box.bottom = box.top + TruncateDoubleToInt(cell.width * scaleY);
  }
  const DrawRect kept = GetDrawArea();
  DrawRect narrowed{box.left - 1, box.top, box.right + 1, box.bottom};
  ClipRectToRect(&narrowed, &kept);
  SetDrawAreaDirect(narrowed);
  DrawEdgeThenBody(font, colours, [&](int graph) { DrawTurned(box, source, graph, scaleFlag); });
  SetDrawAreaDirect(kept);
}

}  // namespace veziv::detail
