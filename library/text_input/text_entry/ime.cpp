// The input method: the composition the window hands over, drawn by the
// library at the field's cursor with its clauses, cursor and (when one is
// held) a paged candidate box; switching it on and off; the mode name. The
// input method's own candidate window is placed at the composition's cursor.
#include <algorithm>
#include <cstring>

#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/text_drawing.h"
#include "library/text_input/text_entry/ime.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_layout.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "platform/window/text_input.h"

namespace veziv {
namespace {

using detail::ImeState;
using detail::Rgb;
using detail::TextEntry;

uint32_t Pack(const Rgb& c) { return PackColorForScreen(c.r, c.g, c.b); }

ImeState& Ime() { return TextEntry().ime; }

int Measure(const char* text, int bytes, int font) {
  if (bytes <= 0) return 0;
  return std::max(0, MeasureTextWithFont(text, bytes, font, 0));
}

void ForgetComposition(ImeState& ime) {
  ime.composition[0] = '\0';
  ime.composing = 0;
  ime.cursor = 0;
  ime.clauseCount = 0;
}

// Fills the clause that starts at the cursor when there are several clauses.
void DrawConvertedClause(const ImeState& ime, int x, int y, int size, int font, int cursorBytes) {
  if (ime.clauseCount == 2) return;
  for (int k = 0; k + 1 < ime.clauseCount; ++k) {
    if (ime.clauses[k] != cursorBytes) continue;
    const int from = ime.clauses[k];
    const int left = x + Measure(ime.composition, from, font);
    const int width = Measure(ime.composition + from, ime.clauses[k + 1] - from, font);
    DrawBoxFilled(left, y, left + width, y + size, Pack(TextEntry().colours.convertedClause));
    return;
  }
}

// An underline under each clause, inset at both ends so that clauses stay apart.
void DrawClauseUnderlines(const ImeState& ime, int x, int y, int size, int font) {
  const int d = size / 10;
  const uint32_t colour = Pack(TextEntry().colours.clauseUnderline);
  int left = x;
  int previous = 0;
  for (int k = 0; k < ime.clauseCount; ++k) {
    const int width = Measure(ime.composition + previous, ime.clauses[k] - previous, font);
    if (width > 4 * d) DrawBoxFilled(left + 2 * d, y + size + d, left + width - 2 * d, y + size + 2 * d, colour);
    left += width;
    previous = ime.clauses[k];
  }
}

void DrawCandidateBox(const ImeState& ime, int perPage, int cursorX, int y, int size, int font) {
  const detail::TextEntryColours& c = TextEntry().colours;
  const detail::CandidateBoxLayout l = detail::LayoutCandidateBox(
      ime.candidates, perPage, cursorX, y, size, GetDrawArea(),
      [font](const char* text, int bytes) { return Measure(text, bytes, font); });
  DrawBoxFilled(l.box.left, l.box.top, l.box.right, l.box.bottom, Pack(c.candidateBox));
  DrawBoxFrame(l.box.left, l.box.top, l.box.right, l.box.bottom, Pack(c.candidateFrame));
  for (size_t i = 0; i < l.lines.size(); ++i) {
    const bool selected = l.indices[i] == ime.candidates.selected;
    DrawTextWithFont(l.textX, l.textY + static_cast<int>(i) * size, l.lines[i].c_str(),
                     Pack(selected ? c.selectedCandidate : c.candidateText), font, Pack(c.candidateEdge), 0);
  }
  DrawTextWithFont(l.countX, l.countY, l.countLine.c_str(), Pack(c.candidateText), font, Pack(c.candidateEdge), 0);
}

}  // namespace

int FetchImeCandidateList(const char* composition, int cursor, int selected) {
  ImeState& ime = Ime();
  if (composition == nullptr) composition = "";
  // Whole characters only, and room kept for the zero.
  int n = 0;
  while (composition[n] != '\0') {
    const int step = detail::IsLeadAt(composition + n) && composition[n + 1] != '\0' ? 2 : 1;
    if (n + step > detail::kImeCompositionBytes - 1) break;
    n += step;
  }
  std::memcpy(ime.composition, composition, static_cast<size_t>(n));
  ime.composition[n] = '\0';
  ime.composing = n > 0 ? 1 : 0;
  const int characters = CharCountOfBytes(ime.composition, n);
  ime.cursor = std::clamp(cursor, 0, characters);
  // The part being converted is a clause of its own; the text before and
  // after it are one clause each (the input method tells no other bounds).
  const int from = ByteOffsetOfChars(ime.composition, ime.cursor);
  const int to = ByteOffsetOfChars(ime.composition, std::clamp(ime.cursor + std::max(selected, 0), 0, characters));
  ime.clauseCount = 0;
  if (n == 0) return 0;
  ime.clauses[ime.clauseCount++] = 0;
  if (to > from) {
    for (const int bound : {from, to}) {
      if (bound > ime.clauses[ime.clauseCount - 1] && bound < n) ime.clauses[ime.clauseCount++] = bound;
    }
  }
  ime.clauses[ime.clauseCount++] = n;
  return 0;
}

int EnableIme(int on) {
  ImeState& ime = Ime();
  on = on != 0 ? 1 : 0;
  if (on == ime.enabled) return 0;
  platform::window::SetTextInputOn(on != 0);
  ime.enabled = on;
  ime.open = on;
  if (!on) {
    ime.candidates = detail::ImeCandidates{};
    ForgetComposition(ime);
  }
  return 0;
}

int DescribeImeMode(char* out) {
  const ImeState& ime = Ime();
  if (!ime.open) return -1;
  const char* name = detail::ImeModeName(ime.conversionMode);
  if (name == nullptr || out == nullptr) return -1;
  std::strcpy(out, name);
  return 0;
}

int RenderImeModeName(int x, int y) {
  char name[64];
  if (DescribeImeMode(name) != 0) return 0;
  const int size = GetDefaultFontSize();
  const int font = GetLibraryDefaultFont();
  if (size <= 0) return 0;
  const int width = Measure(name, static_cast<int>(std::strlen(name)), font);
  detail::PlaceImeModeName(GetDrawArea(), width, size, &x, &y);
  const detail::TextEntryColours& c = TextEntry().colours;
  DrawTextWithFont(x, y, name, Pack(c.modeName), font, Pack(c.modeNameEdge), 0);
  return 0;
}

int DrawImeComposition(int x, int y, int perPage) {
  const ImeState& ime = Ime();
  if (!ime.enabled || !ime.open) return -1;
  const int size = GetDefaultFontSize();
  const int font = GetLibraryDefaultFont();
  if (size <= 0) return 0;
  const int lineHeight = size + 3 * (size / 10);
  const DrawRect area = GetDrawArea();
  x = std::max(x, area.left);
  y = std::max(y, area.top);
  const int cursorBytes = ByteOffsetOfChars(ime.composition, ime.cursor);
  const int cursorX = x + Measure(ime.composition, cursorBytes, font);
  // The input method's own candidate window opens under the cursor, also for
  // the first character of a composition.
  platform::window::SetTextInputArea(cursorX, y, 2, size);
  const int length = static_cast<int>(std::strlen(ime.composition));
  if (length == 0) return 0;

  const int wanted = GetHardwareRenderingWanted();
  SetHardwareRenderingWanted(0);
  const detail::TextEntryColours& c = TextEntry().colours;
  DrawInputSelection(x, y, x + Measure(ime.composition, length, font), y + size, lineHeight, Pack(c.compositionBox), 1);
  DrawConvertedClause(ime, x, y, size, font, cursorBytes);
  RenderTextEntryLine(x, y, lineHeight, ime.composition, Pack(c.compositionText), Pack(c.compositionEdge), font, 0, 0,
                      0, -1, -1);
  const bool hasCandidates = !ime.candidates.texts.empty();
  if (!hasCandidates) DrawBoxFilled(cursorX, y, cursorX + 2, y + size, Pack(c.compositionCursor));
  DrawClauseUnderlines(ime, x, y, size, font);
  if (hasCandidates) DrawCandidateBox(ime, perPage, cursorX, y, size, font);
  SetHardwareRenderingWanted(wanted);
  return 0;
}

}  // namespace veziv
