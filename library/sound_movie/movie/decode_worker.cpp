// The decode thread of the movie roads (see decode_worker.h).
#include "library/sound_movie/movie/decode_worker.h"

#include <atomic>
#include <system_error>

namespace veziv::detail {
namespace {

std::atomic<bool> g_inline{false};

}  // namespace

void RunMovieThreadsInline(bool inlined) { g_inline.store(inlined); }

bool DecodeWorker::Start(Step step) {
  step_ = std::move(step);
  inlined_ = g_inline.load();
  if (inlined_) return true;
  try {
    thread_ = std::thread(&DecodeWorker::Run, this);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void DecodeWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

void DecodeWorker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const DecodeStep done = step_(lock);
    if (done == DecodeStep::kFinished) return;
    if (done == DecodeStep::kIdle) wake_.wait(lock);
  }
}

}  // namespace veziv::detail
