// The game's start-up and shutdown. It grows with the library: for now the
// library starts and ends, which leaves "Log.txt" with the system report and
// the leak dump in the folder the game started in.
#include "game/shell/game_main.h"

#include "library/foundation/library_start.h"

namespace game {

int RunGame() {
  if (veziv::InitLibrary() == -1) return 255;
  veziv::EndLibrary();
  return 0;
}

}  // namespace game
