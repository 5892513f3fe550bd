// A line of text asked for in a loop of its own: the picture on screen is
// frozen, a text-entry field is drawn over it and presented every pass until
// Enter or Escape, and everything the call changed is put back.
// Stands on text entry, the pump, graphs, the draw state and screen capture.
#pragma once

namespace veziv {

// out holds at least maxLength + 1 bytes. 1: ended with Enter, the text is
// in out. 2: cancelled with Escape, out untouched. -1: the window went away
// (nothing is put back: the program is ending), the field became invalid,
// or no field could be made.
int InputStringModalCore(int x, int y, int maxLength, char* out, int cancelAllowed, int singleByteOnly,
                         int numbersOnly);
// InputStringModalCore for any character.
int InputStringModal(int x, int y, int maxLength, char* out, int cancelAllowed);

}  // namespace veziv
