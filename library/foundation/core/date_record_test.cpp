// Dates: file times shown as local dates across time zones and summer time,
// and the local date now.
#include "library/veziv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

namespace veziv {
namespace {

TEST(DateRecord, FileTimesBecomeLocalDates) {
  const char* saved = std::getenv("TZ");
  std::string keep = saved ? saved : "";
  struct Case {
    const char* tz;
    uint64_t file_time;
    DateRecord want;
  };
  const Case cases[] = {
      {"UTC0", 116444736000000000u, {1970, 1, 1, 0, 0, 0}},
      {"UTC0", 133536836960000000u, {2024, 2, 29, 12, 34, 56}},  // a leap day
      {"UTC0", 116444735990000000u, {1969, 12, 31, 23, 59, 59}},  // just before 1970
      {"UTC0", 116444735999999999u, {1969, 12, 31, 23, 59, 59}},  // rounds down, not toward 1970
      // Central Europe goes to summer time at 01:00 UTC on 2024-03-31.
      {"CET-1CEST,M3.5.0,M10.5.0/3", 133563203990000000u, {2024, 3, 31, 1, 59, 59}},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 133563204000000000u, {2024, 3, 31, 3, 0, 0}},
  };
  for (const Case& c : cases) {
    setenv("TZ", c.tz, 1);
    tzset();
    DateRecord d{};
    FileTimeToDateRecord(c.file_time, &d);
    EXPECT_EQ(d.year, c.want.year) << c.file_time;
    EXPECT_EQ(d.month, c.want.month) << c.file_time;
    EXPECT_EQ(d.day, c.want.day) << c.file_time;
    EXPECT_EQ(d.hour, c.want.hour) << c.file_time;
    EXPECT_EQ(d.minute, c.want.minute) << c.file_time;
    EXPECT_EQ(d.second, c.want.second) << c.file_time;
  }
  if (saved) {
    setenv("TZ", keep.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(DateRecord, LocalDateIsToday) {
  DateRecord d{};
  EXPECT_EQ(GetLocalDateRecord(&d), 0);
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(d.year, local.tm_year + 1900);
  EXPECT_GE(d.month, 1);
  EXPECT_LE(d.month, 12);
  EXPECT_EQ(GetLocalDateRecord(nullptr), 0);
}

}  // namespace
}  // namespace veziv
