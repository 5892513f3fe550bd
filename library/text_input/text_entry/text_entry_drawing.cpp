// Drawing a text-entry field: placed inside the draw area, scrolled so that
// the cursor stays in view and wrapped from the area's right edge to the
// next line, with its selection on boxes, its cursor, and the input method's
// composition at the cursor.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/text_drawing.h"
#include "library/text_input/text_entry/ime.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_layout.h"
#include "library/text_input/text_entry/text_entry_state.h"

namespace veziv {
namespace {

using detail::IsLeadAt;
using detail::Rgb;

uint32_t Pack(const Rgb& c) { return PackColorForScreen(c.r, c.g, c.b); }

int AreaWidth(const DrawRect& area) { return area.right - area.left; }

int Measure(const char* text, int bytes, int font) {
  if (bytes <= 0) return 0;
  return std::max(0, MeasureTextWithFont(text, bytes, font, 0));
}

}  // namespace

int RenderTextEntryLine(int x, int y, int lineHeight, const char* text, uint32_t colour, uint32_t edgeColour,
                        int font, uint32_t selectionBoxColour, uint32_t selectedColour, uint32_t selectedEdgeColour,
                        int selectionAnchor, int selectionEnd) {
  const DrawRect area = GetDrawArea();
  if (text == nullptr || !detail::PlaceInDrawArea(area, lineHeight, &x, &y)) return 0;
  const int width = AreaWidth(area);
  if (selectionAnchor == -1) {
    // The part hidden beyond the right edge is drawn again from the left edge
    // one line lower, until none is hidden.
    const int total = Measure(text, static_cast<int>(std::strlen(text)), font);
    DrawTextWithFont(x, y, text, colour, font, edgeColour, 0);
    while (x + total > area.right && y < area.bottom) {
      x -= width;
      y += lineHeight;
      DrawTextWithFont(x, y, text, colour, font, edgeColour, 0);
    }
    return 0;
  }
  const int low = std::min(selectionAnchor, selectionEnd);
  const int high = std::max(selectionAnchor, selectionEnd);
  const int size = GetFontHandleSize(font);
  int i = 0;
  while (text[i] != '\0' && y < area.bottom) {
    const int n = IsLeadAt(text + i) && text[i + 1] != '\0' ? 2 : 1;
    const char ch[3] = {text[i], n == 2 ? text[i + 1] : '\0', '\0'};
    const int advance = Measure(ch, n, font);
    if (i >= low && i < high) {
      DrawBoxFilled(x, y, x + advance, y + size, selectionBoxColour);
      DrawTextWithFont(x, y, ch, selectedColour, font, selectedEdgeColour, 0);
    } else {
      DrawTextWithFont(x, y, ch, colour, font, edgeColour, 0);
    }
    if (x + advance <= area.right) {
      x += advance;
      i += n;
    } else {
      // Cut at the edge: drawn again on the next line, the halves joining.
      x -= width;
      y += lineHeight;
    }
  }
  return 0;
}

int DrawInputSelection(int left, int top, int right, int bottom, int lineHeight, uint32_t colour, int filled) {
  const DrawRect area = GetDrawArea();
  const int width = right - left;
  const int height = bottom - top;
  int x = left, y = top;
  if (!detail::PlaceInDrawArea(area, lineHeight, &x, &y)) return 0;
  DrawBoxShape(x, y, x + width, y + height, colour, filled);
  while (x + width > area.right && y < area.bottom) {
    x -= AreaWidth(area);
    y += lineHeight;
    DrawBoxShape(x, y, x + width, y + height, colour, filled);
  }
  return 0;
}

int DrawTextEntryHandle(int x, int y, int handle) {
  detail::TextEntryState& s = detail::TextEntry();
  TextEntryHandleData* r = detail::TextEntryRecord(handle);
  if (r == nullptr || r->ended) return -1;
  const int size = GetDefaultFontSize();
  const int font = GetLibraryDefaultFont();
  if (size <= 0) return 0;
  const int lineHeight = size + 3 * (size / 10);
  const DrawRect area = GetDrawArea();
  if (!detail::PlaceInDrawArea(area, lineHeight, &x, &y)) return 0;
  const int wanted = GetHardwareRenderingWanted();
  SetHardwareRenderingWanted(0);

  const int room = detail::RoomInDrawArea(area, lineHeight, x, y);
  r->firstShown = detail::ScrollToCursor(r->buffer, r->length, r->cursor, r->firstShown, room,
                                         [font](const char* text, int bytes) { return Measure(text, bytes, font); });
  const int cursorX = x + Measure(r->buffer + r->firstShown, r->cursor - r->firstShown, font);
  const bool active = s.active == handle;
  const detail::TextEntryColours& c = s.colours;
  if (active) DrawInputSelection(cursorX, y, cursorX + 2, y + size, lineHeight, Pack(c.cursor), 1);
  // Bytes before the first shown one are not drawn; their part of the
  // selection starts the drawn line.
  int anchor = -1, end = -1;
  if (r->selectionAnchor != -1) {
    anchor = std::max(r->selectionAnchor - r->firstShown, 0);
    end = std::max(r->selectionEnd - r->firstShown, 0);
  }
  RenderTextEntryLine(x, y, lineHeight, r->buffer + r->firstShown, Pack(c.text), Pack(c.textEdge), font,
                      Pack(c.selectionBox), Pack(c.selectedText), Pack(c.selectedEdge), anchor, end);
  if (active) DrawImeComposition(cursorX, y, 5);
  SetHardwareRenderingWanted(wanted);
  return 0;
}

}  // namespace veziv
