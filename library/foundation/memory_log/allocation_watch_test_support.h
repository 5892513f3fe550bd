// Test support: what a piece of code allocates, seen through the address
// sanitizer's allocation hooks (the tests' own build), so that a test can show
// that a reader refuses a hostile file without taking the memory it claims.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* block);
#endif

namespace veziv::test {

// Largest single block, and the most bytes live at once above the start,
// allocated (by any thread) between the watch's making and its reading.
class AllocationWatch {
 public:
  static bool Available() {
#if defined(__SANITIZE_ADDRESS__)
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    return installed;
#else
    return false;
#endif
  }

  AllocationWatch() {
    Available();
    Counters& c = State();
    c.largest = 0;
    c.start = c.live.load();
    c.peak = c.start.load();
  }

  int64_t Largest() const { return State().largest; }
  int64_t PeakAboveStart() const { return State().peak - State().start; }

 private:
  struct Counters {
    std::atomic<int64_t> live{0}, peak{0}, start{0}, largest{0};
  };
  static Counters& State() {
    static Counters counters;
    return counters;
  }
  static void Raise(std::atomic<int64_t>& to, int64_t value) {
    int64_t seen = to.load();
    while (value > seen && !to.compare_exchange_weak(seen, value)) {
    }
  }
#if defined(__SANITIZE_ADDRESS__)
  static void OnMalloc(const volatile void*, size_t size) {
    Counters& c = State();
    Raise(c.largest, int64_t(size));
    Raise(c.peak, c.live += int64_t(size));
  }
  static void OnFree(const volatile void* block) {
    if (block) State().live -= int64_t(__sanitizer_get_allocated_size(block));
  }
#endif
};

// Skips the test where allocations cannot be watched.
#define VEZIV_NEED_ALLOCATION_WATCH() \
  if (!::veziv::test::AllocationWatch::Available()) GTEST_SKIP() << "allocations are watched in sanitizer builds only"

}  // namespace veziv::test
