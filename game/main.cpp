// The program's entry: it owns the game's session, the shell's screens and
// the story for the whole run. The game reads no command line.
#include "game/core/session.h"
#include "game/shell/screens.h"
#include "game/shell/startup.h"
#include "game/story/story_screen.h"

int main() {
  game::GameSession session;
  game::ShellScreens screens;
  game::story::StoryScreen story;
  game::installGame(session, screens, story);
  return game::runGame(session);
}
