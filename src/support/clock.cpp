#include "support/clock.h"

namespace brimvel {

DateParts ReadDate(const Clock& clock) {
  LocalTime now = clock.Now();
  return DateParts{now.year, now.month, now.day, now.dayOfWeek};
}

TimeParts ReadTime(const Clock& clock) {
  LocalTime now = clock.Now();
  return TimeParts{now.hour, now.minute, now.second, now.millisecond / 10};
}

DateTimeParts UnpackDateTime(std::uint32_t packed) {
  DateTimeParts parts;
  parts.second = static_cast<int>(packed & 0x1F) * 2;
  parts.minute = static_cast<int>((packed >> 5) & 0x3F);
  parts.hour = static_cast<int>((packed >> 11) & 0x1F);
  parts.day = static_cast<int>((packed >> 16) & 0x1F);
  parts.month = static_cast<int>((packed >> 21) & 0x0F);
  parts.year = static_cast<int>((packed >> 25) & 0x7F) + 1980;
  return parts;
}

std::uint32_t PackDateTime(const DateTimeParts& parts) {
  return static_cast<std::uint32_t>(parts.second / 2) |
         (static_cast<std::uint32_t>(parts.minute) << 5) |
         (static_cast<std::uint32_t>(parts.hour) << 11) |
         (static_cast<std::uint32_t>(parts.day) << 16) |
         (static_cast<std::uint32_t>(parts.month) << 21) |
         (static_cast<std::uint32_t>(parts.year - 1980) << 25);
}

int DayOfWeek(int year, int month, int day) {
  // Sakamoto's method.
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

}  // namespace brimvel
