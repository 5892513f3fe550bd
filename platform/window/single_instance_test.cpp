// The second-copy lock between two processes.
#include "platform/window/single_instance.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform::window {
namespace {

// Runs the lock attempt in a child process; returns its result.
InstanceLockResult TryInChild(const std::string& name) {
  pid_t pid = fork();
  if (pid == 0) _exit(static_cast<int>(AcquireInstanceLock(name.c_str())));
  int status = 0;
  waitpid(pid, &status, 0);
  return static_cast<InstanceLockResult>(WEXITSTATUS(status));
}

std::string UniqueName(const char* base) { return std::string(base) + std::to_string(getpid()); }

TEST(SingleInstance, SecondProcessIsRefusedWhileTheFirstHoldsTheLock) {
  std::string name = UniqueName("lock-test-");
  ASSERT_EQ(AcquireInstanceLock(name.c_str()), InstanceLockResult::kAcquired);
  EXPECT_EQ(TryInChild(name), InstanceLockResult::kHeldElsewhere);
  EXPECT_EQ(TryInChild(name + "-other"), InstanceLockResult::kAcquired);
  ReleaseInstanceLock();
  EXPECT_EQ(TryInChild(name), InstanceLockResult::kAcquired);
}

TEST(SingleInstance, LockOfADeadProcessIsFree) {
  std::string name = UniqueName("dead-lock-test-");
  pid_t pid = fork();
  if (pid == 0) {
    AcquireInstanceLock(name.c_str());
    _exit(0);  // never released by hand
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(AcquireInstanceLock(name.c_str()), InstanceLockResult::kAcquired);
  ReleaseInstanceLock();
}

TEST(SingleInstance, LockFileLivesInTheRuntimeDirectory) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  std::string keep = saved ? saved : "";
  setenv("XDG_RUNTIME_DIR", "/run/user/77", 1);
  std::string a = InstanceLockPath("VeZiv");
  EXPECT_EQ(a.rfind("/run/user/77/veziv-", 0), 0u) << a;
  EXPECT_NE(a, InstanceLockPath("VeZiw"));
  setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(InstanceLockPath("VeZiv").rfind("/tmp/veziv-", 0), 0u);
  if (saved) {
    setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

TEST(SingleInstance, UnwritableDirectoryIsReportedAsUnavailable) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  std::string keep = saved ? saved : "";
  setenv("XDG_RUNTIME_DIR", "/nonexistent-veziv-dir", 1);
  EXPECT_EQ(AcquireInstanceLock("x"), InstanceLockResult::kUnavailable);
  if (saved) {
    setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

}  // namespace
}  // namespace platform::window
