// The text-entry block that the text-entry files share: the character ring,
// the handle table, the active field, the colours of fields and
// compositions, the input method's state and the clipboard calls. Internal
// to the library.
#pragma once

#include <string>
#include <vector>

#include "library/foundation/core/handles.h"
#include "library/text_input/text_entry/text_entry.h"

namespace veziv::detail {

inline constexpr int kCharRingBytes = 1025;  // 1024 pending at most
inline constexpr int kTextEntrySlots = kKeyInputHandleSlots;
inline constexpr int kImeCompositionBytes = 1024;  // with its zero
inline constexpr int kImeMaxClauses = 256;

struct CharRing {
  unsigned char bytes[kCharRingBytes] = {};
  int read = 0;
  int write = 0;
};

struct Rgb {
  int r, g, b;
};

// Kept as red, green and blue and packed when drawn, so that they follow the
// screen's format.
struct TextEntryColours {
  Rgb text{255, 255, 255};
  Rgb textEdge{0, 0, 0};
  Rgb selectedText{0, 0, 0};
  Rgb selectedEdge{128, 128, 128};
  Rgb selectionBox{255, 255, 255};
  Rgb cursor{255, 255, 255};
  Rgb modeName{255, 255, 20};
  Rgb modeNameEdge{0, 0, 0};
  // The composition.
  Rgb compositionBox{255, 255, 0};
  Rgb compositionText{0, 0, 0};
  Rgb compositionEdge{255, 255, 0};
  Rgb convertedClause{255, 0, 0};
  Rgb compositionCursor{0, 255, 255};
  Rgb clauseUnderline{255, 255, 255};
  Rgb candidateBox{0, 0, 0};
  Rgb candidateFrame{255, 255, 0};
  Rgb candidateText{255, 255, 255};
  Rgb candidateEdge{0, 0, 0};
  Rgb selectedCandidate{255, 0, 0};
};

// A candidate list as an input method gives it: the candidates and the
// selected one's index.
struct ImeCandidates {
  std::vector<std::string> texts;
  int selected = 0;
};

// Unknown conversion mode: the input method tells none.
inline constexpr int kImeModeUnknown = -1;

struct ImeState {
  int enabled = 0;  // typed text and compositions are on for the window
  int open = 0;     // the same as enabled here
  int composing = 0;
  char composition[kImeCompositionBytes] = {};
  int cursor = 0;  // in characters
  // Byte offsets: the first is 0, each further one ends a clause.
  int clauses[kImeMaxClauses] = {};
  int clauseCount = 0;
  ImeCandidates candidates;  // empty: none held
  int conversionMode = kImeModeUnknown;
};

struct ClipboardHooks {
  // The clipboard's text; false when there is none.
  bool (*read)(std::string* text);
  void (*write)(const char* text);
};

using TextEntryTable = FirstFreeHandleTable<TextEntryHandleData, kKeyInputHandleKind, kTextEntrySlots,
                                            NewDeleteRecords<TextEntryHandleData>, SlotStorage::kInline>;

struct TextEntryState {
  CharRing ring;
  TextEntryTable table;
  int active = -1;
  TextEntryColours colours;
  ImeState ime;
};

TextEntryState& TextEntry();
// Frees every field's buffer and puts the block back to its start.
void ResetTextEntryState();
// The clipboard the editor copies to and pastes from: the window's, unless a
// test puts its own in.
ClipboardHooks& TextEntryClipboard();
ClipboardHooks WindowClipboard();

// The bytes the ring can still take.
int CharRingRoom();
bool CharRingHasRoom();
// The record of a live handle, or null.
TextEntryHandleData* TextEntryRecord(int handle);
// 1 when the byte at p starts a double-byte character.
bool IsLeadAt(const char* p);
// The start of the character before offset in text (walked from the start,
// so that a trail byte that looks like a lead byte misleads nothing).
int PreviousCharStart(const char* text, int offset);

}  // namespace veziv::detail
