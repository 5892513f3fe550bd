// The installed session.
#include "game/core/session.h"

#include <cstdio>
#include <cstdlib>

namespace game {

namespace {

// The session of the running game, set by the program's entry (or a test)
// through SessionScope.
GameSession* installedSession = nullptr;

}  // namespace

GameSession& Session() {
  if (installedSession == nullptr) {
    std::fputs("the game's session is used before one is installed\n", stderr);
    std::abort();
  }
  return *installedSession;
}

SessionScope::SessionScope(GameSession& session) : previous_(installedSession) { installedSession = &session; }
SessionScope::~SessionScope() { installedSession = previous_; }

}  // namespace game
