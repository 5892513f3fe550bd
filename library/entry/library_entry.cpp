// The library's top: InitLibrary, the one place that knows every subsystem.
// It puts each subsystem's steps into the foundation's start and end table
// and call sites, then runs the foundation's start. Depends on every module
// of the library.
#include "library/foundation/start/library_start.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/sound_movie/movie/movie_handles.h"
#include "library/sound_movie/sound/sound_system.h"
#include "library/text_input/fonts/fonts_registration.h"
#include "library/text_input/input/input.h"
#include "library/text_input/text_entry/text_entry.h"

namespace veziv {

int InitLibrary() {
  if (detail::IsLibraryInitialised()) return 0;
  // Filled afresh on every start, so that the table holds exactly these
  // subsystems whatever ran before.
  detail::ResetLibrarySubsystems();
  detail::RegisterGraphicsWithLibrary();
  detail::RegisterFontsWithLibrary();
  detail::RegisterInputWithLibrary();
  detail::RegisterSoundWithLibrary();
  detail::RegisterMoviesWithLibrary();
  detail::RegisterTextEntryWithLibrary();
  return detail::StartLibrary();
}

}  // namespace veziv
