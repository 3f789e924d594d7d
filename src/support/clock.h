#pragma once

#include <chrono>

namespace brimvel {

struct LocalTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// A file's last write in local time, to the second.
using FileTime = std::chrono::local_seconds;

// The local date and time. The real clock lives behind platform.h.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
};

// A clock that shows whatever time it was last set to.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(LocalTime now = {}) : now_(now) {}
  LocalTime Now() const override { return now_; }
  void Set(LocalTime now) { now_ = now; }

 private:
  LocalTime now_;
};

struct DateParts {
  int year = 0, month = 0, day = 0, dayOfWeek = 0;  // dayOfWeek 0 = Sunday
};
struct TimeParts {
  int hour = 0, minute = 0, second = 0, hundredths = 0;
};

// The calendar day of a local time, and the date and weekday of a day.
std::chrono::sys_days DayOf(const LocalTime& time);
DateParts DateOf(std::chrono::sys_days day);

DateParts ReadDate(const Clock& clock);
TimeParts ReadTime(const Clock& clock);

}  // namespace brimvel
