// The keyboard configuration screen (mode 13) and the pad configuration
// screen (mode 6): both players' bindings in two columns, a row chosen and
// then the new key or button pressed.
#pragma once

#include <cstdint>

#include "game/core/input.h"
#include "game/core/screen.h"

namespace game {

// The action of a binding row (1 to 9 in either column: rows 11 to 19 are
// player 2's), -1 for the other rows.
int rowAction(int row);
// The help text of a row 1 to 20 (one table for both columns).
const char* rowHelpText(int row);

// The keyboard screen's row under a point (1 to 21), 0 for none.
int keyScreenRowAt(int x, int y);
// The pad screen's row under a point (1 to 22) with that many pads attached.
int padScreenRowAt(int x, int y, int pads);

// The keyboard screen's cursor after one frame's navigation, once
// moveMenuCursor has moved it for both players. sound: a cursor sound is due.
int keyScreenNavigation(int row, const inputRecord& p1, const inputRecord& p2, bool& sound);
// The same on the pad screen with that many pads; cancel: the cancel sound follows.
int padScreenNavigation(int row, const inputRecord& p1, const inputRecord& p2, int pads, bool& sound,
                        bool& cancel);

// What a key press does to a capture.
enum class KeyCaptureResult {
  kSwapped,  // exchanged with another action of the same player
  kCrossed,  // taken from the other player, who gets the old key
  kTaken,    // the captured action has the key now
  kRefused,  // a key without a name: nothing changes
};
// Applies a candidate key to record's running capture (assigning 0 to 8)
// and ends the capture.
KeyCaptureResult applyKeyCapture(inputRecord& record, inputRecord& other, int32_t code);
// The lowest key code held in a key state, -1 for none.
int lowestHeldKey(const char keys[kKeyStateCount]);
// The first of the fourteen pad masks among the bits, 0 for none.
int32_t firstPadMask(int bits);
// Applies a pad mask to record's running capture (assigning 1000 + action)
// and ends it: exchanged with the last other action that has that mask.
void applyPadCapture(inputRecord& record, int32_t mask);

// The keyboard configuration screen (mode 13). A frame runs its input
// first and then draws the screen as it stands; the waits for a release
// draw the same screen while they last.
class KeyConfigScreen final : public Screen {
 public:
  bool frame() override;
};

// The pad configuration screen (mode 6), in the same shape.
class PadConfigScreen final : public Screen {
 public:
  bool frame() override;
};

}  // namespace game
