// flock on a lock file: held for the life of the window, released by the
// kernel if the process dies, so a crashed copy never blocks the next start.
#include "platform/window/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace platform::window {
namespace {

struct LockState {
  int fd = -1;
  pid_t owner = 0;
};

LockState& State() {
  static LockState state;
  return state;
}

uint64_t HashName(const char* name) {
  uint64_t h = 0xCBF29CE484222325u;  // FNV-1a
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
    h ^= *p;
    h *= 0x100000001B3u;
  }
  return h;
}

}  // namespace

std::string InstanceLockPath(const char* name) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  if (dir == nullptr || dir[0] == '\0') dir = "/tmp";
  char file[64];
  std::snprintf(file, sizeof file, "/veziv-%016llx.lock", static_cast<unsigned long long>(HashName(name)));
  return std::string(dir) + file;
}

InstanceLockResult AcquireInstanceLock(const char* name) {
  LockState& lock = State();
  ReleaseInstanceLock();
  std::string path = InstanceLockPath(name);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return InstanceLockResult::kUnavailable;
  int r;
  do {
    r = flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    bool held = errno == EWOULDBLOCK;
    close(fd);
    return held ? InstanceLockResult::kHeldElsewhere : InstanceLockResult::kUnavailable;
  }
  lock.fd = fd;
  lock.owner = getpid();
  return InstanceLockResult::kAcquired;
}

void ReleaseInstanceLock() {
  LockState& lock = State();
  if (lock.fd < 0) return;
  // A forked child shares the parent's lock: it only lets go of its copy.
  if (lock.owner == getpid()) flock(lock.fd, LOCK_UN);
  close(lock.fd);
  lock.fd = -1;
}

}  // namespace platform::window
