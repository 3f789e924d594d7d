// The plan of the coming days: it touches nothing, starts on the right day,
// and reports what will never go out.
#include "run/plan.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/fakes.h"

namespace brimvel {
namespace {

using testing::At;
using testing::FakeEnvironment;
using testing::WrittenAt;

std::map<std::string, std::string> Snapshot(MemoryFileSystem& fs) {
  std::map<std::string, std::string> files;
  for (const std::string& name : fs.Names()) files[name] = fs.Contents(name);
  return files;
}

TEST(PlanTest, TouchesNothingAndStartsOnTheFirstDayNotWorked) {
  struct Case {
    const char* name;
    bool workedToday;
    bool readOnly;
    const char* firstDay;
  };
  const Case cases[] = {
      {"a day not worked yet starts today", false, false, "2026-12-09"},
      {"a day already worked starts tomorrow", true, false, "2026-12-10"},
      {"a read-only configuration is planned all the same", false, true, "2026-12-09"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnvironment env;
    env.fs.AddFile("brimvel.cfg",
                   "POSTPROG /bin/post @File\nAREA NEWS DAILY\nCOUNT 1\n"
                   "DIRECTORY out/* -DELETE\nEND\n");
    env.fs.AddFile("out/a", "aa");
    env.fs.AddFile("out/b", "bbb");
    if (c.workedToday) env.fs.AddFile("EVERYDAY.FLG", "", WrittenAt(At(2026, 12, 9)));
    if (c.readOnly) env.fs.SetReadOnly("brimvel.cfg");
    auto before = Snapshot(env.fs);
    ASSERT_EQ(env.Run({"-PLAN", "3"}), 0) << env.Errors();
    EXPECT_EQ(Snapshot(env.fs), before);
    EXPECT_TRUE(env.runner.calls.empty());
    const std::string console = env.Console();
    EXPECT_NE(console.find(std::string(c.firstDay) + "\tNEWS\tout/a\t2"), std::string::npos)
        << console;
  }
}

TEST(PlanTest, ReportsWhatWaitsAndWhatIsNeverDue) {
  FakeEnvironment env;
  env.fs.AddFile("brimvel.cfg",
                 "POSTPROG /bin/post @File\nAREA BIG DAILY\nSIZE 10\nDIRECTORY big/*\nEND\n"
                 "AREA ONE DAILY\nCOUNT 1\nDIRECTORY one/*\nEND\n"
                 "AREA ODD WEEKLY 9\nFILE odd/x\nEND\n");
  env.fs.AddFile("big/huge", std::string(50, 'x'));
  env.fs.AddFile("one/a", "a");
  env.fs.AddFile("one/b", "b");
  env.fs.AddFile("one/c", "c");
  env.fs.AddFile("odd/x", "x");
  ASSERT_EQ(env.Run({"--plan", "2"}), 0) << env.Errors();
  const std::string console = env.Console();
  for (const char* line : {"2026-12-09\tONE\tone/a\t1", "2026-12-10\tONE\tone/b\t1",
                           "waiting\tONE\tone/c\t1\theld back by COUNT or SIZE",
                           "waiting\tBIG\tbig/huge\t50\tlarger than SIZE, never",
                           "waiting\tODD\todd/x\t1\tarea never due", "never due\tODD"})
    EXPECT_NE(console.find(line), std::string::npos) << line << "\n" << console;
}

// Days whose run would change nothing are not run again, yet a schedule
// that falls due later is still planned.
TEST(PlanTest, PlansAWeeklyAreaOnEachOfItsDays) {
  FakeEnvironment env;
  env.fs.AddFile("brimvel.cfg",
                 "POSTPROG /bin/post @File\nAREA THU WEEKLY 4\nFILE odd/x -STAY\nEND\n");
  env.fs.AddFile("odd/x", "x");
  ASSERT_EQ(env.Run({"-PLAN", "16"}), 0) << env.Errors();
  const std::string console = env.Console();
  for (const char* day : {"2026-12-10", "2026-12-17", "2026-12-24"})
    EXPECT_NE(console.find(std::string(day) + "\tTHU\todd/x\t1"), std::string::npos) << console;
  EXPECT_EQ(console.find("2026-12-11"), std::string::npos) << console;
}

TEST(PlanTest, RefusesADayCountOutOfRange) {
  for (const char* days : {"0", "3661", "x"}) {
    FakeEnvironment env;
    env.fs.AddFile("brimvel.cfg", "");
    EXPECT_EQ(env.Run({"-PLAN", days}), 2) << days;
  }
}

}  // namespace
}  // namespace brimvel
