// The geometry of fields, mode names and candidate boxes (see the header).
#include "library/text_input/text_entry/text_entry_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "library/text_input/text_entry/text_entry_state.h"

namespace veziv::detail {

bool PlaceInDrawArea(const DrawRect& area, int lineHeight, int* x, int* y) {
  const int width = area.right - area.left;
  if (width <= 0) return false;
  *x = std::max(*x, area.left);
  *y = std::max(*y, area.top);
  if (*x > area.right) {
    const int64_t lines = (int64_t{*x} - area.right + width - 1) / width;
    *x = static_cast<int>(*x - lines * width);
    *y = static_cast<int>(std::min<int64_t>(*y + lines * lineHeight, INT32_MAX / 2));
  }
  return true;
}

int RoomInDrawArea(const DrawRect& area, int lineHeight, int x, int y) {
  const int lines = lineHeight > 0 ? (area.bottom - y) / lineHeight : 0;
  if (lines <= 0) return area.right - x;
  return (area.right - area.left) * (lines - 1) + (area.right - x);
}

int ScrollToCursor(const char* text, int length, int cursor, int firstShown, int room, const MeasureText& measure) {
  if (measure(text, length) + 4 < room) return 0;
  if (firstShown > cursor) firstShown = cursor;
  if (measure(text + firstShown, cursor - firstShown) <= room) return firstShown;
  firstShown = cursor;
  while (firstShown > 0) {
    const int previous = PreviousCharStart(text, firstShown);
    if (measure(text + previous, cursor - previous) > room) break;
    firstShown = previous;
  }
  return firstShown;
}

const char* ImeModeName(int m) {
  if (m < 0) return nullptr;
  if ((m & 11) == 11) return "全角カタカナ";
  if ((m & 3) == 3) return "半角カタカナ";
  if ((m & 9) == 9) return "全角ひらがな";
  if (m & 8) return "全角英数";
  return "半角英数";
}

void PlaceImeModeName(const DrawRect& area, int width, int size, int* x, int* y) {
  if (*x + width > area.right) *x = area.right - width;
  if (*y + size > area.bottom) *y = area.bottom - size - 2;
  *x = std::max(*x, area.left);
  *y = std::max(*y, area.top);
}

CandidateBoxLayout LayoutCandidateBox(const ImeCandidates& candidates, int perPage, int cursorX, int y, int size,
                                      const DrawRect& area, const MeasureText& measure) {
  CandidateBoxLayout l;
  const int count = static_cast<int>(candidates.texts.size());
  const int page = std::max(perPage, 1);
  const int selected = std::clamp(candidates.selected, 0, std::max(count - 1, 0));
  l.pageStart = selected / page * page;
  char line[1100];
  for (int i = l.pageStart; i < count && i < l.pageStart + page; ++i) {
    std::snprintf(line, sizeof line, "%d:%s", i - l.pageStart + 1, candidates.texts[static_cast<size_t>(i)].c_str());
    l.lines.push_back(line);
    l.indices.push_back(i);
  }
  std::snprintf(line, sizeof line, "%d/%d", selected + 1, count);
  l.countLine = line;

  int widest = 0;
  for (const std::string& s : l.lines) widest = std::max(widest, measure(s.c_str(), static_cast<int>(s.size())));
  const int countWidth = measure(l.countLine.c_str(), static_cast<int>(l.countLine.size()));
  widest = std::max(widest, countWidth);
  const int margin = size / 3;
  const int lines = static_cast<int>(l.lines.size());
  l.box = DrawRect{cursorX, y + size + size / 2, cursorX + widest + 2 * margin,
                   y + (lines + 2) * size + size / 2 + 2 * margin};
  const int height = l.box.bottom - l.box.top;
  if (l.box.bottom > area.bottom) {
    const int aboveTop = y - 2 * margin - (lines + 1) * size - size / 2;
    if (aboveTop < area.top) {
      const int overflow = l.box.bottom - area.bottom;
      l.box.top -= overflow;
      l.box.bottom -= overflow;
    } else {
      l.box.top = aboveTop;
      l.box.bottom = aboveTop + height;
    }
  }
  if (l.box.right > area.right) {
    const int overflow = l.box.right - area.right;
    l.box.left -= overflow;
    l.box.right -= overflow;
  }
  l.textX = l.box.left + margin;
  l.textY = l.box.top + margin;
  l.countX = l.textX + widest - countWidth;
  l.countY = l.textY + lines * size;
  return l;
}

}  // namespace veziv::detail
