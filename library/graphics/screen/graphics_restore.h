// After the graphics device has been lost and set up again: the restore
// callback the program chooses, the built-in one that refills graphs from the
// files they were loaded from, and the recovery itself.
#pragma once

#include "library/veziv.h"

namespace veziv {

// 1 once SetGraphicsRestoreCallback has been called, else 0.
int IsGraphicsRestoreCallbackSet();
// Refills every graph that keeps a source file from that file at its source
// position, loading a file once for a run of graphs with the same file and
// option word; a file that no longer loads leaves its graphs as they are. 0.
int ReloadGraphsFromFiles();
// Ends input and, unless the library is ending, sets the device up again,
// restores the mask screen, runs the program's restore callback and reopens
// the movies. The software
// screen and graph stores are ordinary memory that a device loss leaves
// intact, so the built-in reload is not run here. 0.
int RecoverLostDevice();

namespace detail {
// The library start's step. A function the program chose before the start
// stays chosen (the program sets it before starting the library); otherwise
// the built-in reload is selected. Either way the callback counts as set.
void ClearGraphicsRestoreCallback();
// The restore's record: the program's callback (null: the built-in reload),
// whether one was chosen, and the files the last ReloadGraphsFromFiles loaded.
struct GraphicsRestoreRecord {
  GraphicsRestoreCallback callback = nullptr;
  int set = 0;
  int reloadedFiles = 0;
};
GraphicsRestoreRecord& GraphicsRestoreState();
}  // namespace detail

}  // namespace veziv
