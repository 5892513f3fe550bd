// The game's entry: everything main() does.
#pragma once

namespace game {

// Runs the game from start-up to shutdown; returns the process exit code.
int RunGame();

}  // namespace game
