// flock on lock files: held for the life of the window, released by the
// kernel if the process dies, so a crashed copy never blocks the next start.
#include "platform/window/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/os/host_path.h"
#include "platform/window/window.h"

namespace platform::window {
namespace {

namespace os = platform::os;

struct Held {
  int fd = -1;
  std::string path;
};

struct LockState {
  std::vector<Held> held;
  pid_t owner = 0;
};

LockState& State() {
  static LockState state;
  return state;
}

uint64_t HashName(const std::string& text) {
  uint64_t h = 0xCBF29CE484222325u;  // FNV-1a
  for (const char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001B3u;
  }
  return h;
}

// One lock file taken without waiting; the descriptor is -1 when it is not.
InstanceLockResult TakeOne(const std::string& path, int* fd_out) {
  *fd_out = -1;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return InstanceLockResult::kUnavailable;
  int r;
  do {
    r = flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held ? InstanceLockResult::kHeldElsewhere : InstanceLockResult::kUnavailable;
  }
  *fd_out = fd;
  return InstanceLockResult::kAcquired;
}

}  // namespace

std::vector<std::string> InstanceScopes() {
  std::vector<std::string> scopes = {"folder:" + os::CurrentFolder()};
  if (IsHeadless()) return scopes;
  std::string display;
  if (const char* x = std::getenv("DISPLAY"); x != nullptr && x[0] != '\0') {
    // ":0" and ":0.0" are one display.
    display = x;
    const size_t colon = display.rfind(':');
    const size_t dot = colon == std::string::npos ? std::string::npos : display.find('.', colon);
    if (dot != std::string::npos) display.resize(dot);
  } else if (const char* wayland = std::getenv("WAYLAND_DISPLAY")) {
    display = wayland;
  }
  scopes.push_back("display:" + display);
  return scopes;
}

std::string InstanceLockPath(const char* name, const std::string& scope) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  if (dir == nullptr || dir[0] == '\0') dir = "/tmp";
  char file[64];
  std::snprintf(file, sizeof file, "/veziv-%016llx.lock",
                static_cast<unsigned long long>(HashName(std::string(name) + '\0' + scope)));
  return std::string(dir) + file;
}

InstanceLockResult AcquireInstanceLock(const char* name) {
  LockState& lock = State();
  std::vector<std::string> paths;
  for (const std::string& scope : InstanceScopes()) paths.push_back(InstanceLockPath(name, scope));
  bool same = lock.owner == getpid() && lock.held.size() == paths.size();
  for (size_t i = 0; same && i < paths.size(); ++i) same = lock.held[i].path == paths[i];
  if (same) return InstanceLockResult::kAcquired;
  ReleaseInstanceLock();
  InstanceLockResult result = InstanceLockResult::kAcquired;
  std::vector<Held> taken;
  for (const std::string& path : paths) {
    int fd = -1;
    const InstanceLockResult one = TakeOne(path, &fd);
    if (fd >= 0) taken.push_back({fd, path});
    if (one == InstanceLockResult::kHeldElsewhere) result = one;
    if (one == InstanceLockResult::kUnavailable && result == InstanceLockResult::kAcquired) result = one;
  }
  if (result == InstanceLockResult::kHeldElsewhere) {
    for (const Held& h : taken) {
      flock(h.fd, LOCK_UN);
      close(h.fd);
    }
    return result;
  }
  lock.held = std::move(taken);
  lock.owner = getpid();
  return result;
}

void ReleaseInstanceLock() {
  LockState& lock = State();
  for (const Held& h : lock.held) {
    // A forked child shares the parent's locks: it only lets go of its copies.
    if (lock.owner == getpid()) flock(h.fd, LOCK_UN);
    close(h.fd);
  }
  lock.held.clear();
}

}  // namespace platform::window
