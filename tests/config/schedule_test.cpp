#include "config/schedule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "config/config_line.h"
#include "support/clock.h"

namespace brimvel {
namespace {

struct Date {
  int year, month, day;
};

std::string DateName(const Date& d) {
  return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

// The date as the run reads it; the day of the week comes from the
// calendar so a row can never carry a wrong one.
DateParts Today(const Date& d) {
  using namespace std::chrono;
  weekday wd{sys_days{year{d.year} / month{static_cast<unsigned>(d.month)} /
                      day{static_cast<unsigned>(d.day)}}};
  return DateParts{d.year, d.month, d.day, static_cast<int>(wd.c_encoding())};
}

// Weekdays of the dates used below, for reading the rows.
constexpr Date kSun = {2024, 3, 10};
constexpr Date kMon = {2024, 3, 11};
constexpr Date kTue = {2024, 3, 12};
constexpr Date kWed = {2024, 3, 13};
constexpr Date kSat = {2024, 3, 16};

TEST(ScheduleTest, DueTable) {
  struct Row {
    const char* schedule;
    Date date;
    bool due;
  };
  const Row rows[] = {
      // DAILY must be the whole text, in any case.
      {"DAILY", kWed, true},
      {"daily", kSun, true},
      {"DAILY ", kWed, false},
      {"DAILY 1", kWed, false},
      {"DAILY DAILY", kWed, false},

      // WEEKLY alone means Mondays; a list names days from Sunday = 0.
      {"WEEKLY", kMon, true},
      {"weekly", kMon, true},
      {"WEEKLY", kSun, false},
      {"WEEKLY", kTue, false},
      {"WEEKLY ", kMon, false},  // an empty list, not no list
      {"WEEKLY 0 6", kSun, true},
      {"WEEKLY 0 6", kSat, true},
      {"WEEKLY 0 6", kMon, false},
      {"WEEKLY 7", kSun, false},  // no wrap-around to Sunday
      {"WEEKLY X", kSun, false},  // not read as 0
      {"WEEKLY X", kMon, false},  // nor does a bad list fall back to Monday
      {"WEEKLY X 3", kWed, true},
      {"WEEKLY 0,6", kSun, false},
      {"WEEKLY 1\t3", kWed, false},  // a tab does not separate words
      {"WEEKLY  3", kWed, true},
      {"WEEKLY 3 ", kWed, true},
      {"WEEKLY weekly", kMon, false},  // a list that happens to repeat the keyword

      // MONTHLY alone means the 1st; a list names days of the month.
      {"MONTHLY", {2024, 5, 1}, true},
      {"MONTHLY", {2024, 5, 2}, false},
      {"MONTHLY ", {2024, 5, 1}, false},
      {"MONTHLY 1 15", {2024, 5, 1}, true},
      {"MONTHLY 1 15", {2024, 5, 15}, true},
      {"MONTHLY 1 15", {2024, 5, 14}, false},
      {"MONTHLY 1,15", {2024, 5, 1}, false},
      {"MONTHLY 1,15", {2024, 5, 15}, false},
      {"MONTHLY $F", {2024, 5, 15}, true},
      {"MONTHLY $F", {2024, 5, 1}, false},
      {"MONTHLY X", {2024, 5, 1}, false},
      {"MONTHLY 31", {2024, 1, 31}, true},
      {"MONTHLY 31", {2024, 4, 30}, false},
      {"MONTHLY 31", {2024, 2, 29}, false},

      // YEARLY: 1 January, of the listed full years when there is a list.
      {"YEARLY", {2024, 1, 1}, true},
      {"YEARLY", {2024, 1, 2}, false},
      {"YEARLY", {2024, 2, 1}, false},
      {"YEARLY ", {2024, 1, 1}, false},
      {"YEARLY 2003", {2003, 1, 1}, true},
      {"YEARLY 2003", {2004, 1, 1}, false},
      {"YEARLY 2003", {2003, 1, 2}, false},
      {"YEARLY 2003", {2003, 6, 1}, false},
      {"YEARLY 2003 2005", {2005, 1, 1}, true},
      {"YEARLY 1", {2024, 1, 1}, false},  // the list is of years, not days

      // Anything else is never due.
      {"", kMon, false},
      {"FILES", {2024, 1, 1}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("'") + row.schedule + "' on " + DateName(row.date));
    EXPECT_EQ(ScheduleDue(row.schedule, Today(row.date)), row.due);
  }
}

TEST(NumberListHasTest, Table) {
  struct Row {
    const char* list;
    std::int32_t value;
    bool has;
  };
  const Row rows[] = {
      // Words are separated by blanks only; a comma or a tab joins them.
      {"1 15", 1, true},
      {"1 15", 15, true},
      {"1 15", 5, false},
      {"1,15", 1, false},
      {"1,15", 15, false},
      {"1\t15", 15, false},
      {"  7", 7, true},
      {"7  ", 7, true},
      {"x  y  7", 7, true},
      // A word that does not read as a number matches nothing, not even 0.
      {"$F", 15, true},
      {"$0f", 15, true},
      {"-3", -3, true},
      {"X", 0, false},
      {"$", 0, false},
      {"15x", 15, false},
      {"2147483648", 0, false},
      {"", 0, false},
      {"   ", 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("'") + row.list + "' has " + std::to_string(row.value));
    EXPECT_EQ(NumberListHas(row.list, row.value), row.has);
  }
}

// A WHEN line inside a block sets whether the block is due from its own
// schedule text, whichever way it stood.
TEST(ScheduleTest, WhenLineTable) {
  struct Row {
    const char* line;
    Date date;
    bool isWhen;
    bool due;
  };
  const Row rows[] = {
      {"WHEN DAILY", kWed, true, true},
      {"when daily", kWed, true, true},
      {"  When  DAILY", kWed, true, true},
      {"WHEN DAILY ", kWed, true, false},
      {"WHEN WEEKLY", kTue, true, false},
      {"WHEN WEEKLY", kMon, true, true},
      {"WHEN MONTHLY 1 15", {2024, 5, 15}, true, true},
      {"WHEN", kWed, true, false},   // no schedule text: never due
      {"WHEN ", kWed, true, false},  // the same with a trailing blank
      {"WHENEVER DAILY", kWed, false, false},
      {"SKIP WHEN DAILY", kWed, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("'") + row.line + "' on " + DateName(row.date));
    ConfigLine line;
    line.text = row.line;
    line.whole = row.line;
    Classify(line, true);
    EXPECT_EQ(line.kind == LineKind::kWhen, row.isWhen);
    if (row.isWhen) {
      EXPECT_EQ(ScheduleDue(line.argument, Today(row.date)), row.due);
    }
  }
}

}  // namespace
}  // namespace brimvel
