// The program entry. The game reads no command line.
#include "game/shell/startup.h"

int main() { return game::runGame(); }
