// The library's calendar date: six ints in local time, as the clock services
// and the file and archive layers hand them to the game, with the local date
// now and file times as local dates.
#pragma once

#include <cstdint>

namespace veziv {

struct DateRecord {
  int year;
  int month;  // 1-12
  int day;    // day of the month
  int hour;
  int minute;
  int second;
};

// The local date now; a null date is ignored. 0.
int GetLocalDateRecord(DateRecord* date);
// file_time: 100-ns units since 1601-01-01 UTC, shown in local time.
void FileTimeToDateRecord(uint64_t file_time, DateRecord* date);

}  // namespace veziv
