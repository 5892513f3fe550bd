// Monotonic clocks with a manual mode for tests.
#include "platform/os/clock.h"

#include <atomic>
#include <ctime>
#include <thread>

namespace platform::os {
namespace {

struct ClockState {
  std::atomic<bool> manual{false};
  std::atomic<uint64_t> manual_us{0};
};

ClockState& State() {
  static ClockState state;
  return state;
}

uint64_t RealMicroseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

}  // namespace

uint64_t MicrosecondClock() {
  ClockState& s = State();
  return s.manual.load() ? s.manual_us.load() : RealMicroseconds();
}

uint32_t MillisecondClock() { return static_cast<uint32_t>(MicrosecondClock() / 1000u) & 0x7FFFFFFFu; }

void Sleep(uint32_t ms) {
  ClockState& s = State();
  if (s.manual.load()) {
    s.manual_us.fetch_add(static_cast<uint64_t>(ms) * 1000u);
    return;
  }
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  timespec ts{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void UseManualClock(uint64_t start_us) {
  ClockState& s = State();
  s.manual_us.store(start_us);
  s.manual.store(true);
}

void UseRealClock() { State().manual.store(false); }

bool IsManualClock() { return State().manual.load(); }

void AdvanceManualClock(uint64_t us) { State().manual_us.fetch_add(us); }

}  // namespace platform::os
