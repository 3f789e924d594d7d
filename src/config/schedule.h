#pragma once

#include <cstdint>
#include <string_view>

#include "support/clock.h"

namespace brimvel {

// Whether a schedule text (DAILY, WEEKLY, MONTHLY, YEARLY, with or without a
// list of numbers) is due on the given local date.
bool ScheduleDue(std::string_view schedule, const DateParts& today);
// Whether one of the blank-separated words of the list reads as the value.
bool NumberListHas(std::string_view list, std::int32_t value);

}  // namespace brimvel
