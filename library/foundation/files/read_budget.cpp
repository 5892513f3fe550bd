// The reader-wide budget (see read_budget.h).
#include "library/foundation/files/read_budget.h"

#include <atomic>

namespace veziv::detail {

namespace {

constexpr int64_t kDefaultMaxReadBytes = int64_t(1) << 28;

std::atomic<int64_t>& Budget() {
  static std::atomic<int64_t> bytes{kDefaultMaxReadBytes};
  return bytes;
}

thread_local int64_t storedBytesPerPixel = 0;

}  // namespace

int64_t MaxReadBytes() { return Budget().load(std::memory_order_relaxed); }

void SetMaxReadBytes(int64_t bytes) {
  Budget().store(bytes > 0 ? bytes : kDefaultMaxReadBytes, std::memory_order_relaxed);
}

bool PictureFitsReadBudget(int64_t width, int64_t height, int64_t bytesPerPixel) {
  if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return false;
  if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
  if (storedBytesPerPixel > bytesPerPixel) bytesPerPixel = storedBytesPerPixel;
  return width * height <= MaxReadBytes() / bytesPerPixel;
}

ScopedPictureStore::ScopedPictureStore(int64_t bytesPerPixel) : kept_(storedBytesPerPixel) {
  storedBytesPerPixel = bytesPerPixel;
}

ScopedPictureStore::~ScopedPictureStore() { storedBytesPerPixel = kept_; }

}  // namespace veziv::detail
