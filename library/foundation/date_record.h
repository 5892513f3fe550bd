// The library's calendar date: six ints in local time, as the clock services
// and the file and archive layers hand them to the game.
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

// The local calendar date of a file time (100 ns since 1601 UTC); zeros when
// it has none.
DateRecord FileTimeToDateRecord(uint64_t fileTime);

}  // namespace veziv
