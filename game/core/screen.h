// A game mode's screen: the one shape every mode's screen has. The screen
// owns its state; the mode table of the session points at it.
#pragma once

namespace game {

class Screen {
 public:
  virtual ~Screen() = default;
  // The mode is entered: before the screen's first frame in it.
  virtual void enter() {}
  // One frame: the frame's input and state first, then its drawing. True
  // asks the frame loop to end.
  virtual bool frame() = 0;
  // The mode is left for another.
  virtual void leave() {}
};

}  // namespace game
