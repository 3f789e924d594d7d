#include "support/clock.h"

namespace brimvel {

std::chrono::sys_days DayOf(const LocalTime& time) {
  using namespace std::chrono;
  return sys_days{year{time.year} / time.month / time.day};
}

DateParts DateOf(std::chrono::sys_days day) {
  using namespace std::chrono;
  const year_month_day date{day};
  return DateParts{static_cast<int>(date.year()), static_cast<int>(unsigned{date.month()}),
                   static_cast<int>(unsigned{date.day()}),
                   static_cast<int>(weekday{day}.c_encoding())};
}

DateParts ReadDate(const Clock& clock) { return DateOf(DayOf(clock.Now())); }

TimeParts ReadTime(const Clock& clock) {
  LocalTime now = clock.Now();
  return TimeParts{now.hour, now.minute, now.second, now.millisecond / 10};
}

}  // namespace brimvel
