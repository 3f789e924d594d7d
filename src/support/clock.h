#pragma once

#include <cstdint>
#include <functional>

#include "support/platform.h"

namespace brimvel {

struct DateParts {
  int year = 0, month = 0, day = 0, dayOfWeek = 0;
};
struct TimeParts {
  int hour = 0, minute = 0, second = 0, hundredths = 0;
};
struct DateTimeParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Local date and time; read anew at every call.
DateParts ReadDate();
TimeParts ReadTime();
DateTimeParts UnpackDateTime(std::uint32_t packed);
std::uint32_t PackDateTime(const DateTimeParts& parts);

// The seam for tests: while set, the clock reads from here instead of the OS.
using ClockSource = std::function<platform::LocalTime()>;
void SetClockSource(ClockSource source);

}  // namespace brimvel
