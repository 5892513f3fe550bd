// The program entry. The game reads no command line.
#include "game/shell/startup.h"
#include "game/story/story_screen.h"

int main() {
  game::story::installStoryScreen();
  return game::runGame();
}
