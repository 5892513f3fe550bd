// The program entry. The game reads no command line.
#include "game/shell/game_main.h"

int main() { return game::RunGame(); }
