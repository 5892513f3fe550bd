// The game's start-up and shutdown. It grows with the library: for now the
// library's foundation has nothing to start, so the game ends at once.
#include "game/shell/game_main.h"

namespace game {

int RunGame() { return 0; }

}  // namespace game
