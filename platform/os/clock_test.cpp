#include "platform/os/clock.h"

#include <gtest/gtest.h>

namespace platform::os {
namespace {

TEST(Clock, ManualClockMovesOnlyBySleepAndAdvance) {
  UseManualClock(5'000);
  EXPECT_TRUE(IsManualClock());
  EXPECT_EQ(MicrosecondClock(), 5'000u);
  EXPECT_EQ(MillisecondClock(), 5u);
  Sleep(250);
  EXPECT_EQ(MillisecondClock(), 255u);
  AdvanceManualClock(1'500);
  EXPECT_EQ(MicrosecondClock(), 256'500u);
  UseRealClock();
  EXPECT_FALSE(IsManualClock());
}

TEST(Clock, MillisecondsWrapAt31Bits) {
  UseManualClock((uint64_t{0x7FFFFFFF} + 10) * 1000);
  EXPECT_EQ(MillisecondClock(), 9u);
  UseRealClock();
}

TEST(Clock, RealClockIsMonotonic) {
  uint64_t a = MicrosecondClock();
  Sleep(2);
  uint64_t b = MicrosecondClock();
  EXPECT_GE(b - a, 2000u);
}

}  // namespace
}  // namespace platform::os
