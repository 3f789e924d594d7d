#include "config/schedule.h"

#include <algorithm>

#include "support/string_utils.h"

namespace brimvel {

namespace {

// The numbers of a list, word by word; a word that is no number matches nothing.
void ReadNumbers(std::string_view list, std::vector<std::int32_t>& numbers) {
  std::string_view rest = list;
  while (!rest.empty()) {
    int errorPos = 0;
    std::int32_t number = TextToNumber(FirstWord(rest), errorPos);
    if (errorPos == 0) numbers.push_back(number);
    rest = rest.find(' ') != std::string_view::npos ? AfterFirstWord(rest) : std::string_view();
  }
}

}  // namespace

bool NumberListHas(std::string_view list, std::int32_t value) {
  std::vector<std::int32_t> numbers;
  ReadNumbers(list, numbers);
  return std::find(numbers.begin(), numbers.end(), value) != numbers.end();
}

void ParseSchedule(std::string_view text, Schedule& schedule) {
  schedule.word = ScheduleWord::kNone;
  schedule.numbers.clear();
  const std::string_view word = FirstWord(text);
  const std::string_view rest = AfterFirstWord(text);
  // A one-word text reads as its own list: that is no list.
  schedule.list = word != rest;
  if (SameUpper(text, "DAILY")) {
    schedule.word = ScheduleWord::kDaily;
  } else if (SameUpper(word, "WEEKLY")) {
    schedule.word = ScheduleWord::kWeekly;
  } else if (SameUpper(word, "MONTHLY")) {
    schedule.word = ScheduleWord::kMonthly;
  } else if (SameUpper(word, "YEARLY")) {
    schedule.word = ScheduleWord::kYearly;
  }
  if (schedule.list) ReadNumbers(rest, schedule.numbers);
}

Schedule ParseSchedule(std::string_view text) {
  Schedule schedule;
  ParseSchedule(text, schedule);
  return schedule;
}

bool ScheduleDue(const Schedule& schedule, const DateParts& today) {
  auto listed = [&schedule](std::int32_t value) {
    return std::find(schedule.numbers.begin(), schedule.numbers.end(), value) !=
           schedule.numbers.end();
  };
  switch (schedule.word) {
    case ScheduleWord::kDaily:
      return true;
    case ScheduleWord::kWeekly:
      return schedule.list ? listed(today.dayOfWeek) : today.dayOfWeek == 1;
    case ScheduleWord::kMonthly:
      return schedule.list ? listed(today.day) : today.day == 1;
    case ScheduleWord::kYearly:
      return (!schedule.list || listed(today.year)) && today.month == 1 && today.day == 1;
    case ScheduleWord::kNone:
      break;
  }
  return false;
}

bool EverDue(const Schedule& schedule) {
  // A leap year holds every day of the month and of the week; a YEARLY list
  // is due on 1 January of the years it names.
  using namespace std::chrono;
  for (sys_days day{2024y / January / 1}; day < sys_days{2025y / January / 1}; day += days{1})
    if (ScheduleDue(schedule, DateOf(day))) return true;
  for (std::int32_t number : schedule.numbers)
    if (number > 0 && ScheduleDue(schedule, DateOf(sys_days{year{number} / January / 1})))
      return true;
  return false;
}

bool ScheduleDue(std::string_view schedule, const DateParts& today) {
  return ScheduleDue(ParseSchedule(schedule), today);
}

}  // namespace brimvel
