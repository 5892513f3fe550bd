// The second-copy check: an advisory lock on a file named from a hash of the
// window class name, under $XDG_RUNTIME_DIR or /tmp. The system drops the
// lock when the process ends, however it ends.
#pragma once

#include <string>

namespace platform::window {

enum class InstanceLockResult { kAcquired, kHeldElsewhere, kUnavailable };

// Takes the lock for name (CP932 bytes). kUnavailable: no lock file could be
// made, so nothing can be said about another copy. Releases any lock held before.
InstanceLockResult AcquireInstanceLock(const char* name);
void ReleaseInstanceLock();

// The lock file's path for name.
std::string InstanceLockPath(const char* name);

}  // namespace platform::window
