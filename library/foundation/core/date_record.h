// The library's calendar date: six ints in local time, as the clock services
// and the file and archive layers hand them to the game.
#pragma once

namespace veziv {

struct DateRecord {
  int year;
  int month;  // 1-12
  int day;    // day of the month
  int hour;
  int minute;
  int second;
};

}  // namespace veziv
