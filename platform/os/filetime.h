// FILETIME (100-nanosecond intervals since 1601-01-01 UTC, as archives and directory searches store
// times) to and from POSIX times, and to local calendar time for the date records.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform::os {

// The FILETIME of 1970-01-01 00:00:00 UTC.
inline constexpr uint64_t kUnixEpochFileTime = 116444736000000000u;

// Times before 1601 give 0; times beyond the FILETIME range give UINT64_MAX.
uint64_t FileTimeFromTimespec(const timespec& ts);
uint64_t FileTimeFromTime(time_t seconds);

// Whole seconds round down; tv_nsec is a multiple of 100.
timespec TimespecFromFileTime(uint64_t file_time);
time_t TimeFromFileTime(uint64_t file_time);

// The local calendar time (TZ as set for the process) of a FILETIME; false if it cannot be given.
// Milliseconds, which std::tm lacks, are (file_time / 10000) % 1000.
bool FileTimeToLocalTime(uint64_t file_time, std::tm* out);
// The local calendar time now (the system's clock, never the manual one); false if it cannot be given.
bool LocalTimeNow(std::tm* out);

}  // namespace platform::os
