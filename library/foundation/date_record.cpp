// The local date now, and file times (100-ns steps since 1601, UTC) as local dates.
#include <ctime>

#include "library/foundation/window_services.h"

namespace veziv {
namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000u;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000u;

void FromTime(time_t t, DateRecord* date) {
  tm local{};
  if (localtime_r(&t, &local) == nullptr) {
    *date = DateRecord();
    return;
  }
  date->year = local.tm_year + 1900;
  date->month = local.tm_mon + 1;
  date->day = local.tm_mday;
  date->hour = local.tm_hour;
  date->minute = local.tm_min;
  date->second = local.tm_sec;
}

}  // namespace

int GetLocalDateRecord(DateRecord* date) {
  if (date != nullptr) FromTime(time(nullptr), date);
  return 0;
}

void FileTimeToDateRecord(uint64_t file_time, DateRecord* date) {
  if (date == nullptr) return;
  // Seconds since 1970, rounded down, also for times before it.
  int64_t seconds;
  if (file_time >= kUnixEpochAsFileTime) {
    seconds = static_cast<int64_t>((file_time - kUnixEpochAsFileTime) / kFileTimeUnitsPerSecond);
  } else {
    seconds = -static_cast<int64_t>((kUnixEpochAsFileTime - file_time + kFileTimeUnitsPerSecond - 1) /
                                    kFileTimeUnitsPerSecond);
  }
  FromTime(static_cast<time_t>(seconds), date);
}

}  // namespace veziv
