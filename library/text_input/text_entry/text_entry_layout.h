// The geometry of drawn fields and compositions, apart from the drawing:
// where a field starts in the draw area and how much room it has, its
// scroll, the mode name's place and the candidate box's page, lines and
// place. Each takes its text widths from a measure call, so that tests can
// use fixed widths. Internal to the library.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "library/foundation/core/rect_matrix.h"

namespace veziv::detail {

struct ImeCandidates;

// The width of the first bytes bytes of text.
using MeasureText = std::function<int(const char* text, int bytes)>;

// Where a field or a wrapped box starts inside the draw area: no further left
// or up than the area, and moved one line down and left by the area's width
// while it starts beyond the right edge. False for an area of no width, in
// which nothing can be placed.
bool PlaceInDrawArea(const DrawRect& area, int lineHeight, int* x, int* y);
// The width a field starting at (x, y) has before it leaves the area's
// bottom: the rest of its first line and every whole line below it.
int RoomInDrawArea(const DrawRect& area, int lineHeight, int x, int y);
// The first shown byte that keeps the cursor in view within room pixels.
int ScrollToCursor(const char* text, int length, int cursor, int firstShown, int room, const MeasureText& measure);

// The name of an input method's conversion mode bits, or null for an unknown mode.
const char* ImeModeName(int conversionMode);
// The mode name of that width, in a font of that size, kept inside the area.
void PlaceImeModeName(const DrawRect& area, int width, int size, int* x, int* y);

// The candidate box under a composition whose cursor is at (cursorX, y).
struct CandidateBoxLayout {
  int pageStart = 0;
  std::vector<std::string> lines;  // "n:candidate", n from 1 within the page
  std::vector<int> indices;        // each line's candidate
  std::string countLine;           // "selected/count", counted from 1
  DrawRect box{};
  int textX = 0;  // the first line's place; the lines follow size apart
  int textY = 0;
  int countX = 0;  // right-aligned to the widest line, below the candidates
  int countY = 0;
};
CandidateBoxLayout LayoutCandidateBox(const ImeCandidates& candidates, int perPage, int cursorX, int y, int size,
                                      const DrawRect& area, const MeasureText& measure);

}  // namespace veziv::detail
