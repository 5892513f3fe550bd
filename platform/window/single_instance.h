// The second-copy check: advisory locks on files named from a hash of the
// window class name and a scope, under $XDG_RUNTIME_DIR or /tmp. The system
// drops the locks when the process ends, however it ends.
//
// Every copy holds the lock of the folder it runs in, whose files (the log,
// the saves) it writes; a copy on the desktop also holds the lock of the
// display its window opens on. So two copies on one display refuse each
// other, as two in one folder do; a headless run (the tests, the whole-game
// harness) in a folder of its own and a copy on the desktop go side by side.
#pragma once

#include <string>
#include <vector>

namespace platform::window {

enum class InstanceLockResult { kAcquired, kHeldElsewhere, kUnavailable };

// Takes the locks for name (CP932 bytes) in this process's scopes; held
// elsewhere when another process holds any of them (and then none is kept).
// kUnavailable: some lock file could not be made, so nothing can be said
// about another copy there. Taking the locks this process already holds again
// keeps them; locks held for another name or scope are let go first.
InstanceLockResult AcquireInstanceLock(const char* name);
void ReleaseInstanceLock();

// This process's scopes: "folder:" and the folder the program runs in, and on
// the desktop also "display:" and the display's name (its screen number left
// out).
std::vector<std::string> InstanceScopes();
// The lock file's path for name in a scope.
std::string InstanceLockPath(const char* name, const std::string& scope);

}  // namespace platform::window
