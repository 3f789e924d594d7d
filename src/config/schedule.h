#pragma once

#include <cstdint>
#include <string_view>

namespace brimvel {

// Whether a schedule text (DAILY, WEEKLY, MONTHLY, YEARLY, with or without a
// list of numbers) is due on today's local date.
bool ScheduleDue(std::string_view schedule);
// Whether one of the blank-separated words of the list reads as the value.
bool NumberListHas(std::string_view list, std::int32_t value);
// For a line whose first word is the keyword: enabled := ScheduleDue(rest).
void ApplyWhenLine(std::string_view line, bool& enabled, std::string_view keyword);

}  // namespace brimvel
