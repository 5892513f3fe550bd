// The library's one lock, taken by the start, the end and the message pump: a
// recursive lock that admits waiting threads strictly in order of arrival.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>

namespace veziv {

// Takes the library's lock (again, when the calling thread holds it already).
void EnterLibraryLock();
// Gives one level of it back; the first thread in line gets it when the last level goes.
void LeaveLibraryLock();

namespace detail {

class ApiLock {
 public:
  void Enter();
  void Leave();
  // Threads waiting in line.
  size_t Waiting();

 private:
  std::mutex mutex_;
  std::condition_variable turn_;
  std::deque<std::thread::id> line_;
  std::thread::id owner_;
  int nesting_ = 0;
};

// The instance behind EnterLibraryLock and LeaveLibraryLock.
ApiLock& LibraryLock();

}  // namespace detail
}  // namespace veziv
