// The input method: its composition drawn by the library under the active
// field (the composition line, its clause underlines and cursor, and a paged
// candidate box when a candidate list is held), the input method switched on
// and off with the fields, and the conversion mode's name.
// On this system the input method gives the composition, its cursor and the
// part being converted (from the cursor on): that part is the clause under
// conversion, and the text before and after it are a clause each. No other
// clause boundaries, no candidate list, no conversion mode and no open status
// arrive, and the composition cannot be handed back to the input method, so
// there is no reopen on activation; the input method shows its own candidate
// window, which the library places at the composition's cursor.
#pragma once

namespace veziv {

// The window hands over the composition (CP932, empty when it ended), its
// cursor in characters and how many characters from the cursor on are being
// converted (0: none). Keeps at most 1023 bytes, cut on a character
// boundary. 0.
int FetchImeCandidateList(const char* composition, int cursor, int selected = 0);
// Draws the composition at (x, y) with perPage candidates a page. 0 (also
// with nothing to draw); -1 when the input method is off.
int DrawImeComposition(int x, int y, int perPage);
// 1 switches the input method (and typed text) on for the window, 0 off;
// switching off forgets the composition and the candidates. 0.
int EnableIme(int on);
// Copies the conversion mode's name. 0, or -1 when the input method is off
// or tells no mode.
int DescribeImeMode(char* out);
// Draws the mode name at (x, y), kept inside the draw area; nothing without
// one. 0.
int RenderImeModeName(int x, int y);

}  // namespace veziv
