// The one shape of the nested loops that run while the frame loop waits: a
// modal box, the save question, the battle end screen, a wait for a key's
// release, a voice playing out, a movie.
#pragma once

#include "library/veziv.h"

namespace game {

// Runs passes until `pass` says the loop is over or the window is gone.
// Each pass does its loop's input and drawing (and presents, when the loop
// shows frames) and returns whether to go on; the window's messages are
// pumped after every pass that goes on (pump: false once the window is
// gone). False when the window went away.
template <typename Pass, typename Pump>
bool runNestedLoop(Pass pass, Pump pump) {
  while (pass()) {
    if (!pump()) return false;
  }
  return true;
}

template <typename Pass>
bool runNestedLoop(Pass pass) {
  return runNestedLoop(pass, [] { return veziv::PumpMessages() == 0; });
}

}  // namespace game
