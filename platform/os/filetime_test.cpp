#include "platform/os/filetime.h"

#include "platform/os/clock.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>

namespace platform::os {
namespace {

struct Case {
  const char* what;
  uint64_t file_time;
  time_t seconds;  // Unix time
  long nanoseconds;
  int year, month, day, hour, minute, second;  // UTC calendar
};

const Case kCases[] = {
    {"1601 epoch", 0, -11644473600, 0, 1601, 1, 1, 0, 0, 0},
    {"Unix epoch", 116444736000000000u, 0, 0, 1970, 1, 1, 0, 0, 0},
    {"leap day", 132274188001234567u, 1582945200, 123456700,
     2020, 2, 29, 3, 0, 0},
    {"one tick after Unix epoch", 116444736000000001u, 0, 100, 1970, 1, 1, 0, 0, 0},
    {"2038 and beyond", 116444736000000000u + 4294967296u * 10000000u, 4294967296, 0, 2106, 2, 7, 6, 28, 16},
};

TEST(FileTime, ConvertsToAndFromUnixTime) {
  for (const Case& c : kCases) {
    timespec ts = TimespecFromFileTime(c.file_time);
    EXPECT_EQ(ts.tv_sec, c.seconds) << c.what;
    EXPECT_EQ(ts.tv_nsec, c.nanoseconds) << c.what;
    EXPECT_EQ(TimeFromFileTime(c.file_time), c.seconds) << c.what;
    EXPECT_EQ(FileTimeFromTimespec(timespec{c.seconds, c.nanoseconds}), c.file_time) << c.what;
  }
  EXPECT_EQ(FileTimeFromTime(0), kUnixEpochFileTime);
}

TEST(FileTime, ClampsTimesOutsideTheRange) {
  EXPECT_EQ(FileTimeFromTime(-11644473601), 0u);
  EXPECT_EQ(FileTimeFromTimespec(timespec{-11644473600, 0}), 0u);
  EXPECT_EQ(FileTimeFromTime(static_cast<time_t>(LLONG_MAX)), UINT64_MAX);
  EXPECT_EQ(FileTimeFromTime(1844674407370 - 11644473600), 18446744073700000000u);  // last whole second
  EXPECT_EQ(FileTimeFromTime(1844674407371 - 11644473600), UINT64_MAX);
}

TEST(FileTime, GivesLocalCalendarTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  for (const Case& c : kCases) {
    std::tm tm{};
    ASSERT_TRUE(FileTimeToLocalTime(c.file_time, &tm)) << c.what;
    EXPECT_EQ(tm.tm_year + 1900, c.year) << c.what;
    EXPECT_EQ(tm.tm_mon + 1, c.month) << c.what;
    EXPECT_EQ(tm.tm_mday, c.day) << c.what;
    EXPECT_EQ(tm.tm_hour, c.hour) << c.what;
    EXPECT_EQ(tm.tm_min, c.minute) << c.what;
    EXPECT_EQ(tm.tm_sec, c.second) << c.what;
  }
  setenv("TZ", "JST-9", 1);
  tzset();
  std::tm tm{};
  ASSERT_TRUE(FileTimeToLocalTime(kUnixEpochFileTime, &tm));
  EXPECT_EQ(tm.tm_hour, 9);
  unsetenv("TZ");
  tzset();
}

TEST(FileTime, GivesTheLocalTimeNow) {
  setenv("TZ", "UTC", 1);
  tzset();
  std::tm utc{};
  ASSERT_TRUE(LocalTimeNow(&utc));
  setenv("TZ", "JST-9", 1);
  tzset();
  std::tm japan{};
  ASSERT_TRUE(LocalTimeNow(&japan));
  unsetenv("TZ");
  tzset();
  // Nine hours ahead, give or take the minute that may pass between the two reads.
  const int minutes = ((japan.tm_hour * 60 + japan.tm_min) - (utc.tm_hour * 60 + utc.tm_min) + 1440) % 1440;
  EXPECT_GE(minutes, 540);
  EXPECT_LE(minutes, 541);
  EXPECT_GE(utc.tm_year + 1900, 2024);
}

// A replayed run must show the same dates whenever and wherever it runs: on the
// manual clock the calendar follows that clock from a fixed start.
TEST(FileTime, OnTheManualClockTheCalendarFollowsIt) {
  UseManualClock(0);
  setenv("TZ", "JST-9", 1);
  tzset();
  std::tm start{};
  ASSERT_TRUE(LocalTimeNow(&start));
  AdvanceManualClock(61ull * 1000000);
  std::tm later{};
  ASSERT_TRUE(LocalTimeNow(&later));
  unsetenv("TZ");
  tzset();
  UseRealClock();
  EXPECT_EQ(start.tm_year + 1900, 2026);
  EXPECT_EQ(start.tm_mon, 0);
  EXPECT_EQ(start.tm_mday, 1);
  EXPECT_EQ(start.tm_hour, 12);
  EXPECT_EQ(start.tm_min, 0);
  EXPECT_EQ(later.tm_min, 1);
  EXPECT_EQ(later.tm_sec, 1);
}

}  // namespace
}  // namespace platform::os
