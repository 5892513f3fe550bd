// The battle's call site in the shell: the registry, settings, input and
// mode calls the battle makes, installed once before the first battle.
#pragma once

namespace game {

// Installs the battle's hooks and players (once; later calls do nothing).
void installBattleSite();

}  // namespace game
