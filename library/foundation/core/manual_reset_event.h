// A manual-reset event: stays signalled until reset, wakes every waiter. The
// file-access thread and its owner hand requests over with two of them.
// (<chrono> itself is not included: its micro-second suffix does not convert
// to the library's CP932 execution character set.)
#pragma once

#include <cstdint>
#include <condition_variable>
#include <mutex>

namespace veziv {

class ManualResetEvent {
 public:
  explicit ManualResetEvent(bool signalled) : signalled_(signalled) {}

  void Set() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_ = true;
    }
    changed_.notify_all();
  }
  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
  }
  // True when signalled within the time; a zero time only tests the state.
  bool WaitFor(uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return signalled_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_;
};

}  // namespace veziv
