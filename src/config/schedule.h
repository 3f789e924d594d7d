#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "support/clock.h"

namespace brimvel {

enum class ScheduleWord { kNone, kDaily, kWeekly, kMonthly, kYearly };

// A schedule text (DAILY, WEEKLY, MONTHLY, YEARLY, with or without a list of
// numbers) as a run reads it, parsed once.
struct Schedule {
  // The first word when it is a schedule word; kDaily only when DAILY is the
  // whole text. kNone is never due.
  ScheduleWord word = ScheduleWord::kNone;
  bool list = false;                  // words follow the schedule word
  std::vector<std::int32_t> numbers;  // the list's words that read as numbers
};

Schedule ParseSchedule(std::string_view text);
void ParseSchedule(std::string_view text, Schedule& schedule);
// Whether the schedule is due on the given local date.
bool ScheduleDue(const Schedule& schedule, const DateParts& today);
bool ScheduleDue(std::string_view schedule, const DateParts& today);
// Whether the schedule is due on any day at all.
bool EverDue(const Schedule& schedule);
// Whether one of the blank-separated words of the list reads as the value.
bool NumberListHas(std::string_view list, std::int32_t value);

}  // namespace brimvel
