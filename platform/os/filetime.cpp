// FILETIME <-> POSIX time conversions, and local calendar time.
#include "platform/os/filetime.h"

#include <cstdint>
#include <limits>

#include "platform/os/clock.h"

namespace platform::os {
namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kUnixEpochSeconds = static_cast<int64_t>(kUnixEpochFileTime / kTicksPerSecond);
// On the manual clock the calendar starts at 2026-01-01 12:00 UTC and moves
// with that clock, so runs that replay a script show the same dates.
constexpr time_t kManualCalendarStart = 1767268800;

}  // namespace

uint64_t FileTimeFromTimespec(const timespec& ts) {
  // In 128 bits: seconds far from 1970 would overflow 64-bit ticks.
  __int128 ticks = (static_cast<__int128>(ts.tv_sec) + kUnixEpochSeconds) * kTicksPerSecond + ts.tv_nsec / 100;
  if (ticks < 0) return 0;
  if (ticks > static_cast<__int128>(std::numeric_limits<uint64_t>::max())) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(ticks);
}

uint64_t FileTimeFromTime(time_t seconds) { return FileTimeFromTimespec(timespec{seconds, 0}); }

timespec TimespecFromFileTime(uint64_t file_time) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(static_cast<int64_t>(file_time / kTicksPerSecond) - kUnixEpochSeconds);
  ts.tv_nsec = static_cast<long>(file_time % kTicksPerSecond) * 100;
  return ts;
}

time_t TimeFromFileTime(uint64_t file_time) { return TimespecFromFileTime(file_time).tv_sec; }

bool FileTimeToLocalTime(uint64_t file_time, std::tm* out) {
  time_t seconds = TimeFromFileTime(file_time);
  return localtime_r(&seconds, out) != nullptr;
}

bool LocalTimeNow(std::tm* out) {
  if (IsManualClock()) {
    // In universal time, so that the time zone of the machine changes nothing either.
    const time_t now = kManualCalendarStart + static_cast<time_t>(MicrosecondClock() / 1000000);
    return gmtime_r(&now, out) != nullptr;
  }
  const time_t now = time(nullptr);
  return localtime_r(&now, out) != nullptr;
}

}  // namespace platform::os
