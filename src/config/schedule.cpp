#include "config/schedule.h"

#include "support/string_utils.h"

namespace brimvel {

bool NumberListHas(std::string_view list, std::int32_t value) {
  ShortString rest(list);
  while (!rest.empty()) {
    int errorPos = 0;
    std::int32_t number = TextToNumber(FirstWord(rest), errorPos);
    if (errorPos == 0 && number == value) return true;
    if (rest.view().find(' ') != std::string_view::npos) {
      rest = AfterFirstWord(rest);
    } else {
      rest = ShortString();
    }
  }
  return false;
}

bool ScheduleDue(std::string_view schedule, const DateParts& today) {
  bool due = false;
  if (UpperText(schedule) == "DAILY") due = true;
  ShortString word = FirstWord(schedule);
  ShortString rest = AfterFirstWord(schedule);
  bool noList = word == rest;
  ShortString keyword = UpperText(word);
  if (keyword == "YEARLY") {
    if ((noList || NumberListHas(rest, today.year)) && today.month == 1 && today.day == 1)
      due = true;
  }
  if (keyword == "MONTHLY") {
    if (noList) {
      if (today.day == 1) due = true;
    } else if (NumberListHas(rest, today.day)) {
      due = true;
    }
  }
  if (keyword == "WEEKLY") {
    if (noList) {
      if (today.dayOfWeek == 1) due = true;
    } else if (NumberListHas(rest, today.dayOfWeek)) {
      due = true;
    }
  }
  return due;
}

}  // namespace brimvel
