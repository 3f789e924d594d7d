#include "support/clock.h"

#include <gtest/gtest.h>

namespace brimvel {
namespace {

TEST(ClockTest, DateAndTimeComeFromTheClock) {
  FixedClock clock({1999, 12, 31, 23, 59, 58, 999});  // a Friday
  DateParts date = ReadDate(clock);
  TimeParts time = ReadTime(clock);
  EXPECT_EQ(date.year, 1999);
  EXPECT_EQ(date.month, 12);
  EXPECT_EQ(date.day, 31);
  EXPECT_EQ(date.dayOfWeek, 5);
  EXPECT_EQ(time.hour, 23);
  EXPECT_EQ(time.minute, 59);
  EXPECT_EQ(time.second, 58);
  EXPECT_EQ(time.hundredths, 99);
}

}  // namespace
}  // namespace brimvel
