// A whole run with each of its file operations failing in turn: whatever
// fails, the run must not crash, must leave a complete configuration, must
// not delete a file the configuration does not record, and must say so.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "support/countdown_file_system.h"
#include "support/fakes.h"

namespace brimvel {
namespace {

using testing::CountdownFileSystem;

const std::string kConfig =
    "POSTPROG /bin/post @File\n"
    "AREA NEWS DAILY\n"
    "Skip old.zip\n"
    "DIRECTORY out/*.zip -DELETE\n"
    "FILE in/x.zip -DELETE\n"
    "FILE in/y.zip -STAY\n"
    "END\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What any run may leave: the old configuration, or a whole rewrite of it,
// which keeps every line but entries, and adds Skip lines for found files only.
bool OldOrWholeRewrite(const std::string& config) {
  if (config == kConfig) return true;
  if (config.empty() || config.back() != '\n') return false;
  std::vector<std::string> old = Lines(kConfig);
  std::size_t at = 0;
  for (const std::string& line : Lines(config)) {
    if (line == "Skip a.zip" || line == "Skip b.zip") continue;
    auto entry = [](const std::string& l) {
      return l.rfind("FILE", 0) == 0 || l.rfind("DIR", 0) == 0;
    };
    while (at < old.size() && old[at] != line && entry(old[at])) ++at;
    if (at == old.size() || old[at] != line) return false;
    ++at;
  }
  return at == old.size();
}

struct Outcome {
  int operations = 0;
  int failures = 0;
  std::string failed, config, console, errors;
  MemoryFileSystem files;
};

void RunWithFault(Outcome& out, int failAt, int code, bool persistent) {
  MemoryFileSystem& fs = out.files;
  fs.AddFile("brimvel.cfg", kConfig);
  for (const char* name : {"out/a.zip", "out/b.zip", "in/x.zip", "in/y.zip"})
    fs.AddFile(name, "data");
  CountdownFileSystem countdown(fs);
  countdown.FailAt(failAt, code, persistent);
  testing::RecordingRunner runner;
  FixedClock clock(testing::At(2026, 12, 9));
  MemoryFileSystem terminal;
  TextWriter console(terminal, "<console>");
  TextWriter errors(terminal, "<stderr>");
  console.OpenNew();
  errors.OpenNew();
  {
    RunEnvironment env{countdown, runner, clock, console, errors};
    RunMain(env, {"-ERRORLEVEL"});
  }
  console.Flush();
  errors.Flush();
  out.operations = countdown.operations();
  out.failures = countdown.failures();
  out.failed = countdown.firstFailed();
  out.config = fs.Contents("brimvel.cfg");
  out.console = terminal.Contents("<console>");
  out.errors = terminal.Contents("<stderr>");
}

// Failures a run absorbs by design, and why it owes no report.
const char* const kAbsorbed[] = {
    "Open brimvel.log",       // only asks whether a log exists: one is made if not
    "CopyPermissions",        // best effort: the new configuration is complete without
    "Close brimvel.tmp",      // after the rename: the data reached the disk before it
    "Describe EVERYDAY.FLG",  // a marker that cannot be read marks no day: the run works
    "Size",                   // sizes the read-ahead only
};

bool Reported(const Outcome& out) {
  for (const char* text : {"[err]", "Runtime error", "Shit, I can't open configuration file",
                           "I can't make log file", "Error rewriting work flag"}) {
    if ((out.console + out.errors).find(text) != std::string::npos) return true;
  }
  for (const char* operation : kAbsorbed) {
    if (out.failed.rfind(operation, 0) == 0) return true;
  }
  return false;
}

TEST(CountdownFaultsTest, EveryFailingOperationLeavesAWholeConfigurationAndIsReported) {
  Outcome clean;
  RunWithFault(clean, 0, 0, false);
  ASSERT_EQ(clean.console.find("[err]"), std::string::npos) << clean.console;
  ASSERT_TRUE(Has(Lines(clean.config), "Skip b.zip")) << clean.config;
  ASSERT_FALSE(clean.files.Exists("in/x.zip"));
  ASSERT_GT(clean.operations, 20);

  for (int code : {kGeneralFailure, kDiskFull}) {
    for (bool persistent : {false, true}) {
      for (int n = 1; n <= clean.operations; ++n) {
        Outcome out;
        RunWithFault(out, n, code, persistent);
        SCOPED_TRACE("operation " + std::to_string(n) + " (" + out.failed + ") fails with " +
                     std::to_string(code) + (persistent ? " and all after it" : "") + "\n" +
                     out.console + out.errors + "-- brimvel.cfg:\n" + out.config);
        ASSERT_GT(out.failures, 0);
        EXPECT_TRUE(OldOrWholeRewrite(out.config));
        std::vector<std::string> lines = Lines(out.config);
        for (const char* name : {"a.zip", "b.zip"}) {
          if (!out.files.Exists(std::string("out/") + name)) {
            EXPECT_TRUE(Has(lines, std::string("Skip ") + name)) << name << " deleted";
          }
        }
        if (!out.files.Exists("in/x.zip")) {
          EXPECT_FALSE(Has(lines, "FILE in/x.zip -DELETE")) << "in/x.zip deleted";
        }
        EXPECT_TRUE(Reported(out)) << "not reported";
        EXPECT_EQ(out.files.OpenHandles(), 0);
      }
    }
  }
}

}  // namespace
}  // namespace brimvel
