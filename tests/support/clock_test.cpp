#include "support/clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace brimvel {
namespace {

TEST(PackedDateTimeTest, UnpackAndPack) {
  struct Case {
    std::uint32_t packed;
    DateTimeParts parts;
  };
  const Case cases[] = {
      {0x00210000, {1980, 1, 1, 0, 0, 0}},
      {0x2D1926F7, {2002, 8, 25, 4, 55, 46}},
      {0xFF9FBF7D, {2107, 12, 31, 23, 59, 58}},
  };
  for (const auto& c : cases) {
    DateTimeParts p = UnpackDateTime(c.packed);
    EXPECT_EQ(p.year, c.parts.year);
    EXPECT_EQ(p.month, c.parts.month);
    EXPECT_EQ(p.day, c.parts.day);
    EXPECT_EQ(p.hour, c.parts.hour);
    EXPECT_EQ(p.minute, c.parts.minute);
    EXPECT_EQ(p.second, c.parts.second);
    EXPECT_EQ(PackDateTime(c.parts), c.packed);
  }
  // Only even seconds fit the layout.
  EXPECT_EQ(PackDateTime({2002, 8, 25, 4, 55, 47}), 0x2D1926F7u);
}

TEST(ClockTest, DateAndTimeComeFromTheClock) {
  FixedClock clock({1999, 12, 31, 5, 23, 59, 58, 999});
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

TEST(ClockTest, DayOfWeekAgreesWithTheCalendar) {
  using namespace std::chrono;
  // Every day the packed layout can hold.
  for (sys_days d = sys_days{1980y / January / 1}; d <= sys_days{2107y / December / 31};
       d += days{1}) {
    year_month_day date{d};
    const int y = static_cast<int>(date.year());
    const int m = static_cast<int>(static_cast<unsigned>(date.month()));
    const int day = static_cast<int>(static_cast<unsigned>(date.day()));
    ASSERT_EQ(DayOfWeek(y, m, day), static_cast<int>(weekday{d}.c_encoding()))
        << y << "-" << m << "-" << day;
  }
}

}  // namespace
}  // namespace brimvel
