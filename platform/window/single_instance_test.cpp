// The second-copy lock between two processes.
#include "platform/window/single_instance.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/window/window.h"

namespace platform::window {
namespace {

// Runs the lock attempt in a child process, in folder when one is given;
// returns its result.
InstanceLockResult TryInChild(const std::string& name, const std::string& folder = "") {
  pid_t pid = fork();
  if (pid == 0) {
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(9);
    _exit(static_cast<int>(AcquireInstanceLock(name.c_str())));
  }
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

TEST(SingleInstance, TakingTheHeldLockAgainKeepsIt) {
  std::string name = UniqueName("again-test-");
  ASSERT_EQ(AcquireInstanceLock(name.c_str()), InstanceLockResult::kAcquired);
  // The start takes it before its log file, the window again: no moment free.
  EXPECT_EQ(AcquireInstanceLock(name.c_str()), InstanceLockResult::kAcquired);
  EXPECT_EQ(TryInChild(name), InstanceLockResult::kHeldElsewhere);
  ReleaseInstanceLock();
}

// Headless, the one scope is the folder the program runs in: runs in other
// folders go side by side, a second run in the same folder is refused.
TEST(SingleInstance, HeadlessRunsAreScopedByTheirFolder) {
  ASSERT_TRUE(IsHeadless());
  namespace fs = std::filesystem;
  const fs::path other = fs::temp_directory_path() / UniqueName("instance-folder-");
  fs::create_directories(other);
  std::string name = UniqueName("folder-test-");
  ASSERT_EQ(AcquireInstanceLock(name.c_str()), InstanceLockResult::kAcquired);
  EXPECT_EQ(InstanceScopes(), std::vector<std::string>{"folder:" + fs::current_path().string()});
  EXPECT_EQ(TryInChild(name, other.string()), InstanceLockResult::kAcquired);
  EXPECT_EQ(TryInChild(name, fs::current_path().string()), InstanceLockResult::kHeldElsewhere);
  ReleaseInstanceLock();
  fs::remove_all(other);
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
  std::string a = InstanceLockPath("VeZiv", "display::0");
  EXPECT_EQ(a.rfind("/run/user/77/veziv-", 0), 0u) << a;
  // Another name, another display, a headless folder: each a lock of its own.
  EXPECT_NE(a, InstanceLockPath("VeZiw", "display::0"));
  EXPECT_NE(a, InstanceLockPath("VeZiv", "display::1"));
  EXPECT_NE(a, InstanceLockPath("VeZiv", "folder:/home/a/run"));
  EXPECT_EQ(a, InstanceLockPath("VeZiv", "display::0"));
  setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(InstanceLockPath("VeZiv", "display::0").rfind("/tmp/veziv-", 0), 0u);
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
