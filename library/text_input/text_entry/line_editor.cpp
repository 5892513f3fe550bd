// The line editor that the pump runs over the active field: each character
// from the ring is an editing command (Backspace, Delete, the arrows, Home
// and End with or without Shift, copy, cut, paste, Enter, Escape) or a
// character to insert under the field's limit and filters. Also the
// character-boundary helpers of the text-entry files.
#include <algorithm>
#include <cstring>
#include <string>

#include "library/foundation/window/window_state.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "platform/input/input.h"

namespace veziv {
namespace {

using detail::IsLeadAt;
using detail::PreviousCharStart;

constexpr int kCopy = 3;
constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kEnter = 13;
constexpr int kPaste = 22;
constexpr int kCut = 24;
constexpr int kEscape = 27;
constexpr int kLeftShift = 42;
constexpr int kRightShift = 54;

// Read from the keyboard as it is now: the input module's own read waits
// while the window is inactive, and inside the pump that wait could not end.
bool ShiftHeld() {
  uint8_t keys[platform::input::kKeyCodeCount];
  platform::input::ReadKeyState(keys);
  return (keys[kLeftShift] & 0x80) != 0 || (keys[kRightShift] & 0x80) != 0;
}

bool HasSelection(const TextEntryHandleData& r) { return r.selectionAnchor != -1; }

void ClearSelection(TextEntryHandleData& r) {
  r.selectionAnchor = -1;
  r.selectionEnd = -1;
}

// The selected bytes' bounds, inside the text.
void SelectionBounds(const TextEntryHandleData& r, int* low, int* high) {
  *low = std::clamp(std::min(r.selectionAnchor, r.selectionEnd), 0, r.length);
  *high = std::clamp(std::max(r.selectionAnchor, r.selectionEnd), 0, r.length);
}

void CopySelection(const TextEntryHandleData& r) {
  int low = 0, high = 0;
  SelectionBounds(r, &low, &high);
  const std::string text(r.buffer + low, static_cast<size_t>(high - low));
  detail::TextEntryClipboard().write(text.c_str());
}

// Removes bytes [from, to), the zero moving with the tail.
void RemoveBytes(TextEntryHandleData& r, int from, int to) {
  std::memmove(r.buffer + from, r.buffer + to, static_cast<size_t>(r.length - to + 1));
  r.length -= to - from;
}

// The cursor to 0 (home) or to the end, selecting on the way with Shift.
void JumpTo(TextEntryHandleData& r, int target) {
  if (!ShiftHeld()) {
    ClearSelection(r);
  } else {
    if (!HasSelection(r)) r.selectionAnchor = r.cursor;
    r.selectionEnd = target;
  }
  r.cursor = target;
}

// One character to the right (step > 0) or the left, selecting with Shift.
void Step(TextEntryHandleData& r, int step) {
  if (!ShiftHeld()) {
    ClearSelection(r);
  } else {
    if (!HasSelection(r)) r.selectionAnchor = r.cursor;
    r.selectionEnd = r.cursor + step;
  }
  r.cursor += step;
}

// The size of the character at offset (a lead byte before the zero is one byte).
int CharSizeAt(const TextEntryHandleData& r, int offset) {
  return IsLeadAt(r.buffer + offset) && offset + 1 < r.length ? 2 : 1;
}

// The clipboard's text goes into the ring, to arrive as typed characters.
// Control bytes are left out: each would act as a command (a pasted 22 would
// paste again without end) or put a line break into the line. A character
// goes in whole or not at all.
void Paste() {
  std::string text;
  if (!detail::TextEntryClipboard().read(&text)) return;
  size_t i = 0;
  while (i < text.size()) {
    const bool lead = IsLeadAt(&text[i]);
    if (lead && i + 1 >= text.size()) break;
    const int size = lead ? 2 : 1;
    if (size == 1 && static_cast<unsigned char>(text[i]) < 0x20) {
      ++i;
      continue;
    }
    if (detail::CharRingRoom() < size) break;
    for (int k = 0; k < size; ++k) PushInputChar(static_cast<unsigned char>(text[i + static_cast<size_t>(k)]));
    i += static_cast<size_t>(size);
  }
}

bool Accepted(const TextEntryHandleData& r, const char* ch, int size) {
  // A character longer than the whole field could never fit.
  if (size > r.maxLength) return false;
  if (r.numbersOnly) {
    if (size != 1) return false;
    const char c = ch[0];
    if (c >= '0' && c <= '9') return true;
    if (c == '-') return r.cursor == 0;
    if (c == '.') return std::memchr(r.buffer, '.', static_cast<size_t>(r.length)) == nullptr;
    return false;
  }
  return !(r.singleByteOnly && size == 2);
}

void Insert(TextEntryHandleData& r, const char* ch, int size) {
  DeleteInputSelection(&r);
  if (!Accepted(r, ch, size)) return;
  // A full field gives up its last characters for the new one.
  while (r.length + size > r.maxLength) {
    const int last = PreviousCharStart(r.buffer, r.length);
    r.buffer[last] = '\0';
    r.length = last;
    if (r.cursor > r.length) r.cursor = r.length;
  }
  std::memmove(r.buffer + r.cursor + size, r.buffer + r.cursor, static_cast<size_t>(r.length - r.cursor + 1));
  std::memcpy(r.buffer + r.cursor, ch, static_cast<size_t>(size));
  r.cursor += size;
  r.length += size;
}

void Apply(TextEntryHandleData& r, const char* ch, int size) {
  if (size == 2) {
    Insert(r, ch, size);
    return;
  }
  const int c = static_cast<unsigned char>(ch[0]);
  switch (c) {
    case kCopy:
      if (HasSelection(r)) CopySelection(r);
      break;
    case kBackspace:
      if (HasSelection(r)) {
        DeleteInputSelection(&r);
      } else if (r.cursor > 0) {
        const int previous = PreviousCharStart(r.buffer, r.cursor);
        RemoveBytes(r, previous, r.cursor);
        r.cursor = previous;
      }
      break;
    case kTab:
    case kEditCodeUp:
    case kEditCodeDown:
    case kEditCodePageDown:
    case kEditCodePageUp:
      break;
    case kEnter:
      r.ended = 1;
      break;
    case kEditCodeDelete:
      if (HasSelection(r)) {
        if (ShiftHeld()) CopySelection(r);
        DeleteInputSelection(&r);
      } else if (r.cursor < r.length) {
        RemoveBytes(r, r.cursor, r.cursor + CharSizeAt(r, r.cursor));
      }
      break;
    case kPaste:
      Paste();
      break;
    case kCut:
      if (HasSelection(r)) {
        CopySelection(r);
        DeleteInputSelection(&r);
      }
      break;
    case kEditCodeEnd:
      JumpTo(r, r.length);
      break;
    case kEditCodeHome:
      JumpTo(r, 0);
      break;
    case kEscape:
      if (r.cancelAllowed) {
        r.cancelled = 1;
        r.ended = 1;
      }
      break;
    case kEditCodeRight:
      if (r.cursor < r.length) Step(r, CharSizeAt(r, r.cursor));
      break;
    case kEditCodeLeft:
      if (r.cursor > 0) Step(r, PreviousCharStart(r.buffer, r.cursor) - r.cursor);
      break;
    default:
      // A control byte with no editing meaning (Ctrl+A among them) is no text.
      if (c < 0x20) break;
      Insert(r, ch, 1);
      break;
  }
}

}  // namespace

namespace detail {

bool IsLeadAt(const char* p) { return IsDoubleByteLead(p, WindowState().charset_index) != 0; }

int PreviousCharStart(const char* text, int offset) {
  int i = 0;
  int previous = 0;
  while (i < offset && text[i] != '\0') {
    previous = i;
    i += IsLeadAt(text + i) && text[i + 1] != '\0' ? 2 : 1;
  }
  return previous;
}

}  // namespace detail

int UpdateTextEntry() {
  detail::TextEntryState& s = detail::TextEntry();
  if (s.active == -1) return 0;
  TextEntryHandleData* r = detail::TextEntryRecord(s.active);
  if (r == nullptr) return -1;
  while (!r->ended) {
    char ch[2];
    const int size = TakeInputChar(ch, 1);
    if (size == 0) return 0;
    Apply(*r, ch, size);
  }
  return 0;
}

int ByteOffsetOfChars(const char* text, int n) {
  int i = 0;
  for (int chars = 0; chars < n && text[i] != '\0'; ++chars) {
    i += detail::IsLeadAt(text + i) && text[i + 1] != '\0' ? 2 : 1;
  }
  return i;
}

int CharCountOfBytes(const char* text, int n) {
  int i = 0;
  int count = 0;
  while (i < n && text[i] != '\0') {
    ++count;
    i += detail::IsLeadAt(text + i) && text[i + 1] != '\0' ? 2 : 1;
  }
  return count;
}

int DeleteInputSelection(TextEntryHandleData* record) {
  if (record == nullptr || !HasSelection(*record)) return 0;
  int low = 0, high = 0;
  SelectionBounds(*record, &low, &high);
  RemoveBytes(*record, low, high);
  record->cursor = low;
  ClearSelection(*record);
  return 0;
}

}  // namespace veziv
