// Where the fonts meet the layers below them, which cannot name them: the
// font system's start and end within graphics start and end, the default
// font kept across a screen-mode change, and the on-screen log's font,
// measure and drawing.
#pragma once

namespace veziv::detail {

// Puts the fonts into graphics' call sites and the on-screen log's services.
// InitLibrary calls it; tests call it after resetting those tables.
void RegisterFontsWithLibrary();

}  // namespace veziv::detail
