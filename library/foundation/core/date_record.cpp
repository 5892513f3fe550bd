// The local date now, and file times (100-ns steps since 1601, UTC) as local dates.
#include "library/veziv.h"

#include <ctime>

#include "platform/os/filetime.h"

namespace veziv {
namespace {

void FromLocalTime(const std::tm& local, DateRecord* date) {
  date->year = local.tm_year + 1900;
  date->month = local.tm_mon + 1;
  date->day = local.tm_mday;
  date->hour = local.tm_hour;
  date->minute = local.tm_min;
  date->second = local.tm_sec;
}

}  // namespace

int GetLocalDateRecord(DateRecord* date) {
  if (date == nullptr) return 0;
  std::tm local{};
  if (!platform::os::LocalTimeNow(&local)) {
    *date = DateRecord{};
    return 0;
  }
  FromLocalTime(local, date);
  return 0;
}

void FileTimeToDateRecord(uint64_t file_time, DateRecord* date) {
  if (date == nullptr) return;
  std::tm local{};
  if (!platform::os::FileTimeToLocalTime(file_time, &local)) {
    *date = DateRecord{};
    return;
  }
  FromLocalTime(local, date);
}

}  // namespace veziv
