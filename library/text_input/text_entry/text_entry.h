// Text entry: the character ring that the window fills with typed bytes and
// editing control codes, the 256 text-entry handles with the line editor
// that the pump runs over the active one, and the drawing of a field with
// its scroll, wrap, selection and cursor. Texts are CP932; lengths and
// positions are in bytes and fall on character boundaries.
// Stands on the foundation (handles, memory, log, pump, clipboard, window
// state), graphics (draw area, colours, boxes) and the fonts (the default
// font, measuring and drawing strings).
#pragma once

#include <cstdint>

#include "library/veziv.h"

namespace veziv {

// Editing control codes, as the window puts editing keys into the ring.
inline constexpr int kEditCodeDelete = 0x10;
inline constexpr int kEditCodeLeft = 0x1D;
inline constexpr int kEditCodeRight = 0x1C;
inline constexpr int kEditCodeUp = 0x1E;
inline constexpr int kEditCodeDown = 0x1F;
inline constexpr int kEditCodeHome = 0x1A;
inline constexpr int kEditCodeEnd = 0x19;
inline constexpr int kEditCodePageUp = 0x17;
inline constexpr int kEditCodePageDown = 0x15;

// One text-entry record. Its slot's use and check word are the handle
// table's.
struct TextEntryHandleData {
  int32_t ended;      // set by Enter, or with cancelled by Escape
  int32_t cancelled;
  int32_t length;     // bytes
  int32_t maxLength;  // bytes
  int32_t selectionAnchor;  // -1 and -1: no selection; the bytes between the two are selected
  int32_t selectionEnd;
  int32_t firstShown;  // the first byte drawn (the scroll)
  int32_t cursor;
  char* buffer;  // maxLength + 1 bytes, zero-terminated
  int32_t cancelAllowed;
  int32_t singleByteOnly;
  int32_t numbersOnly;  // digits, a minus sign at the start, one decimal point
};

// Clears the ring, every record and the input method's state and sets the
// fields' colours and font. 0. Run at library start.
int InitCharInputBuffer();

// 0, or -1 when the ring is full (the byte is dropped).
int PushInputChar(int byte);
// out receives the character's bytes (two, the second 0 for a single byte).
// take 0 only looks. The character's byte count, or 0 when none is ready (a
// lead byte waits for its trail byte).
int TakeInputChar(char* out, int take);
// Empties the ring, pumping between bytes. 0.
int DrainCharInputBuffer();
// 1 for an editing control code, else 0.
int IsEditKey(int byte);


// The byte offset after the first n characters, stopping at the zero.
int ByteOffsetOfChars(const char* text, int n);
// The number of characters that start in the first n bytes, stopping at the zero.
int CharCountOfBytes(const char* text, int n);
// Removes the selected bytes and the selection; the cursor goes to where they
// began. Nothing without a selection.
int DeleteInputSelection(TextEntryHandleData* record);

// Draws the text at (x, y) wrapped inside the draw area, lines lineHeight
// apart; with a selection (anchor not -1) character by character, the
// selected ones on a box. 0.
int RenderTextEntryLine(int x, int y, int lineHeight, const char* text, uint32_t colour, uint32_t edgeColour,
                        int font, uint32_t selectionBoxColour, uint32_t selectedColour, uint32_t selectedEdgeColour,
                        int selectionAnchor, int selectionEnd);
// Draws the box, wrapped inside the draw area like a line of text. 0.
int DrawInputSelection(int left, int top, int right, int bottom, int lineHeight, uint32_t colour, int filled);

namespace detail {
// Puts text entry into the library's start, the window's character and
// composition hand-over and the pump. The program calls it before
// InitLibrary; tests call it after resetting those tables.
void RegisterTextEntryWithLibrary();
}  // namespace detail

}  // namespace veziv
