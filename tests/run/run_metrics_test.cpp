// The monitoring file: counters that go on from the earlier text, gauges
// that are replaced, labels the collector accepts, and a file that is
// replaced whole or not at all.
#include "run/run_metrics.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace brimvel {
namespace {

// Whether `text` holds these lines, in this order; each is named without
// its "brimvel_" and written with ' for ".
::testing::AssertionResult HasLines(const std::string& text, std::string lines) {
  std::size_t at = 0;
  for (char& c : lines) c = c == '\'' ? '"' : c;
  for (std::size_t end = 0, start = 0; end != std::string::npos; start = end + 1) {
    end = lines.find('\n', start);
    std::string line = "brimvel_" + lines.substr(start, end - start);
    at = ("\n" + text).find("\n" + line + "\n", at);
    if (at == std::string::npos) return ::testing::AssertionFailure() << line << " in\n" << text;
    at += 1;
  }
  return ::testing::AssertionSuccess();
}

TEST(RunMetricsTest, CountsGoOnFromTheEarlierText) {
  struct Case {
    const char* name;
    const char* previous;
    RunEnd end;
    // The pass's decisions, each a letter and an area name: the area met
    // (m), a file handed over (h), failed (f) or left waiting (w), an entry
    // dropped (d).
    const char* events;
    const char* has;
  };
  const Case cases[] = {
      {"a first run counts from nothing, an idle area too", "", RunEnd::kOk,
       "mNEWS hNEWS hNEWS wNEWS dNEWS mIDLE",
       "last_run_timestamp_seconds 1796810400\nlast_run_result{result='ok'} 1\n"
       "files_handed_over_total{area='IDLE'} 0\nfiles_handed_over_total{area='NEWS'} 2\n"
       "handed_over_bytes_total{area='NEWS'} 20\nfiles_waiting{area='NEWS'} 1\n"
       "entries_dropped_total 1"},
      {"counters add up, a worked area's waiting is replaced",
       "brimvel_runs_total{result=\"ok\"} 3\nbrimvel_files_failed_total{area=\"NEWS\"} 2\n"
       "brimvel_files_waiting{area=\"NEWS\"} 4\nbrimvel_entries_dropped_total 7\n",
       RunEnd::kFailed, "mNEWS fNEWS",
       "last_run_result{result='ok'} 0\nlast_run_result{result='failed'} 1\n"
       "runs_total{result='ok'} 3\nruns_total{result='failed'} 1\n"
       "files_failed_total{area='NEWS'} 3\nfiles_waiting{area='NEWS'} 0\nentries_dropped_total 7"},
      {"a refused run keeps every area's figures", "brimvel_files_waiting{area=\"OLD\"} 2\n",
       RunEnd::kRefused, "", "runs_total{result='refused'} 1\nfiles_waiting{area='OLD'} 2"},
      {"lines that are no count of ours are passed over, CR LF read",
       "brimvel_files_handed_over_total{area=\"NEWS\"} x\n"
       "brimvel_files_handed_over_total{area=\"NEWS\"} -3\n"
       "brimvel_files_handed_over_total{area=\"NEWS\" 4\nnode_other 9\n"
       "brimvel_entries_dropped_total 4\r\n# brimvel_entries_dropped_total 8\n",
       RunEnd::kInterrupted, "mNEWS",
       "runs_total{result='interrupted'} 1\nfiles_handed_over_total{area='NEWS'} 0\n"
       "entries_dropped_total 4"},
      {"names are quoted, and bytes that are no UTF-8 written as %XX",
       "brimvel_files_handed_over_total{area=\"A\\\"B\\\\C\"} 1\n", RunEnd::kOk,
       "hA\"B\\C h\x8E\xA0\xE0 h\xC3\x9C",
       "files_handed_over_total{area='%8E%A0%E0'} 1\nfiles_handed_over_total{area='A\\'B\\\\C'} 2\n"
       "files_handed_over_total{area='\xC3\x9C'} 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunSummary summary(nullptr);
    std::istringstream events(c.events);
    for (std::string event; events >> event;) {
      AreaRecord area{event.substr(1), 0, 0, 1, true};
      if (event[0] == 'm') summary.AreaMet(area);
      if (event[0] == 'h') summary.HandedOver(area, "f", 10);
      if (event[0] == 'f') summary.HandOverFailed(area, "f", 10, true);
      if (event[0] == 'w') summary.Waiting(area, "f", 10, WaitReason::kHeldBack);
      if (event[0] == 'd') summary.EntryDropped(area);
    }
    summary.Ended(c.end);
    EXPECT_TRUE(HasLines(MetricsText(c.previous, summary, 0, 1796810400), c.has));
  }
}

TEST(RunMetricsTest, TheFileIsReplacedWholeOrNotAtAll) {
  struct Case {
    const char* name;
    const char* before;  // the file's earlier text, if any
    bool copyHeld;       // another run is writing it
    std::int64_t budget;
    int code;
    const char* after;
  };
  const Case cases[] = {
      {"a first file", nullptr, false, -1, 0, "runs_total{result='ok'} 1"},
      {"an earlier file goes on", "brimvel_runs_total{result=\"ok\"} 4\n", false, -1, 0,
       "runs_total{result='ok'} 5"},
      {"another run writing: refused, its file kept", "brimvel_old\n", true, -1, kSharingViolation,
       "old"},
      {"a full disk: the earlier file kept", "brimvel_old\n", false, 100, kDiskFull, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs;
    if (c.before != nullptr) fs.AddFile("m.prom", c.before);
    if (c.copyHeld) fs.AddFile("m.prom.tmp", "");
    if (c.copyHeld) fs.LockByOther("m.prom.tmp");
    if (c.budget >= 0) fs.SetWriteBudget(c.budget);
    RunSummary summary(nullptr);
    summary.Ended(RunEnd::kOk);
    EXPECT_EQ(WriteMetricsFile(fs, "m.prom", summary, 0, 1), c.code);
    EXPECT_TRUE(HasLines(fs.Contents("m.prom"), c.after));
    EXPECT_EQ(fs.Exists("m.prom.tmp"), c.copyHeld);
    EXPECT_EQ(fs.OpenHandles(), 0);
  }
}

// A run writes it, a refused one too; a dry run, a plan and a mistake on the
// command line do not.
TEST(RunMetricsTest, EveryRunWritesIt) {
  struct Case {
    std::vector<std::string> parameters;
    bool busy;  // another run works the configuration
    int code;
    const char* line;  // in the file, nullptr: no file
  };
  const Case cases[] = {
      {{"--metrics", "m.prom"}, false, 0, "last_run_result{result='ok'} 1"},
      {{"--metrics", "m.prom"}, true, 0, "last_run_result{result='refused'} 1"},
      {{"-N", "--metrics", "m.prom"}, false, 0, nullptr},
      {{"-PLAN", "2", "--metrics=m.prom"}, false, 0, nullptr},
      {{"--metrics"}, false, 2, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameters.front() + (c.busy ? " busy" : ""));
    testing::FakeEnvironment env;
    env.fs.AddFile("brimvel.cfg", "POSTPROG /bin/post @File\nAREA NEWS DAILY\nEND\n");
    if (c.busy) env.fs.LockByOther("brimvel.cfg");
    EXPECT_EQ(env.Run(c.parameters), c.code) << env.Errors();
    if (c.line == nullptr) {
      EXPECT_FALSE(env.fs.Exists("m.prom"));
    } else {
      EXPECT_TRUE(HasLines(env.fs.Contents("m.prom"), c.line));
    }
  }
}

}  // namespace
}  // namespace brimvel
