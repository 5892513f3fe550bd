// The decode thread of a movie road: it runs the road's decode step over and
// over, sleeping while the step has nothing to do until the caller wakes it;
// the caller waits for the thread's news on a condition. The movies of the
// fuzz targets may instead run the step on the caller's thread, where the
// caller would wait: the same steps in one of the orders a thread may take,
// without a thread switch for each. Internal to the movie code.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace veziv::detail {

// Movies opened from now on decode on the caller's thread (for the fuzz
// targets); false: each has its own thread again.
void RunMovieThreadsInline(bool inlined);

enum class DecodeStep {
  kWorked,   // it did something: step again
  kIdle,     // nothing to do until the caller has news
  kFinished  // the decoder was told to end
};

class DecodeWorker {
 public:
  // One step, called with the lock of Mutex() held; it may let go of the
  // lock while it decodes and must hold it again when it returns.
  using Step = std::function<DecodeStep(std::unique_lock<std::mutex>&)>;

  DecodeWorker() = default;
  DecodeWorker(const DecodeWorker&) = delete;
  DecodeWorker& operator=(const DecodeWorker&) = delete;
  ~DecodeWorker() { Join(); }

  // Starts the thread (or, inline, keeps the step for the caller's waits).
  // false when no thread could be made.
  bool Start(Step step);
  // Waits for the thread to end, once its step has been told to finish.
  void Join();

  std::mutex& Mutex() { return mutex_; }
  // The caller has news for the decoder (the lock held or not).
  void Wake() { wake_.notify_all(); }
  // The decoder has news for the caller (from the step).
  void Changed() { changed_.notify_all(); }

  // The caller, holding the lock, waits until done() holds. Inline, it runs
  // the steps itself until then; false when the decoder went idle or ended
  // first (a thread would then wait for ever: callers take it as the end).
  template <typename Done>
  bool WaitUntil(std::unique_lock<std::mutex>& lock, Done done) {
    if (!inlined_) {
      changed_.wait(lock, done);
      return true;
    }
    while (!done()) {
      if (step_(lock) != DecodeStep::kWorked) return done();
    }
    return true;
  }

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;     // the thread waits on it
  std::condition_variable changed_;  // the caller waits on it
  Step step_;
  bool inlined_ = false;
  std::thread thread_;
};

}  // namespace veziv::detail
