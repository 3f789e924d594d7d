#pragma once

#include <cstdint>

namespace brimvel {

struct LocalTime {
  int year = 0, month = 0, day = 0, dayOfWeek = 0;  // dayOfWeek 0 = Sunday
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

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
  int year = 0, month = 0, day = 0, dayOfWeek = 0;
};
struct TimeParts {
  int hour = 0, minute = 0, second = 0, hundredths = 0;
};
struct DateTimeParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

DateParts ReadDate(const Clock& clock);
TimeParts ReadTime(const Clock& clock);
DateTimeParts UnpackDateTime(std::uint32_t packed);
std::uint32_t PackDateTime(const DateTimeParts& parts);
// The day of the week (0 = Sunday) of a date of the Gregorian calendar.
int DayOfWeek(int year, int month, int day);

}  // namespace brimvel
