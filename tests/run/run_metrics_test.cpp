// The monitoring file: counters that go on from the earlier text, gauges
// that are replaced, labels the collector accepts, and a file that is
// replaced whole or not at all.
#include "run/run_metrics.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace brimvel {
namespace {

AreaRecord Area(const char* name) {
  AreaRecord area;
  area.name = name;
  area.enabled = true;
  return area;
}

TEST(RunMetricsTest, CountsGoOnFromTheEarlierText) {
  struct Case {
    const char* name;
    std::string previous;
    std::function<void(RunSummary&)> run;
    RunEnd end;
    std::vector<std::string> has;  // in this order, others between
  };
  const Case cases[] = {
      {"a first run counts from nothing",
       "",
       [](RunSummary& s) {
         s.AreaMet(Area("NEWS"));
         s.HandedOver(Area("NEWS"), "a", 10);
         s.HandedOver(Area("NEWS"), "b", 5);
         s.Waiting(Area("NEWS"), "c", 1, WaitReason::kHeldBack);
         s.EntryDropped(Area("NEWS"));
         s.AreaMet(Area("IDLE"));
       },
       RunEnd::kOk,
       {"brimvel_last_run_timestamp_seconds 1796810400", "brimvel_last_run_exit_code 0",
        "brimvel_last_run_result{result=\"ok\"} 1", "brimvel_runs_total{result=\"ok\"} 1",
        "brimvel_files_handed_over_total{area=\"IDLE\"} 0",
        "brimvel_files_handed_over_total{area=\"NEWS\"} 2",
        "brimvel_handed_over_bytes_total{area=\"NEWS\"} 15",
        "brimvel_files_waiting{area=\"NEWS\"} 1", "brimvel_entries_dropped_total 1"}},
      {"counters add up, a worked area's waiting is replaced",
       "brimvel_runs_total{result=\"ok\"} 3\nbrimvel_files_handed_over_total{area=\"NEWS\"} 5\n"
       "brimvel_files_failed_total{area=\"NEWS\"} 2\nbrimvel_files_waiting{area=\"NEWS\"} 4\n"
       "brimvel_entries_dropped_total 7\n",
       [](RunSummary& s) {
         s.AreaMet(Area("NEWS"));
         s.HandedOver(Area("NEWS"), "a", 1);
         s.HandOverFailed(Area("NEWS"), "b", 1, true);
       },
       RunEnd::kFailed,
       {"brimvel_last_run_result{result=\"ok\"} 0", "brimvel_last_run_result{result=\"failed\"} 1",
        "brimvel_runs_total{result=\"ok\"} 3", "brimvel_runs_total{result=\"failed\"} 1",
        "brimvel_files_handed_over_total{area=\"NEWS\"} 6",
        "brimvel_files_failed_total{area=\"NEWS\"} 3", "brimvel_files_waiting{area=\"NEWS\"} 0",
        "brimvel_entries_dropped_total 7"}},
      {"a refused run keeps every area's figures",
       "brimvel_files_handed_over_total{area=\"OLD\"} 1\nbrimvel_files_waiting{area=\"OLD\"} 2\n",
       [](RunSummary&) {},
       RunEnd::kRefused,
       {"brimvel_runs_total{result=\"refused\"} 1",
        "brimvel_files_handed_over_total{area=\"OLD\"} 1",
        "brimvel_files_waiting{area=\"OLD\"} 2"}},
      {"lines that are no count of ours are passed over",
       "brimvel_files_handed_over_total{area=\"NEWS\"} x\n"
       "brimvel_files_handed_over_total{area=\"NEWS\"} -3\n"
       "brimvel_files_handed_over_total{area=\"NEWS\" 4\nnode_other 9\n"
       "brimvel_entries_dropped_total 4\r\n# brimvel_entries_dropped_total 8\n",
       [](RunSummary& s) { s.AreaMet(Area("NEWS")); },
       RunEnd::kInterrupted,
       {"brimvel_runs_total{result=\"interrupted\"} 1",
        "brimvel_files_handed_over_total{area=\"NEWS\"} 0", "brimvel_entries_dropped_total 4"}},
      {"names are quoted, and bytes that are no UTF-8 written as %XX",
       "brimvel_files_handed_over_total{area=\"A\\\"B\\\\C\"} 1\n",
       [](RunSummary& s) {
         s.HandedOver(Area("A\"B\\C"), "a", 1);
         s.HandedOver(Area("\x8E\xA0\xE0"), "b", 1);
         s.HandedOver(Area("\xC3\x9C"), "c", 1);
       },
       RunEnd::kOk,
       {"brimvel_files_handed_over_total{area=\"%8E%A0%E0\"} 1",
        "brimvel_files_handed_over_total{area=\"A\\\"B\\\\C\"} 2",
        "brimvel_files_handed_over_total{area=\"\xC3\x9C\"} 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunSummary summary(nullptr);
    c.run(summary);
    summary.Ended(c.end);
    const std::string text = MetricsText(c.previous, summary, 0, 1796810400);
    std::size_t at = 0;  // after the HELP and TYPE lines
    for (const std::string& line : c.has) {
      std::size_t found = text.find("\n" + line + "\n", at);
      ASSERT_NE(found, std::string::npos) << line << " in\n" << text;
      at = found + 1;
    }
  }
}

TEST(RunMetricsTest, TheFileIsReplacedWholeOrNotAtAll) {
  struct Case {
    const char* name;
    std::function<void(MemoryFileSystem&)> setUp;
    int code;
    const char* holds;  // a line of the file afterwards
  };
  const Case cases[] = {
      {"a first file", [](MemoryFileSystem&) {}, 0, "brimvel_runs_total{result=\"ok\"} 1"},
      {"an earlier file goes on",
       [](MemoryFileSystem& fs) { fs.AddFile("m.prom", "brimvel_runs_total{result=\"ok\"} 4\n"); },
       0, "brimvel_runs_total{result=\"ok\"} 5"},
      {"another run writing: refused, its file kept",
       [](MemoryFileSystem& fs) {
         fs.AddFile("m.prom", "old\n");
         fs.AddFile("m.prom.tmp", "");
         fs.LockByOther("m.prom.tmp");
       },
       kSharingViolation, "old"},
      {"a full disk: the earlier file kept",
       [](MemoryFileSystem& fs) {
         fs.AddFile("m.prom", "old\n");
         fs.SetWriteBudget(100);
       },
       kDiskFull, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs;
    c.setUp(fs);
    RunSummary summary(nullptr);
    summary.Ended(RunEnd::kOk);
    EXPECT_EQ(WriteMetricsFile(fs, "m.prom", summary, 0, 1), c.code);
    const std::string text = "\n" + fs.Contents("m.prom");
    EXPECT_NE(text.find("\n" + std::string(c.holds) + "\n"), std::string::npos) << text;
    // The copy is gone unless another run holds it.
    EXPECT_EQ(fs.Exists("m.prom.tmp"), c.code == kSharingViolation);
    EXPECT_EQ(fs.OpenHandles(), 0);
  }
}

// Only a run writes the file, and a mistake on the command line is caught first.
TEST(RunMetricsTest, OnlyARunWritesIt) {
  struct Case {
    std::vector<std::string> parameters;
    int code;
    bool written;
  };
  const Case cases[] = {
      {{"--metrics", "m.prom"}, 0, true},
      {{"-N", "--metrics", "m.prom"}, 0, false},
      {{"-PLAN", "2", "--metrics=m.prom"}, 0, false},
      {{"--metrics"}, 2, false},
      {{"--metrics="}, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameters.back());
    testing::FakeEnvironment env;
    env.fs.AddFile("brimvel.cfg", "POSTPROG /bin/post @File\nAREA NEWS DAILY\nEND\n");
    EXPECT_EQ(env.Run(c.parameters), c.code) << env.Errors();
    EXPECT_EQ(env.fs.Exists("m.prom"), c.written);
  }
}

}  // namespace
}  // namespace brimvel
