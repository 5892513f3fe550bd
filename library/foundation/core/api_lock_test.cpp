// The library's lock: strict arrival order, no overtaking by a thread that
// comes back while others wait, recursion, and a leave by a non-owner.
#include "library/foundation/core/api_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace veziv {
namespace {

void WaitUntilWaiting(detail::ApiLock& lock, size_t n) {
  while (lock.Waiting() != n) std::this_thread::yield();
}

TEST(ApiLock, ThreadsAreServedInArrivalOrder) {
  detail::ApiLock lock;
  std::vector<std::string> order;  // written only by the lock's holder
  lock.Enter();                    // A
  std::thread b([&] {
    lock.Enter();
    order.push_back("B");
    lock.Enter();  // the owner enters again without waiting
    order.push_back("B again");
    lock.Leave();
    lock.Leave();
  });
  WaitUntilWaiting(lock, 1);
  std::thread c([&] {
    lock.Enter();
    order.push_back("C");
    lock.Leave();
  });
  WaitUntilWaiting(lock, 2);
  // A leaves and asks again at once: B and C were first.
  lock.Leave();
  lock.Enter();
  order.push_back("A");
  lock.Leave();
  b.join();
  c.join();
  EXPECT_EQ(order, (std::vector<std::string>{"B", "B again", "C", "A"}));
}

TEST(ApiLock, HeldUntilTheOwnerLeavesEveryLevel) {
  detail::ApiLock lock;
  std::atomic<bool> b_has_it{false};
  lock.Enter();
  lock.Enter();
  lock.Enter();
  lock.Leave();
  std::thread b([&] {
    lock.Enter();
    b_has_it = true;
    lock.Leave();
  });
  WaitUntilWaiting(lock, 1);
  // A thread that does not own the lock cannot give it away.
  std::thread intruder([&] { lock.Leave(); });
  intruder.join();
  lock.Leave();
  EXPECT_EQ(lock.Waiting(), 1u);
  EXPECT_FALSE(b_has_it);
  lock.Leave();
  b.join();
  EXPECT_TRUE(b_has_it);
  EXPECT_EQ(lock.Waiting(), 0u);
  // Free again: the next caller takes it at once.
  lock.Enter();
  lock.Leave();
}

TEST(ApiLock, LibraryFunctionsShareOneLock) {
  EnterLibraryLock();
  EnterLibraryLock();
  std::atomic<bool> other_has_it{false};
  std::thread other([&] {
    EnterLibraryLock();
    other_has_it = true;
    LeaveLibraryLock();
  });
  WaitUntilWaiting(detail::LibraryLock(), 1);
  LeaveLibraryLock();
  EXPECT_FALSE(other_has_it);
  LeaveLibraryLock();
  other.join();
  EXPECT_TRUE(other_has_it);
}

}  // namespace
}  // namespace veziv
