// A line of text asked for in a loop of its own: the picture on screen is
// frozen, a text-entry field is drawn over it and presented every pass until
// Enter or Escape, and everything the call changed is put back.
// Stands on text entry, the pump, graphs, the draw state and screen capture.
#pragma once

#include "library/veziv.h"

namespace veziv {


}  // namespace veziv
