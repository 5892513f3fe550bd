// The library's lock: a line of waiting threads behind one owner. A thread
// that finds the lock free while others wait joins the end of the line, so
// nobody is overtaken.
#include "library/foundation/core/api_lock.h"

namespace veziv {
namespace detail {

void ApiLock::Enter() {
  const std::thread::id me = std::this_thread::get_id();
  std::unique_lock<std::mutex> guard(mutex_);
  if (nesting_ > 0 && owner_ == me) {
    ++nesting_;
    return;
  }
  if (nesting_ > 0 || !line_.empty()) {
    line_.push_back(me);
    turn_.wait(guard, [&] { return nesting_ == 0 && line_.front() == me; });
    line_.pop_front();
  }
  owner_ = me;
  nesting_ = 1;
}

void ApiLock::Leave() {
  std::unique_lock<std::mutex> guard(mutex_);
  // Only the owner can give the lock back.
  if (nesting_ == 0 || owner_ != std::this_thread::get_id()) return;
  if (--nesting_ > 0) return;
  owner_ = std::thread::id();
  const bool wake = !line_.empty();
  guard.unlock();
  if (wake) turn_.notify_all();
}

size_t ApiLock::Waiting() {
  std::lock_guard<std::mutex> guard(mutex_);
  return line_.size();
}

ApiLock& LibraryLock() {
  static ApiLock lock;
  return lock;
}

}  // namespace detail

void EnterLibraryLock() { detail::LibraryLock().Enter(); }

void LeaveLibraryLock() { detail::LibraryLock().Leave(); }

}  // namespace veziv
